#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

// The bare engine, as a baseline: library calls only, no wrapper of the program's. Failures
// throw StoreError with the engine's message.
class BareSqlite
{
public:
    // Opens (or creates) the file with the engine's default settings.
    explicit BareSqlite(const QString& path, bool create = false);
    ~BareSqlite();
    BareSqlite(const BareSqlite&) = delete;
    BareSqlite& operator=(const BareSqlite&) = delete;

    void execute(const QString& sql) const;
    // Reads through memory-mapped I/O for files up to `bytes` (PRAGMA mmap_size).
    void mapMemory(qint64 bytes) const;
    sqlite3* handle() const { return m_db; }

    class Query
    {
    public:
        Query(const BareSqlite& db, const QString& sql);
        ~Query();
        Query(const Query&) = delete;
        Query& operator=(const Query&) = delete;

        void bind(int index, const QVariant& value);
        bool step();
        void reset();
        int columns() const;
        qint64 integer(int column) const;
        // The column's text as the engine returns it (UTF-8); empty for Null.
        QByteArray text(int column) const;
        bool isNull(int column) const;

    private:
        const BareSqlite& m_db;
        sqlite3_stmt* m_statement = nullptr;
    };

private:
    [[noreturn]] void fail() const;

    sqlite3* m_db = nullptr;
};
