#pragma once

#include "store/EngineBlob.h"

#include <QString>

struct sqlite3;
struct sqlite3_blob;

// Incremental I/O on one value of an SQLite file, closed when destroyed.
class SqliteBlob final : public EngineBlob
{
public:
    SqliteBlob(sqlite3* db, const QString& table, const QString& column, qint64 rowId, bool writable);
    ~SqliteBlob() override;

    SqliteBlob(const SqliteBlob&) = delete;
    SqliteBlob& operator=(const SqliteBlob&) = delete;

    qint64 size() const override;
    void read(char* buffer, int length, qint64 offset) const override;
    void write(const char* buffer, int length, qint64 offset) override;

private:
    sqlite3* m_db = nullptr;
    sqlite3_blob* m_blob = nullptr;
};
