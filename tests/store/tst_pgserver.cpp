// The PostgreSQL test server and the databases tests take on it (PgTestDatabase.h).

#include "PgTestDatabase.h"

#include <QTest>

#include <libpq-fe.h>

#include <memory>
#include <optional>

namespace {

struct ConnectionDeleter
{
    void operator()(PGconn* c) const { PQfinish(c); }
};
using Connection = std::unique_ptr<PGconn, ConnectionDeleter>;

Connection connectTo(const QString& uri)
{
    return Connection(PQconnectdb(uri.toUtf8().constData()));
}

bool reachable(const QString& uri)
{
    return PQstatus(connectTo(uri).get()) == CONNECTION_OK;
}

// The first value of the answer to `sql` (with $1 bound to `param`), or nothing when it fails.
std::optional<QString> queryValue(PGconn* c, const char* sql, const QString& param = {})
{
    const QByteArray value = param.toUtf8();
    const char* values[] = {value.constData()};
    PGresult* r = PQexecParams(c, sql, param.isNull() ? 0 : 1, nullptr, values, nullptr, nullptr, 0);
    std::optional<QString> answer;
    if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0)
        answer = QString::fromUtf8(PQgetvalue(r, 0, 0));
    PQclear(r);
    return answer;
}

bool execute(PGconn* c, const char* sql)
{
    PGresult* r = PQexec(c, sql);
    const bool done = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    return done;
}

bool databaseExists(const QString& name)
{
    const Connection c = connectTo(PgTestDatabase::maintenanceUri());
    return queryValue(c.get(), "SELECT count(*) FROM pg_database WHERE datname = $1", name) == QStringLiteral("1");
}

} // namespace

class TestPgServer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void twoDatabasesAreDistinctAndEachReachable();
    void aDatabaseIsGoneAfterItsEnd_data();
    void aDatabaseIsGoneAfterItsEnd();
};

void TestPgServer::init()
{
    // A run without its server ends before its first test (PgTestRunCheck.cpp).
    if (!PgTestDatabase::wanted())
        QSKIP("runs only against the PostgreSQL test server (the _pg run)");
}

void TestPgServer::twoDatabasesAreDistinctAndEachReachable()
{
    PgTestDatabase first;
    PgTestDatabase second;
    QVERIFY(first.name() != second.name());
    QVERIFY(first.uri() != second.uri());

    const Connection a = connectTo(first.uri());
    const Connection b = connectTo(second.uri());
    QCOMPARE(PQstatus(a.get()), CONNECTION_OK);
    QCOMPARE(PQstatus(b.get()), CONNECTION_OK);
    QCOMPARE(queryValue(a.get(), "SELECT current_database()"), first.name());
    QCOMPARE(queryValue(b.get(), "SELECT current_database()"), second.name());
    QCOMPARE(queryValue(a.get(), "SELECT pg_encoding_to_char(encoding) FROM pg_database "
                                 "WHERE datname = current_database()"),
             QStringLiteral("UTF8"));

    // A table made in one is not in the other.
    QVERIFY(execute(a.get(), "CREATE TABLE clients (id integer)"));
    QCOMPARE(queryValue(a.get(), "SELECT to_regclass('clients') IS NOT NULL"), QStringLiteral("t"));
    QCOMPARE(queryValue(b.get(), "SELECT to_regclass('clients') IS NOT NULL"), QStringLiteral("f"));
}

void TestPgServer::aDatabaseIsGoneAfterItsEnd_data()
{
    QTest::addColumn<bool>("connectionLeftOpen");
    QTest::newRow("every connection closed") << false;
    QTest::newRow("a connection left open") << true;
}

void TestPgServer::aDatabaseIsGoneAfterItsEnd()
{
    QFETCH(bool, connectionLeftOpen);
    QString name;
    QString uri;
    Connection left;
    {
        PgTestDatabase database;
        name = database.name();
        uri = database.uri();
        QVERIFY(databaseExists(name));
        if (connectionLeftOpen) {
            left = connectTo(uri);
            QCOMPARE(PQstatus(left.get()), CONNECTION_OK);
        }
    }
    QVERIFY(!databaseExists(name));
    QVERIFY(!reachable(uri));
    if (connectionLeftOpen)
        QVERIFY(!queryValue(left.get(), "SELECT 1"));
}

QTEST_GUILESS_MAIN(TestPgServer)
#include "tst_pgserver.moc"
