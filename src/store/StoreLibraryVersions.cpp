#include "store/StoreLibraryVersions.h"

#include <libpq-fe.h>
#include <sodium.h>
#include <sqlite3.h>

QList<LibraryVersion> StoreLibraryVersions::list()
{
    return {
        {QStringLiteral("SQLite"), QString::fromLatin1(sqlite3_libversion()), QStringLiteral("public domain")},
        {QStringLiteral("libpq"), libpqVersionText(PQlibVersion()), QStringLiteral("PostgreSQL")},
        {QStringLiteral("libsodium"), QString::fromLatin1(sodium_version_string()), QStringLiteral("ISC")},
    };
}

QString StoreLibraryVersions::libpqVersionText(int number)
{
    if (number >= 100000)
        return QStringLiteral("%1.%2").arg(number / 10000).arg(number % 10000);
    return QStringLiteral("%1.%2.%3").arg(number / 10000).arg(number / 100 % 100).arg(number % 100);
}
