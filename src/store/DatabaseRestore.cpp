#include "store/DatabaseRestore.h"

#include "store/DatabaseCheck.h"
#include "store/DatabaseSchema.h"
#include "store/DatabaseUsers.h"
#include "store/PrivateFiles.h"
#include "store/SqliteFile.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

DatabaseRestore::DatabaseRestore(const QString& backup, const QString& database)
    : m_backup(backup), m_database(database)
{
}

QString DatabaseRestore::keptName(const QString& database, const QDateTime& when)
{
    return database + QStringLiteral(".before-restore-%1").arg(when.toString(QStringLiteral("yyyy-MM-dd-HHmm")));
}

QString DatabaseRestore::run() const
{
    if (QFileInfo(m_backup).absoluteFilePath() == QFileInfo(m_database).absoluteFilePath())
        throw StoreError(QStringLiteral("%1 is the database itself, not a backup of it.").arg(shown(m_backup)));
    DatabaseCheck::inspect(m_backup);
    const DatabaseUsers::Exclusive alone(m_database);
    if (!alone.acquired())
        throw StoreError(QStringLiteral("Other copies of Orvanta are using the database %1. Close them, then "
                                        "restore again.")
                             .arg(shown(m_database)),
                         StoreError::Kind::Busy);

    // The backup is copied, never moved: it stays a backup whatever happens next.
    PrivateFiles::Building building(QFileInfo(m_database).absoluteFilePath());
    PrivateFiles::createEmpty(building.path());
    {
        SqliteFile backup(m_backup, SqliteFile::Mode::ReadOnly);
        SqliteFile copy(building.path(), SqliteFile::Mode::ReadWrite);
        backup.backupTo(copy, 1024, m_progress);
    }
    // A backup of an older build is brought up to this one's schema before it counts.
    DatabaseSchema::ensure(building.path());
    const QStringList problems = DatabaseCheck::problems(building.path(), DatabaseCheck::Depth::Quick, m_progress);
    if (!problems.isEmpty())
        throw StoreError(QStringLiteral("The backup %1 is damaged: %2")
                             .arg(shown(m_backup), problems.mid(0, 5).join(QStringLiteral("; "))),
                         StoreError::Kind::Damaged);
    building.finish();

    QString kept;
    if (QFileInfo::exists(m_database)) {
        // The writers' lock on the file being replaced: no connection is in the middle of
        // writing it, and a journal a crash left is rolled back into it first.
        SqliteFile current(m_database, SqliteFile::Mode::ReadWrite);
        current.execute(QStringLiteral("BEGIN EXCLUSIVE"));
        const QDateTime now = m_now.isValid() ? m_now : QDateTime::currentDateTime();
        kept = keptName(m_database, now);
        for (int n = 2; QFileInfo::exists(kept); ++n)
            kept = keptName(m_database, now) + QStringLiteral("-%1").arg(n);
        PrivateFiles::keepAs(m_database, kept);
        building.place();
        current.execute(QStringLiteral("ROLLBACK"));
    } else {
        building.place();
    }
    return kept;
}
