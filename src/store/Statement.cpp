#include "store/Statement.h"

#include "store/StoreError.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <sqlite3.h>
#include <utility>

namespace {

QString engineMessage(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

} // namespace

Statement::Statement(sqlite3* db, const QString& sql) : m_db(db)
{
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &m_stmt, &tail);
    if (rc != SQLITE_OK) {
        const QString message = engineMessage(db);
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw StoreError(message, StoreError::kindOf(rc));
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

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_stmt(std::exchange(other.m_stmt, nullptr))
{
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = std::exchange(other.m_db, nullptr);
        m_stmt = std::exchange(other.m_stmt, nullptr);
    }
    return *this;
}

void Statement::bind(int index, const QVariant& value)
{
    bind(index, value, false);
}

void Statement::bind(int index, const QVariant& value, bool borrowBytes)
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

void Statement::bindAll(const QVariantList& values)
{
    bindAll(values, false);
}

void Statement::bindAllBorrowed(const QVariantList& values)
{
    bindAll(values, true);
}

void Statement::bindAll(const QVariantList& values, bool borrowBytes)
{
    if (values.size() != sqlite3_bind_parameter_count(m_stmt))
        throw StoreError(QStringLiteral("The statement expects %1 values, %2 were given")
                             .arg(sqlite3_bind_parameter_count(m_stmt))
                             .arg(values.size()));
    for (int i = 0; i < values.size(); ++i)
        bind(i + 1, values.at(i), borrowBytes);
}

void Statement::bindZeroBlob(int index, qint64 size)
{
    if (sqlite3_bind_zeroblob64(m_stmt, index, static_cast<sqlite3_uint64>(size)) != SQLITE_OK)
        throw StoreError(engineMessage(m_db));
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString message = engineMessage(m_db);
    sqlite3_reset(m_stmt);
    throw StoreError(message, StoreError::kindOf(rc));
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString Statement::columnDeclaredType(int column) const
{
    return QString::fromUtf8(sqlite3_column_decltype(m_stmt, column));
}

QString Statement::columnTableName(int column) const
{
    return QString::fromUtf8(sqlite3_column_table_name(m_stmt, column));
}

QString Statement::columnOriginName(int column) const
{
    return QString::fromUtf8(sqlite3_column_origin_name(m_stmt, column));
}

QVariant Statement::value(int column) const
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

QByteArrayView Statement::utf8(int column) const
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

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

QString Statement::sql() const
{
    return QString::fromUtf8(sqlite3_sql(m_stmt));
}
