#pragma once

// A fresh database on the throw-away PostgreSQL server of a test run (tools/pg-test-server.sh,
// started by CTest for the `_pg` runs), dropped again when the test ends.
//
// A `_pg` run has ORVANTA_TEST_ENGINE=postgresql and ORVANTA_TEST_PG_DIR naming the server's
// folder, which holds either `uri` (the maintenance database) or `unavailable` (why the
// server could not run). When the server is unavailable, such a run is skipped, never failed.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QTest>

#include <libpq-fe.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

class PgTestDatabase
{
public:
    // The text CTest looks for to report a `_pg` run as skipped (tests/CMakeLists.txt).
    static constexpr const char* UnavailablePrefix = "PostgreSQL test server unavailable: ";

    // True in a run that is to use PostgreSQL instead of SQLite.
    static bool wanted() { return qgetenv("ORVANTA_TEST_ENGINE") == "postgresql"; }

    // Why the test server cannot be used, or empty when it can. Checked once per process.
    static QString unavailableReason()
    {
        static const QString reason = findUnavailableReason();
        return reason;
    }

    // The libpq URI of the server's maintenance database.
    static QString maintenanceUri()
    {
        QFile file(serverDir().filePath(QStringLiteral("uri")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).trimmed();
    }

    // Ends a run that cannot go on, reported as skipped: a skip of the current test function,
    // then the end of the process, as a helper's constructor cannot return from the test
    // function that called it and the database the rest of the run needs is not there.
    [[noreturn]] static void skipRun(const QString& message)
    {
        const QByteArray text = message.toUtf8();
        if (QTest::currentTestFunction())
            QTest::qSkip(text.constData(), __FILE__, __LINE__);
        else
            std::fprintf(stdout, "SKIP   : %s\n", text.constData());
        std::fflush(nullptr);
        std::_Exit(EXIT_SUCCESS);
    }

    // Creates a fresh, uniquely named database. Throws std::runtime_error when it cannot.
    PgTestDatabase() : m_name(uniqueName())
    {
        const QString reason = unavailableReason();
        if (!reason.isEmpty())
            throw std::runtime_error((QLatin1String(UnavailablePrefix) + reason).toStdString());
        run(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'").arg(quoted(m_name)));
        m_uri = uriOf(m_name);
    }

    // Drops the database, ending the connections still open to it.
    ~PgTestDatabase()
    {
        try {
            run(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(quoted(m_name)));
        } catch (const std::exception& e) {
            qWarning("%s", e.what());
        }
    }

    PgTestDatabase(const PgTestDatabase&) = delete;
    PgTestDatabase& operator=(const PgTestDatabase&) = delete;

    QString name() const { return m_name; }
    // The libpq URI of this database.
    QString uri() const { return m_uri; }

private:
    struct ConnectionDeleter
    {
        void operator()(PGconn* c) const { PQfinish(c); }
    };
    struct ResultDeleter
    {
        void operator()(PGresult* r) const { PQclear(r); }
    };
    using Connection = std::unique_ptr<PGconn, ConnectionDeleter>;
    using Result = std::unique_ptr<PGresult, ResultDeleter>;

    static QDir serverDir() { return QDir(qEnvironmentVariable("ORVANTA_TEST_PG_DIR")); }

    static QString findUnavailableReason()
    {
        if (qEnvironmentVariableIsEmpty("ORVANTA_TEST_PG_DIR"))
            return QStringLiteral("ORVANTA_TEST_PG_DIR is not set; run the _pg tests with ctest, "
                                  "which starts the server");
        QFile why(serverDir().filePath(QStringLiteral("unavailable")));
        if (why.open(QIODevice::ReadOnly))
            return QString::fromUtf8(why.readAll()).trimmed();
        const QString uri = maintenanceUri();
        if (uri.isEmpty())
            return QStringLiteral("%1 holds neither uri nor unavailable; is the server started?")
                .arg(serverDir().path());
        const Connection c(PQconnectdb(uri.toUtf8().constData()));
        if (PQstatus(c.get()) != CONNECTION_OK)
            return QStringLiteral("cannot connect to %1: %2")
                .arg(uri, QString::fromUtf8(PQerrorMessage(c.get())).trimmed());
        return {};
    }

    // Unique among the processes of a run (the process id) and across runs on one server.
    static QString uniqueName()
    {
        static std::atomic<int> count{0};
        return QStringLiteral("orvanta_test_%1_%2_%3")
            .arg(QCoreApplication::applicationPid())
            .arg(++count)
            .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    }

    static QString quoted(const QString& name)
    {
        return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    }

    // The maintenance URI with the database name in its path replaced by `name`.
    static QString uriOf(const QString& name)
    {
        const QString maintenance = maintenanceUri();
        qsizetype query = maintenance.indexOf(QLatin1Char('?'));
        if (query < 0)
            query = maintenance.size();
        const qsizetype slash = maintenance.lastIndexOf(QLatin1Char('/'), query - 1);
        return maintenance.left(slash + 1) + name + maintenance.mid(query);
    }

    // Runs one statement on the maintenance database (CREATE and DROP DATABASE cannot run in
    // the database they act on).
    static void run(const QString& sql)
    {
        const Connection c(PQconnectdb(maintenanceUri().toUtf8().constData()));
        if (PQstatus(c.get()) != CONNECTION_OK)
            throw std::runtime_error("cannot connect to the PostgreSQL test server: " +
                                     std::string(PQerrorMessage(c.get())));
        const Result r(PQexec(c.get(), sql.toUtf8().constData()));
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK)
            throw std::runtime_error(sql.toStdString() + ": " + PQerrorMessage(c.get()));
    }

    QString m_name;
    QString m_uri;
};
