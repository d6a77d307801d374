#include "designer/TabTableGenerator.h"

#include "designer/DesignerNameRules.h"
#include "store/Database.h"
#include "store/Savepoint.h"
#include "store/StoreError.h"

TabTableGenerator::TabTableGenerator(const Database& db) : m_db(db) {}

SchemaCatalog::ColumnInfo TabTableGenerator::fieldColumn(const QString& fieldName)
{
    SchemaCatalog::ColumnInfo column;
    column.name = fieldName;
    column.type = QStringLiteral("TEXT");
    column.nullable = true;
    return column;
}

std::vector<SchemaCatalog::ColumnInfo> TabTableGenerator::columnsFor(const QString& tabName,
                                                                     const QStringList& fieldNames)
{
    SchemaCatalog::ColumnInfo key;
    key.name = DesignerNameRules::idColumn(tabName);
    key.type = QStringLiteral("INTEGER");
    key.autoIncrement = true;

    SchemaCatalog::ColumnInfo client;
    client.name = QStringLiteral("PersonalInformationId");
    client.type = QStringLiteral("INTEGER");

    SchemaCatalog::ColumnInfo date;
    date.name = DesignerNameRules::dateColumn(tabName);
    date.type = QStringLiteral("DATE");
    date.defaultExpression = QString::fromLatin1(CurrentDate);

    std::vector<SchemaCatalog::ColumnInfo> columns{key, client, date};
    QStringList names{key.name, client.name, date.name};
    for (const QString& fieldName : fieldNames) {
        if (names.contains(fieldName, Qt::CaseInsensitive))
            continue;
        names.append(fieldName);
        columns.push_back(fieldColumn(fieldName));
    }
    return columns;
}

std::optional<QString> TabTableGenerator::existingTable(const QString& name) const
{
    for (const QString& table : SchemaCatalog(m_db).tables()) {
        if (table.compare(name, Qt::CaseInsensitive) == 0)
            return table;
    }
    return std::nullopt;
}

bool TabTableGenerator::create(const QString& tabName, const QStringList& fieldNames) const
{
    // A refusal is undone back to here, table and index together, and the transaction goes on.
    Savepoint savepoint(m_db);
    try {
        if (existingTable(tabName))
            return false;
        const SchemaCatalog catalog(m_db);
        catalog.createTable(tabName, columnsFor(tabName, fieldNames));
        catalog.ensureClientIndex(tabName);
        savepoint.release();
        return true;
    } catch (const StoreError&) {
        // A failure that made the engine give up the whole transaction (a full disk, say) must
        // not let the rest be written outside it.
        if (!savepoint.rollback())
            throw;
        return false;
    }
}

QStringList TabTableGenerator::extend(const QString& table, const QStringList& fieldNames) const
{
    const SchemaCatalog catalog(m_db);
    QStringList present = catalog.columnNames(table);
    QStringList added;
    for (const QString& fieldName : fieldNames) {
        if (present.contains(fieldName, Qt::CaseInsensitive))
            continue;
        catalog.addColumn(table, fieldColumn(fieldName));
        present.append(fieldName);
        added.append(fieldName);
    }
    return added;
}
