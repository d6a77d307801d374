#include "store/SqliteBlob.h"

#include "store/SqliteConnection.h"
#include "store/StoreError.h"

#include <sqlite3.h>

SqliteBlob::SqliteBlob(sqlite3* db, const QString& table, const QString& column, qint64 rowId, bool writable) : m_db(db)
{
    const int rc = sqlite3_blob_open(db, "main", table.toUtf8().constData(), column.toUtf8().constData(), rowId,
                                     writable ? 1 : 0, &m_blob);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_blob_close(m_blob);
        m_blob = nullptr;
        throw StoreError(message, SqliteConnection::errorKind(rc));
    }
}

SqliteBlob::~SqliteBlob()
{
    sqlite3_blob_close(m_blob);
}

qint64 SqliteBlob::size() const
{
    return sqlite3_blob_bytes(m_blob);
}

void SqliteBlob::read(char* buffer, int length, qint64 offset) const
{
    if (sqlite3_blob_read(m_blob, buffer, length, static_cast<int>(offset)) != SQLITE_OK)
        throw StoreError(QString::fromUtf8(sqlite3_errmsg(m_db)));
}

void SqliteBlob::write(const char* buffer, int length, qint64 offset)
{
    if (sqlite3_blob_write(m_blob, buffer, length, static_cast<int>(offset)) != SQLITE_OK)
        throw StoreError(QString::fromUtf8(sqlite3_errmsg(m_db)));
}
