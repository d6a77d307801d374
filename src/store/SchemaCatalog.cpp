#include "store/SchemaCatalog.h"

#include "store/Database.h"
#include "store/EngineConnection.h"

SchemaCatalog::SchemaCatalog(const Database& db) : m_db(db) {}

QStringList SchemaCatalog::tables() const
{
    return m_db.engine().tables();
}

bool SchemaCatalog::hasTable(const QString& name) const
{
    return tables().contains(name, Qt::CaseInsensitive);
}

std::vector<SchemaCatalog::ColumnInfo> SchemaCatalog::columns(const QString& table) const
{
    return m_db.engine().columns(table);
}

QStringList SchemaCatalog::columnNames(const QString& table) const
{
    QStringList names;
    for (const ColumnInfo& column : columns(table))
        names.append(column.name);
    return names;
}

QString SchemaCatalog::integerKey(const QString& table) const
{
    for (const ColumnInfo& column : columns(table)) {
        if (column.autoIncrement)
            return column.name;
    }
    return {};
}

QString SchemaCatalog::columnDefinition(const ColumnInfo& column) const
{
    return m_db.engine().columnDefinition(column);
}

void SchemaCatalog::createTable(const QString& name, const std::vector<ColumnInfo>& columns) const
{
    m_db.engine().createTable(name, columns);
}

QList<QStringList> SchemaCatalog::indexColumns(const QString& table) const
{
    return m_db.engine().indexColumns(table);
}

void SchemaCatalog::createIndex(const QString& name, const QString& table, const QStringList& columns) const
{
    m_db.engine().createIndex(name, table, columns);
}

void SchemaCatalog::syncKeyGenerator(const QString& table) const
{
    m_db.engine().syncKeyGenerator(table);
}

void SchemaCatalog::ensureClientIndex(const QString& table) const
{
    const QString client = QStringLiteral("PersonalInformationId");
    if (integerKey(table).compare(client, Qt::CaseInsensitive) == 0)
        return;
    for (const QStringList& columns : indexColumns(table)) {
        if (!columns.isEmpty() && columns.first().compare(client, Qt::CaseInsensitive) == 0)
            return;
    }
    // Index names share one namespace with the tables, which users name: find a free one.
    const QString base = table + QStringLiteral(" by client");
    QString name = base;
    for (int n = 2; m_db.engine().nameTaken(name); ++n)
        name = base + QLatin1Char(' ') + QString::number(n);
    createIndex(name, table, {client});
}

void SchemaCatalog::addColumn(const QString& table, const ColumnInfo& column) const
{
    m_db.engine().addColumn(table, column);
}
