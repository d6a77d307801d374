#include "store/PgStatement.h"

#include "store/PgSchemaSql.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace {

// Type numbers of the server's built-in types.
constexpr Oid BoolType = 16;
constexpr Oid ByteaType = 17;
constexpr Oid Int8Type = 20;
constexpr Oid Int2Type = 21;
constexpr Oid Int4Type = 23;
constexpr Oid OidType = 26;
constexpr Oid Float4Type = 700;
constexpr Oid Float8Type = 701;
constexpr Oid NumericType = 1700;

bool isInteger(Oid type)
{
    return type == Int8Type || type == Int4Type || type == Int2Type || type == OidType;
}

} // namespace

PgStatement::PgStatement(std::shared_ptr<PgConnection> connection, const QString& sql)
    : m_connection(std::move(connection)), m_sql(sql)
{
    const PgSqlTranslator::Result& translated = m_connection->translate(sql);
    m_translated = translated.sql;
    m_returningKey = translated.returningKey;
    m_parameterCount = translated.parameters;
    m_values.resize(static_cast<size_t>(m_parameterCount), PgConnection::Value{{}, true, false});
    // Checked now, as SQLite checks a statement when it is prepared; the unnamed statement
    // only describes it.
    const QByteArray text = m_translated.toUtf8();
    PgResult prepared(PQprepare(m_connection->handle(), "", text.constData(), 0, nullptr));
    if (!prepared.ok())
        m_connection->fail(prepared);
    m_description = PgResult(PQdescribePrepared(m_connection->handle(), ""));
    if (!m_description.ok())
        m_connection->fail(m_description);
}

void PgStatement::bind(int index, const QVariant& value, bool)
{
    if (index < 1 || index > m_parameterCount)
        throw StoreError(QStringLiteral("The statement has no value number %1").arg(index));
    PgConnection::Value& slot = m_values[static_cast<size_t>(index - 1)];
    slot = {};
    if (value.isNull() && value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QByteArray) {
        slot.null = true;
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        slot.bytes = value.toBool() ? "1" : "0";
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        slot.bytes = QByteArray::number(value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        slot.bytes = QByteArray::number(value.toDouble(), 'g', 17);
        break;
    case QMetaType::QByteArray:
        slot.bytes = value.toByteArray();
        slot.binary = true;
        break;
    case QMetaType::QDate:
        slot.bytes = value.toDate().toString(Qt::ISODate).toUtf8();
        break;
    case QMetaType::QTime:
        slot.bytes = value.toTime().toString(QStringLiteral("HH:mm:ss")).toUtf8();
        break;
    case QMetaType::QDateTime:
        slot.bytes = value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
        break;
    default:
        slot.bytes = value.toString().toUtf8();
        break;
    }
}

void PgStatement::bindZeroBlob(int index, qint64 size)
{
    bind(index, size, false);
}

void PgStatement::clearBindings()
{
    for (PgConnection::Value& value : m_values)
        value = {{}, true, false};
}

bool PgStatement::step()
{
    if (m_done)
        return false;
    if (!m_result) {
        m_result = m_connection->run(m_translated, m_values);
        m_row = -1;
        const bool inserted = !m_returningKey.isEmpty() && PQntuples(m_result.get()) > 0;
        const int changes = QByteArray(PQcmdTuples(m_result.get())).toInt();
        m_connection->noteChanges(changes, inserted ? QByteArray(PQgetvalue(m_result.get(), 0, 0)).toLongLong() : 0,
                                  inserted);
        if (PgSchemaSql::changesSchema(m_sql))
            m_connection->forgetNames();
    }
    if (!m_returningKey.isEmpty() || ++m_row >= PQntuples(m_result.get())) {
        m_done = true;
        return false;
    }
    return true;
}

void PgStatement::reset()
{
    m_result = PgResult();
    m_row = -1;
    m_done = false;
}

const PGresult* PgStatement::described() const
{
    return m_result ? m_result.get() : m_description.get();
}

int PgStatement::columnCount() const
{
    return m_returningKey.isEmpty() ? PQnfields(described()) : 0;
}

QString PgStatement::columnName(int column) const
{
    return QString::fromUtf8(PQfname(described(), column));
}

PgConnection::ColumnOrigin PgStatement::originOf(int column) const
{
    return m_connection->origin(PQftable(described(), column), PQftablecol(described(), column));
}

QString PgStatement::columnDeclaredType(int column) const
{
    return originOf(column).type;
}

QString PgStatement::columnTableName(int column) const
{
    return originOf(column).table;
}

QString PgStatement::columnOriginName(int column) const
{
    return originOf(column).column;
}

void PgStatement::requireRow(int column) const
{
    if (!m_result || m_row < 0 || m_row >= PQntuples(m_result.get()) || column < 0 ||
        column >= PQnfields(m_result.get()))
        throw StoreError(QStringLiteral("There is no value %1 in the current row").arg(column));
}

QVariant PgStatement::value(int column) const
{
    requireRow(column);
    const PGresult* result = m_result.get();
    if (PQgetisnull(result, m_row, column))
        return {};
    const char* text = PQgetvalue(result, m_row, column);
    const int length = PQgetlength(result, m_row, column);
    const Oid type = PQftype(result, column);
    if (isInteger(type))
        return QVariant(QByteArray(text, length).toLongLong());
    if (type == Float4Type || type == Float8Type)
        return QVariant(QByteArray(text, length).toDouble());
    if (type == NumericType) {
        const QByteArray number(text, length);
        bool whole = false;
        const qint64 integer = number.toLongLong(&whole);
        return whole ? QVariant(integer) : QVariant(number.toDouble());
    }
    if (type == BoolType)
        return QVariant(qint64(text[0] == 't' ? 1 : 0));
    if (type == ByteaType) {
        size_t size = 0;
        unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &size);
        const QByteArray value(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
        PQfreemem(bytes);
        return value;
    }
    return QVariant(QString::fromUtf8(text, length));
}

bool PgStatement::isNull(int column) const
{
    requireRow(column);
    return PQgetisnull(m_result.get(), m_row, column) != 0;
}

QByteArrayView PgStatement::utf8(int column) const
{
    requireRow(column);
    const PGresult* result = m_result.get();
    if (PQgetisnull(result, m_row, column))
        return {};
    const Oid type = PQftype(result, column);
    if (type == Float4Type || type == Float8Type || type == NumericType || type == BoolType || type == ByteaType) {
        // Keep the text value() gives.
        m_text = value(column).toString().toUtf8();
        return m_text;
    }
    return QByteArrayView(PQgetvalue(result, m_row, column), PQgetlength(result, m_row, column));
}
