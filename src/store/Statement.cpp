#include "store/Statement.h"

#include "store/EngineStatement.h"
#include "store/StoreError.h"

Statement::Statement(std::unique_ptr<EngineStatement> statement) : m_statement(std::move(statement)) {}
Statement::~Statement() = default;
Statement::Statement(Statement&& other) noexcept = default;
Statement& Statement::operator=(Statement&& other) noexcept = default;

void Statement::bind(int index, const QVariant& value)
{
    m_statement->bind(index, value, false);
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
    const int expected = m_statement->parameterCount();
    if (values.size() != expected)
        throw StoreError(
            QStringLiteral("The statement expects %1 values, %2 were given").arg(expected).arg(values.size()));
    for (int i = 0; i < values.size(); ++i)
        m_statement->bind(i + 1, values.at(i), borrowBytes);
}

void Statement::bindZeroBlob(int index, qint64 size)
{
    m_statement->bindZeroBlob(index, size);
}

void Statement::clearBindings()
{
    m_statement->clearBindings();
}

bool Statement::step()
{
    return m_statement->step();
}

void Statement::reset()
{
    m_statement->reset();
}

int Statement::columnCount() const
{
    return m_statement->columnCount();
}

QString Statement::columnName(int column) const
{
    return m_statement->columnName(column);
}

QString Statement::columnDeclaredType(int column) const
{
    return m_statement->columnDeclaredType(column);
}

QString Statement::columnTableName(int column) const
{
    return m_statement->columnTableName(column);
}

QString Statement::columnOriginName(int column) const
{
    return m_statement->columnOriginName(column);
}

QVariant Statement::value(int column) const
{
    return m_statement->value(column);
}

bool Statement::isNull(int column) const
{
    return m_statement->isNull(column);
}

QByteArrayView Statement::utf8(int column) const
{
    return m_statement->utf8(column);
}

QString Statement::sql() const
{
    return m_statement->sql();
}
