#include "store/DatabaseLocation.h"

#include "store/ApplicationFolder.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

namespace {

QMutex choiceMutex;
QString commandLine;                             // guarded by choiceMutex
constexpr qint64 ConfigurationLimit = 64 * 1024; // a URI, not a document

} // namespace

void DatabaseLocation::setCommandLine(const QString& location)
{
    const QMutexLocker lock(&choiceMutex);
    commandLine = location;
}

QString DatabaseLocation::fromArguments(const QStringList& arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--database") && i + 1 < arguments.size())
            return arguments.at(i + 1);
        if (argument.startsWith(QLatin1String("--database=")))
            return argument.mid(11);
    }
    return {};
}

QString DatabaseLocation::parseConfiguration(const QByteArray& contents, const QString& fileName)
{
    QStringList lines;
    for (const QByteArray& line : contents.split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (!text.isEmpty() && !text.startsWith(QLatin1Char('#')))
            lines.append(text);
    }
    const QString shown = QDir::toNativeSeparators(fileName);
    if (lines.size() != 1)
        throw StoreError(QStringLiteral("%1 should hold one line naming the database, such as "
                                        "postgresql://server/orvanta, but it holds %2.\n\n"
                                        "Correct it, or remove it to use the database file in the program's folder.")
                             .arg(shown, lines.isEmpty() ? QStringLiteral("none") : QStringLiteral("several")));
    const QString location = lines.constFirst();
    if (!isServer(location) && location.contains(QLatin1String("://")))
        throw StoreError(QStringLiteral("%1 names \"%2\", which is neither a PostgreSQL address "
                                        "(postgresql://…) nor a file.")
                             .arg(shown, location.section(QLatin1String("://"), 0, 0) + QStringLiteral("://…")));
    return location;
}

QString DatabaseLocation::current()
{
    {
        const QMutexLocker lock(&choiceMutex);
        if (!commandLine.isEmpty())
            return commandLine;
    }
    // Read each time: it is one short line, and a test or an administrator may change it.
    const QString conf = ApplicationFolder::filePath(QStringLiteral("Database.conf"));
    QFile file(conf);
    if (!file.exists())
        return ApplicationFolder::filePath(QStringLiteral("Dravolin.mdb"));
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(conf), file.errorString()));
    return parseConfiguration(file.read(ConfigurationLimit), conf);
}

bool DatabaseLocation::isServer(const QString& location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString DatabaseLocation::describe(const QString& location)
{
    if (!isServer(location))
        return QDir::toNativeSeparators(location);
    const QUrl url(location);
    const QUrlQuery query(url);
    QString host = url.host();
    if (query.hasQueryItem(QStringLiteral("host")))
        host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    if (host.isEmpty())
        host = QStringLiteral("localhost");
    if (url.port() > 0)
        host += QLatin1Char(':') + QString::number(url.port());
    QString database = url.path(QUrl::FullyDecoded).mid(1);
    if (query.hasQueryItem(QStringLiteral("dbname")))
        database = query.queryItemValue(QStringLiteral("dbname"), QUrl::FullyDecoded);
    if (database.isEmpty())
        database = url.userName().isEmpty() ? QStringLiteral("(the default)") : url.userName();
    return QStringLiteral("database \"%1\" on the server %2").arg(database, host);
}
