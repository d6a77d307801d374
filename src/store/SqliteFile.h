#pragma once

#include "store/WorkProgress.h"

#include <QString>
#include <QStringList>
#include <QVariant>

struct sqlite3;

// A database file opened for work on the whole file (backups, checks, compaction), below the
// program's own connections: no SQL functions of the program, but the engine's backup and
// progress interfaces. The handle is closed on destruction.
class SqliteFile
{
public:
    enum class Mode
    {
        ReadOnly,
        ReadWrite
    };

    // Throws StoreError when the file cannot be opened; never creates one.
    SqliteFile(const QString& path, Mode mode);
    ~SqliteFile();

    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    // Runs SQL without parameters; every row's first column as text. Throws StoreError (a
    // cancelled one when the watcher asked to stop).
    QStringList column(const QString& sql);
    // The first column of the first row, or a null QVariant.
    QVariant value(const QString& sql);
    void execute(const QString& sql);
    // Runs one statement with one text parameter.
    void execute(const QString& sql, const QString& parameter);

    // Asks `stop` every few thousand steps of the engine while SQL runs; a true answer
    // interrupts it. Cleared by passing an empty function.
    void watch(std::function<bool()> stop);

    // Copies the whole database into `target` with the engine's online backup, `pagesPerStep`
    // at a time, letting other connections write between steps (a write makes the copy start
    // again). Returns the source's data version (see dataVersion()) from before the step that
    // finished the copy, or -1 when the copy had to start again more than `restarts` times.
    qint64 backupTo(SqliteFile& target, int pagesPerStep, const WorkProgress& progress, int restarts = 1000000);

    // Changes when another connection commits to the file (PRAGMA data_version).
    qint64 dataVersion();

    sqlite3* handle() const { return m_db; }
    QString path() const { return m_path; }

private:
    [[noreturn]] void fail(int rc, const QString& what) const;

    sqlite3* m_db = nullptr;
    QString m_path;
    std::function<bool()> m_stop;
    bool m_stopped = false;
};
