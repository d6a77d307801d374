#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <unordered_map>

class EngineConnection;
class Statement;

// One open database: a file (SQLite) or a database on a server (PostgreSQL), told apart by
// its location (see DatabaseLocation). Owns the connection and closes it on destruction.
// Statements prepared on it may outlive a close request: the connection is released once the
// last of them is gone.
//
// Besides the engine's own SQL functions every connection knows casefold(text): the text
// with all its letters in lower case, not only A to Z (Null stays Null); and longbinary(x):
// the bytes of x stored as a long-binary value, which SQL for both engines writes.
class Database
{
public:
    // Opens an existing database (or creates a missing file when `create` is true).
    // Throws StoreError when it cannot be opened.
    explicit Database(const QString& location, bool create = false);
    ~Database();

    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    Database(Database&&) = delete;
    Database& operator=(Database&&) = delete;

    // Prepares exactly one statement; more than one statement in `sql` is an error.
    Statement prepare(const QString& sql) const;

    // Runs one statement with its parameters bound in order; returns the rows changed.
    // The statements of execute() and scalar() stay prepared for the next call with the same
    // text, so a loop that inserts or counts row by row does not compile its SQL each time.
    int execute(const QString& sql, const QVariantList& params = {}) const;

    // Runs a script of several statements without parameters (schema creation only).
    void executeScript(const QString& sql) const;

    // First column of the first row, or a null QVariant when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& params = {}) const;

    // How long connections opened from now on wait for a database another connection holds
    // locked (10 s unless set; tests shorten it). A negative value restores the default.
    static void setBusyTimeout(int milliseconds);
    static int busyTimeout();

    qint64 lastInsertRowId() const;
    bool inTransaction() const;
    // The largest value, in bytes, one column of one row may hold.
    qint64 maxValueLength() const;
    // The location it was opened with: a file path or a server's connection URI.
    QString path() const { return m_path; }
    // Where the database is, for messages (never a password).
    QString displayName() const;
    bool isServer() const { return m_server; }
    QString lastErrorMessage() const;

    // The engine behind it, for the store's own classes.
    EngineConnection& engine() const { return *m_engine; }

private:
    class CachedUse;
    Statement& cached(const QString& sql) const;

    std::shared_ptr<EngineConnection> m_engine;
    QString m_path;
    bool m_server = false;
    mutable std::unordered_map<QString, std::unique_ptr<Statement>> m_cache;
};
