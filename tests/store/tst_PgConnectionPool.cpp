// Connections to a server kept from one action to the next.

#include "PgTestDatabase.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include <QTest>

#include <libpq-fe.h>

namespace {

// Another desk's statement, on a connection of its own.
void elsewhere(const QString& uri, const QString& sql)
{
    PGconn* c = PQconnectdb(uri.toUtf8().constData());
    PGresult* r = PQexec(c, sql.toUtf8().constData());
    const bool done = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
    const QByteArray error = PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
    if (!done)
        QFAIL(error.constData());
}

qint64 session(const Database& db)
{
    return db.scalar(QStringLiteral("SELECT pg_backend_pid()")).toLongLong();
}

} // namespace

class TestPgConnectionPool : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (!PgTestDatabase::wanted())
            QSKIP("A file's connections are not kept.");
    }

    void theNextActionGetsAWorkingConnection_data()
    {
        QTest::addColumn<QString>("between");
        QTest::addColumn<bool>("sameSession");
        QTest::newRow("nothing") << QString() << true;
        QTest::newRow("its session ended on the server") << QStringLiteral("SELECT pg_terminate_backend(%1)") << false;
        QTest::newRow("another desk made a table")
            << QStringLiteral("CREATE TABLE \"Later Tab\" (\"Later Field\" text)") << true;
        QTest::newRow("another desk added a field")
            << QStringLiteral("ALTER TABLE \"Early Tab\" ADD COLUMN \"Later Field\" text") << true;
        QTest::newRow("a transaction left open") << QStringLiteral("open") << false;
    }

    void theNextActionGetsAWorkingConnection()
    {
        QFETCH(QString, between);
        QFETCH(bool, sameSession);
        const PgTestDatabase server;
        elsewhere(server.uri(), QStringLiteral("CREATE TABLE \"Early Tab\" (id integer)"));
        qint64 first = 0;
        {
            const Database db(server.uri());
            first = session(db);
            QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM [early tab]")).toInt(), 0);
            if (between == QLatin1String("open"))
                db.execute(QStringLiteral("BEGIN"));
        }
        if (between.contains(QLatin1String("%1")))
            elsewhere(server.uri(), between.arg(first));
        else if (between.startsWith(QLatin1String("CREATE")) || between.startsWith(QLatin1String("ALTER")))
            elsewhere(server.uri(), between);

        const Database db(server.uri());
        QCOMPARE(session(db) == first, sameSession);
        QVERIFY(!db.inTransaction());
        // A name another desk made is found as on a new connection, in any case.
        if (between.startsWith(QLatin1String("CREATE")))
            QCOMPARE(db.scalar(QStringLiteral("SELECT count([later field]) FROM [later tab]")).toInt(), 0);
        if (between.startsWith(QLatin1String("ALTER")))
            QCOMPARE(db.scalar(QStringLiteral("SELECT count([later field]) FROM [early tab]")).toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestPgConnectionPool)
#include "tst_PgConnectionPool.moc"
