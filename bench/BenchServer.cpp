#include "BenchServer.h"

#include "BenchFiles.h"
#include "Stopwatch.h"

#include "store/DatabaseCopy.h"

#include "store/StoreError.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace {

QString readLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readLine()).trimmed();
}

} // namespace

BenchServer::BenchServer(const QString& folder) : m_folder(folder)
{
    const ExternalCommand::Result started =
        ExternalCommand::run(QStringLiteral(ORVANTA_PG_SERVER_SCRIPT), {QStringLiteral("start"), m_folder}, true,
                             {QStringLiteral("ORVANTA_PG_DURABLE=1")});
    m_uri = readLine(QDir(m_folder).filePath(QStringLiteral("uri")));
    if (!started.started || m_uri.isEmpty()) {
        m_reason = readLine(QDir(m_folder).filePath(QStringLiteral("unavailable")));
        if (m_reason.isEmpty())
            m_reason = QStringLiteral("%1 did not start a server").arg(QStringLiteral(ORVANTA_PG_SERVER_SCRIPT));
        return;
    }
    if (!havePsql()) {
        m_reason = QStringLiteral("psql is not installed");
        return;
    }
    const ExternalCommand::Result version =
        psql(m_uri, {QStringLiteral("-Atc"), QStringLiteral("SHOW server_version")});
    m_description = QStringLiteral("PostgreSQL %1, Unix socket, a new cluster's settings")
                        .arg(QString::fromUtf8(version.output).trimmed());
}

BenchServer::~BenchServer()
{
    ExternalCommand::run(QStringLiteral(ORVANTA_PG_SERVER_SCRIPT), {QStringLiteral("stop"), m_folder}, true);
}

bool BenchServer::havePsql()
{
    return ExternalCommand::available(QStringLiteral("psql"));
}

QString BenchServer::createDatabase(const QString& name) const
{
    psql(m_uri, {QStringLiteral("-c"), QStringLiteral("CREATE DATABASE \"%1\"").arg(name)});
    return uriOf(name);
}

QString BenchServer::uriOf(const QString& name) const
{
    QString uri = m_uri;
    uri.replace(QStringLiteral(":///postgres?"), QStringLiteral(":///%1?").arg(name));
    return uri;
}

void BenchServer::dropDatabase(const QString& name) const
{
    psql(m_uri, {QStringLiteral("-c"), QStringLiteral("DROP DATABASE \"%1\" WITH (FORCE)").arg(name)});
}

QString BenchServer::prepareFolder(const QString& app, const QString& name) const
{
    const QString uri = createDatabase(name);
    QDir().mkpath(app);
    BenchFiles::write(QDir(app).filePath(QStringLiteral("Database.conf")), uri.toUtf8() + '\n');
    return uri;
}

double BenchServer::copyIn(const QString& file, const QString& app, const QString& name) const
{
    const QString uri = prepareFolder(app, name);
    const Stopwatch watch;
    DatabaseCopy(file, uri).run();
    const double seconds = watch.seconds();
    psql(uri, {QStringLiteral("-c"), QStringLiteral("VACUUM")});
    psql(uri, {QStringLiteral("-c"), QStringLiteral("CHECKPOINT")});
    return seconds;
}

void BenchServer::makeCold() const
{
    const ExternalCommand::Result restarted =
        ExternalCommand::run(QStringLiteral(ORVANTA_PG_SERVER_SCRIPT), {QStringLiteral("restart"), m_folder}, true);
    if (!restarted.started || restarted.exitCode != 0)
        throw StoreError(QStringLiteral("the server in %1 did not restart").arg(m_folder));
    QDirIterator files(QDir(m_folder).filePath(QStringLiteral("data")), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        // The server's own temporary files may come and go meanwhile.
        try {
            BenchFiles::evict(files.next());
        } catch (const StoreError&) {
        }
    }
}

ExternalCommand::Result BenchServer::psql(const QString& uri, const QStringList& arguments) const
{
    QStringList all = {QStringLiteral("-X"), QStringLiteral("-q"),
                       QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                       QStringLiteral("-d"), uri};
    all += arguments;
    const ExternalCommand::Result result = ExternalCommand::run(QStringLiteral("psql"), all, true);
    if (!result.started || result.exitCode != 0)
        throw StoreError(QStringLiteral("psql %1 failed").arg(arguments.join(QLatin1Char(' '))));
    return result;
}
