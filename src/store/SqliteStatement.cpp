#include "store/SqliteStatement.h"

#include "store/SqliteConnection.h"
#include "store/StoreError.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <sqlite3.h>

namespace {

QString engineMessage(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

} // namespace

SqliteStatement::SqliteStatement(sqlite3* db, const QString& sql) : m_db(db)
{
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &m_stmt, &tail);
    if (rc != SQLITE_OK) {
        const QString message = engineMessage(db);
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw StoreError(message, SqliteConnection::errorKind(rc));
    }
    if (!m_stmt)
        throw StoreError(QStringLiteral("The SQL text holds no statement"));
    // One statement per prepare: anything after it but blanks and semicolons is refused.
    for (; tail && *tail; ++tail) {
        if (*tail != ' ' && *tail != ';' && *tail != '\n' && *tail != '\r' && *tail != '\t') {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            throw StoreError(QStringLiteral("The SQL text holds more than one statement"));
        }
    }
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

void SqliteStatement::bind(int index, const QVariant& value, bool borrowBytes)
{
    int rc = SQLITE_OK;
    if (value.isNull() && value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QByteArray) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(m_stmt, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            // Shares the value's bytes, which stay where `value` holds them.
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(m_stmt, index, bytes.constData(), static_cast<sqlite3_uint64>(bytes.size()),
                                     borrowBytes ? SQLITE_STATIC : SQLITE_TRANSIENT);
            break;
        }
        default: {
            QString text;
            if (value.typeId() == QMetaType::QDate)
                text = value.toDate().toString(Qt::ISODate);
            else if (value.typeId() == QMetaType::QTime)
                text = value.toTime().toString(QStringLiteral("HH:mm:ss"));
            else if (value.typeId() == QMetaType::QDateTime)
                text = value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            else
                text = value.toString();
            const QByteArray utf8 = text.toUtf8();
            // An empty string stays '' rather than NULL: constData() of an empty array is never null.
            rc = sqlite3_bind_text64(m_stmt, index, utf8.constData(), static_cast<sqlite3_uint64>(utf8.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        throw StoreError(engineMessage(m_db));
}

void SqliteStatement::bindZeroBlob(int index, qint64 size)
{
    if (sqlite3_bind_zeroblob64(m_stmt, index, static_cast<sqlite3_uint64>(size)) != SQLITE_OK)
        throw StoreError(engineMessage(m_db));
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString message = engineMessage(m_db);
    sqlite3_reset(m_stmt);
    throw StoreError(message, SqliteConnection::errorKind(rc));
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_stmt);
}

int SqliteStatement::parameterCount() const
{
    return sqlite3_bind_parameter_count(m_stmt);
}

void SqliteStatement::clearBindings()
{
    sqlite3_clear_bindings(m_stmt);
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString SqliteStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString SqliteStatement::columnDeclaredType(int column) const
{
    return QString::fromUtf8(sqlite3_column_decltype(m_stmt, column));
}

QString SqliteStatement::columnTableName(int column) const
{
    return QString::fromUtf8(sqlite3_column_table_name(m_stmt, column));
}

QString SqliteStatement::columnOriginName(int column) const
{
    return QString::fromUtf8(sqlite3_column_origin_name(m_stmt, column));
}

QVariant SqliteStatement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qint64>(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_BLOB: {
        const void* data = sqlite3_column_blob(m_stmt, column);
        const int size = sqlite3_column_bytes(m_stmt, column);
        return QVariant(QByteArray(static_cast<const char*>(data), size));
    }
    case SQLITE_NULL:
        return QVariant();
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column)));
    }
    }
}

QByteArrayView SqliteStatement::utf8(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_FLOAT:
        // The engine writes doubles its own way; keep the text value() gives.
        m_number = QVariant(sqlite3_column_double(m_stmt, column)).toString().toUtf8();
        return m_number;
    default: {
        // Integers become their decimal text, long-binary values their bytes.
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QByteArrayView(text, sqlite3_column_bytes(m_stmt, column));
    }
    }
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

QString SqliteStatement::sql() const
{
    return QString::fromUtf8(sqlite3_sql(m_stmt));
}
