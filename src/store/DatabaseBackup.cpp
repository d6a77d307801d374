#include "store/DatabaseBackup.h"

#include "store/DatabaseCheck.h"
#include "store/DatabaseCopy.h"
#include "store/DatabaseLocation.h"
#include "store/PrivateFiles.h"
#include "store/SqliteFile.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

StoreError cancelled()
{
    return StoreError(QStringLiteral("Cancelled."), StoreError::Kind::Cancelled);
}

// Copies made while other connections write start again after each commit; after this many
// tries the last one keeps the writers out until it is done, so that a backup always ends.
constexpr int OpenTries = 3;
constexpr int Restarts = 20;

// Tells a server copy's progress as tables begun and document bytes copied; may cancel.
class CopyProgress final : public DatabaseCopy::Progress
{
public:
    explicit CopyProgress(const WorkProgress& progress) : m_progress(progress) {}

    void tableStarted(const DatabaseCopy::TableProgress&) override { tell(0, 0); }
    void documentsCopied(const DatabaseCopy::TableProgress& table) override { tell(table.bytesDone, table.bytes); }
    void verifying() override { tell(0, 0); }

private:
    void tell(qint64 done, qint64 total) const
    {
        if (m_progress && !m_progress(done, total))
            throw cancelled();
    }

    const WorkProgress& m_progress;
};

// A read transaction on the source, ended on every way out.
class Reading
{
public:
    explicit Reading(SqliteFile& file) : m_file(file) {}
    ~Reading()
    {
        try {
            end();
        } catch (const StoreError&) {
        }
    }
    Reading(const Reading&) = delete;
    Reading& operator=(const Reading&) = delete;

    void begin()
    {
        m_file.execute(QStringLiteral("BEGIN"));
        m_open = true;
        // A deferred transaction takes its snapshot at its first read.
        m_file.value(QStringLiteral("SELECT count(*) FROM sqlite_schema"));
    }
    void end()
    {
        if (m_open) {
            m_open = false;
            m_file.execute(QStringLiteral("ROLLBACK"));
        }
    }

private:
    SqliteFile& m_file;
    bool m_open = false;
};

QString mismatch(const QList<QPair<QString, qint64>>& source, const QList<QPair<QString, qint64>>& copy)
{
    for (const auto& [table, rows] : source) {
        qint64 copied = -1;
        for (const auto& [name, count] : copy) {
            if (name == table)
                copied = count;
        }
        if (copied != rows)
            return QStringLiteral("the table %1 has %2 rows, its copy %3").arg(table).arg(rows).arg(copied);
    }
    return QStringLiteral("the copy has tables the database has not");
}

} // namespace

DatabaseBackup::DatabaseBackup(const QString& from, const QString& to) : m_from(from), m_to(to) {}

QString DatabaseBackup::fileNameFor(const QDateTime& when)
{
    return QStringLiteral("Dravolin-%1.mdb").arg(when.toString(QStringLiteral("yyyy-MM-dd-HHmm")));
}

DatabaseBackup::Result DatabaseBackup::run() const
{
    const QFileInfo target(m_to);
    if (target.exists() && !target.isFile())
        throw StoreError(QStringLiteral("%1 exists and is not a file.").arg(shown(m_to)));
    if (!QFileInfo(target.absolutePath()).isDir())
        throw StoreError(QStringLiteral("The folder %1 does not exist.").arg(shown(target.absolutePath())));
    PrivateFiles::Building building(target.absoluteFilePath());
    Result result = DatabaseLocation::isServer(m_from) ? fromServer(building.path()) : fromFile(building.path());
    // A copy made in one step may not have asked before: a Cancel pressed meanwhile still counts.
    if (m_progress && !m_progress(1, 1))
        throw cancelled();
    building.finish();
    building.place();
    result.file = target.absoluteFilePath();
    result.bytes = QFileInfo(result.file).size();
    return result;
}

DatabaseBackup::Result DatabaseBackup::fromFile(const QString& building) const
{
    if (!QFileInfo(m_from).isFile())
        throw StoreError(QStringLiteral("The database %1 does not exist.").arg(shown(m_from)));
    PrivateFiles::createEmpty(building);
    SqliteFile source(m_from, SqliteFile::Mode::ReadWrite);
    SqliteFile copy(building, SqliteFile::Mode::ReadWrite);
    const auto ask = [this] { return m_progress && !m_progress(0, 0); };
    for (int attempt = 1;; ++attempt) {
        const bool last = attempt == OpenTries;
        Reading reading(source);
        // On the last try a read transaction held throughout keeps the copy from starting again.
        if (last)
            reading.begin();
        const qint64 copiedAt = source.backupTo(copy, m_pagesPerStep, m_progress, last ? 1000000 : Restarts);
        if (copiedAt < 0) {
            attempt = OpenTries - 1; // written to all the time: the last try keeps the writers out
            continue;
        }
        // The rows of the database at the moment the copy was finished, if no connection has
        // committed since; else the comparison cannot tell and the copy is made again.
        if (!last)
            reading.begin();
        const bool unchanged = last || source.dataVersion() == copiedAt;
        const QList<QPair<QString, qint64>> rows = DatabaseCheck::rowCounts(source);
        reading.end();

        copy.watch(ask);
        const QStringList problems = copy.column(QStringLiteral("PRAGMA integrity_check"));
        copy.watch({});
        if (problems != QStringList{QStringLiteral("ok")})
            throw StoreError(QStringLiteral("The backup could not be verified: the copy is damaged (%1).")
                                 .arg(problems.mid(0, 5).join(QStringLiteral("; "))));
        const QList<QPair<QString, qint64>> copied = DatabaseCheck::rowCounts(copy);
        if (copied == rows)
            break;
        if (unchanged)
            throw StoreError(QStringLiteral("The backup could not be verified: %1.").arg(mismatch(rows, copied)));
        if (ask())
            throw cancelled();
    }
    Result result;
    for (const auto& [table, rows] : DatabaseCheck::rowCounts(copy)) {
        if (table == QLatin1String("Personal Information"))
            result.clients = rows;
        else if (table == QLatin1String("Attachments") || table == QLatin1String("Resources"))
            result.documents += rows;
    }
    return result;
}

DatabaseBackup::Result DatabaseBackup::fromServer(const QString& building) const
{
    // The copy checks every row count and every document's digest before it names the file.
    DatabaseCopy copy(m_from, building);
    CopyProgress progress(m_progress);
    copy.setProgress(&progress);
    copy.run();
    const QStringList problems = DatabaseCheck::problems(building, DatabaseCheck::Depth::Full, m_progress);
    if (!problems.isEmpty())
        throw StoreError(QStringLiteral("The backup could not be verified: the copy is damaged (%1).")
                             .arg(problems.mid(0, 5).join(QStringLiteral("; "))));
    const DatabaseCheck::Contents contents = DatabaseCheck::inspect(building);
    Result result;
    result.clients = contents.clients;
    result.documents = contents.documents;
    return result;
}
