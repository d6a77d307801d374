#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <unordered_map>

struct sqlite3;
class Statement;

// One open database file. Owns the engine handle and closes it on destruction.
// Statements prepared on it may outlive a close request: the handle is released
// once the last of them is finalized.
//
// Besides the engine's own SQL functions every connection knows casefold(text): the text
// with all its letters in lower case, not only A to Z (Null stays Null).
class Database
{
public:
    // Opens an existing file (or creates it when `create` is true).
    // Throws StoreError when the file cannot be opened.
    explicit Database(const QString& path, bool create = false);
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

    qint64 lastInsertRowId() const;
    bool inTransaction() const;
    // The largest value, in bytes, one column of one row may hold.
    qint64 maxValueLength() const;
    QString path() const { return m_path; }
    sqlite3* handle() const { return m_db; }

    // Throws StoreError with the engine's message for a failing result code.
    void check(int resultCode) const;
    QString lastErrorMessage() const;

private:
    class CachedUse;
    Statement& cached(const QString& sql) const;

    sqlite3* m_db = nullptr;
    QString m_path;
    mutable std::unordered_map<QString, std::unique_ptr<Statement>> m_cache;
};
