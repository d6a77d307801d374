#include "store/DatabaseCompaction.h"

#include "store/DatabaseCheck.h"
#include "store/DatabaseUsers.h"
#include "store/PrivateFiles.h"
#include "store/SqliteFile.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QScopeGuard>
#include <QStorageInfo>

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

DatabaseCompaction::DatabaseCompaction(const QString& database) : m_database(database) {}

DatabaseCompaction::Result DatabaseCompaction::run() const
{
    const QFileInfo info(m_database);
    if (!info.isFile())
        throw StoreError(QStringLiteral("The database %1 does not exist.").arg(shown(m_database)));
    const DatabaseUsers::Exclusive alone(m_database);
    if (!alone.acquired())
        throw StoreError(QStringLiteral("Other copies of Orvanta are using the database %1. Close them, then "
                                        "compact it again.")
                             .arg(shown(m_database)),
                         StoreError::Kind::Busy);
    Result result;
    result.bytesBefore = info.size();

    SqliteFile database(m_database, SqliteFile::Mode::ReadWrite);
    // Holding the writers' place keeps every other connection from writing until the
    // compact copy has taken the file's name; reading, the copy's own work, goes on.
    SqliteFile writersPlace(m_database, SqliteFile::Mode::ReadWrite);
    writersPlace.execute(QStringLiteral("BEGIN IMMEDIATE"));
    auto release = qScopeGuard([&writersPlace] {
        try {
            writersPlace.execute(QStringLiteral("ROLLBACK"));
        } catch (const StoreError&) {
        }
    });
    const qint64 pageSize = database.value(QStringLiteral("PRAGMA page_size")).toLongLong();
    const qint64 expected = pageSize * (database.value(QStringLiteral("PRAGMA page_count")).toLongLong() -
                                        database.value(QStringLiteral("PRAGMA freelist_count")).toLongLong());
    const QStorageInfo storage(info.absolutePath());
    // Some room to spare for the engine's own pages and the file system.
    if (storage.isValid() && storage.bytesAvailable() < expected + expected / 20 + (qint64(16) << 20))
        throw StoreError(QStringLiteral("There is not enough free space beside the database %1 to compact it: it "
                                        "needs about %2, and %3 are free.")
                             .arg(shown(m_database), QLocale().formattedDataSize(expected),
                                  QLocale().formattedDataSize(storage.bytesAvailable())));

    PrivateFiles::Building building(info.absoluteFilePath());
    // The engine fills an empty file it is given, which keeps the mode made here.
    PrivateFiles::createEmpty(building.path());
    if (m_progress) {
        database.watch(
            [this, &building, expected] { return !m_progress(QFileInfo(building.path()).size(), expected); });
    }
    database.execute(QStringLiteral("VACUUM INTO ?"), building.path());
    database.watch({});

    const QList<QPair<QString, qint64>> before = DatabaseCheck::rowCounts(database);
    const QList<QPair<QString, qint64>> after = DatabaseCheck::rowCounts(building.path());
    if (before != after)
        throw StoreError(QStringLiteral("The compacted copy of %1 does not hold the same rows; the database "
                                        "has been left as it was.")
                             .arg(shown(m_database)));
    building.finish();
    building.place();
    result.bytesAfter = QFileInfo(m_database).size();
    return result;
}
