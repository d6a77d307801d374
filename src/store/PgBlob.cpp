#include "store/PgBlob.h"

#include "store/PgConnection.h"

#include <cstring>

PgBlob::PgBlob(PgConnection& connection, unsigned int object, qint64 size)
    : m_connection(connection), m_object(object), m_size(size)
{
}

void PgBlob::read(char* buffer, int length, qint64 offset) const
{
    if (length < 0 || offset < 0 || offset + length > m_size)
        throw StoreError(QStringLiteral("A read past the end of a stored value was refused"));
    const PgResult result = m_connection.run(
        QStringLiteral("SELECT lo_get($1, $2, $3)"),
        {{QByteArray::number(m_object)}, {QByteArray::number(offset)}, {QByteArray::number(length)}}, true);
    if (PQgetlength(result.get(), 0, 0) != length)
        throw StoreError(QStringLiteral("The stored value changed while it was read"));
    std::memcpy(buffer, PQgetvalue(result.get(), 0, 0), static_cast<size_t>(length));
}

void PgBlob::write(const char* buffer, int length, qint64 offset)
{
    if (length < 0 || offset < 0 || offset + length > m_size)
        throw StoreError(QStringLiteral("A write past the end of a stored value was refused"));
    m_connection.run(QStringLiteral("SELECT lo_put($1, $2, $3)"),
                     {{QByteArray::number(m_object)},
                      {QByteArray::number(offset)},
                      {QByteArray::fromRawData(buffer, length), false, true}});
}
