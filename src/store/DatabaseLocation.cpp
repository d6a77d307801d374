#include "store/DatabaseLocation.h"

#include <QDir>
#include <QUrl>
#include <QUrlQuery>

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
