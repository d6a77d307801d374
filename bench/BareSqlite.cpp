#include "BareSqlite.h"

#include "store/StoreError.h"

#include <sqlite3.h>

BareSqlite::BareSqlite(const QString& path, bool create)
{
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        const QString message = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close_v2(m_db);
        throw StoreError(QStringLiteral("cannot open %1: %2").arg(path, message));
    }
}

BareSqlite::~BareSqlite()
{
    sqlite3_close_v2(m_db);
}

void BareSqlite::fail() const
{
    throw StoreError(QString::fromUtf8(sqlite3_errmsg(m_db)));
}

void BareSqlite::execute(const QString& sql) const
{
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail();
}

void BareSqlite::mapMemory(qint64 bytes) const
{
    execute(QStringLiteral("PRAGMA mmap_size = %1").arg(bytes));
}

BareSqlite::Query::Query(const BareSqlite& db, const QString& sql) : m_db(db)
{
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db.handle(), text.constData(), static_cast<int>(text.size()), &m_statement, nullptr) !=
        SQLITE_OK)
        db.fail();
}

BareSqlite::Query::~Query()
{
    sqlite3_finalize(m_statement);
}

void BareSqlite::Query::bind(int index, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_statement, index);
    } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
        rc = sqlite3_bind_int64(m_statement, index, value.toLongLong());
    } else {
        const QByteArray text = value.toString().toUtf8();
        rc = sqlite3_bind_text64(m_statement, index, text.constData(), static_cast<sqlite3_uint64>(text.size()),
                                 SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    if (rc != SQLITE_OK)
        m_db.fail();
}

bool BareSqlite::Query::step()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_db.fail();
}

void BareSqlite::Query::reset()
{
    sqlite3_reset(m_statement);
}

int BareSqlite::Query::columns() const
{
    return sqlite3_column_count(m_statement);
}

qint64 BareSqlite::Query::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

QByteArray BareSqlite::Query::text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return text ? QByteArray(text, sqlite3_column_bytes(m_statement, column)) : QByteArray();
}

bool BareSqlite::Query::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}
