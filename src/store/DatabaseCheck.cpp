#include "store/DatabaseCheck.h"

#include "store/BackupFolder.h"
#include "store/DatabaseSchema.h"
#include "store/Identifier.h"
#include "store/SchemaUpgrade.h"
#include "store/SqliteFile.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

qint64 count(SqliteFile& file, const QString& table)
{
    return file.value(QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(table))).toLongLong();
}

} // namespace

QStringList DatabaseCheck::problems(const QString& path, Depth depth, const WorkProgress& progress)
{
    if (!QFileInfo(path).isFile())
        throw StoreError(QStringLiteral("The database %1 does not exist.").arg(shown(path)));
    try {
        // Opened for writing, as any connection is: a journal a crash left behind is rolled
        // back first, and the check sees the database as the program would.
        SqliteFile file(path, SqliteFile::Mode::ReadWrite);
        if (progress)
            file.watch([&progress] { return !progress(0, 0); });
        const QStringList rows = file.column(depth == Depth::Full ? QStringLiteral("PRAGMA integrity_check")
                                                                  : QStringLiteral("PRAGMA quick_check"));
        if (rows == QStringList{QStringLiteral("ok")})
            return {};
        return rows;
    } catch (const StoreError& error) {
        if (error.isBusy() || error.isCancelled())
            throw;
        // A file the engine cannot read at all is a problem found, in the engine's words.
        return {error.message()};
    }
}

DatabaseCheck::Contents DatabaseCheck::inspect(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw StoreError(QStringLiteral("The file %1 does not exist.").arg(shown(path)));
    const auto notOurs = [&path](const QString& why) {
        return StoreError(QStringLiteral("%1 is not a database of Orvanta.\n\n%2").arg(shown(path), why));
    };
    Contents contents;
    try {
        SqliteFile file(path, SqliteFile::Mode::ReadOnly);
        const QStringList tables = file.column(QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table'"));
        QStringList missing;
        for (const QString& table : DatabaseSchema::fixedTables()) {
            if (!tables.contains(table, Qt::CaseInsensitive))
                missing.append(table);
        }
        if (!missing.isEmpty())
            throw notOurs(QStringLiteral("Missing tables: %1").arg(missing.join(QStringLiteral(", "))));
        contents.schemaVersion = file.value(QStringLiteral("PRAGMA user_version")).toInt();
        if (contents.schemaVersion > SchemaUpgrade::currentVersion())
            throw StoreError(QStringLiteral("%1 was made by a newer version of Orvanta (schema %2; this one knows "
                                            "up to %3). It cannot be used here.")
                                 .arg(shown(path))
                                 .arg(contents.schemaVersion)
                                 .arg(SchemaUpgrade::currentVersion()));
        contents.clients = count(file, QStringLiteral("Personal Information"));
        contents.documents = count(file, QStringLiteral("Attachments")) + count(file, QStringLiteral("Resources"));
    } catch (const StoreError& error) {
        if (error.isDamaged())
            throw StoreError(QStringLiteral("The file %1 is damaged: %2").arg(shown(path), error.message()),
                             StoreError::Kind::Damaged);
        if (error.isBusy() || error.message().startsWith(shown(path)))
            throw;
        throw notOurs(error.message());
    }
    contents.bytes = info.size();
    contents.taken = BackupFolder::takenFromName(info.fileName());
    if (!contents.taken.isValid())
        contents.taken = info.lastModified();
    return contents;
}

QList<QPair<QString, qint64>> DatabaseCheck::rowCounts(const QString& path)
{
    SqliteFile file(path, SqliteFile::Mode::ReadOnly);
    return rowCounts(file);
}

QList<QPair<QString, qint64>> DatabaseCheck::rowCounts(SqliteFile& file)
{
    QList<QPair<QString, qint64>> counts;
    const QStringList tables = file.column(QStringLiteral(
        "SELECT name FROM sqlite_schema WHERE type = 'table' AND sql NOT LIKE 'CREATE VIRTUAL%' ORDER BY name"));
    for (const QString& table : tables)
        counts.append({table, count(file, table)});
    return counts;
}
