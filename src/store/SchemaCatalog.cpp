#include "store/SchemaCatalog.h"

#include "store/Database.h"
#include "store/Identifier.h"
#include "store/Statement.h"

SchemaCatalog::SchemaCatalog(const Database& db) : m_db(db) {}

QStringList SchemaCatalog::tables() const
{
    Statement statement = m_db.prepare(QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' AND name "
                                                      "NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"));
    QStringList names;
    while (statement.step())
        names.append(statement.value(0).toString());
    return names;
}

bool SchemaCatalog::hasTable(const QString& name) const
{
    return tables().contains(name, Qt::CaseInsensitive);
}

std::vector<SchemaCatalog::ColumnInfo> SchemaCatalog::columns(const QString& table) const
{
    Statement statement = m_db.prepare(
        QStringLiteral("SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?) ORDER BY cid"));
    statement.bind(1, table);
    std::vector<ColumnInfo> result;
    int keyColumns = 0;
    while (statement.step()) {
        ColumnInfo column;
        column.name = statement.value(0).toString();
        column.type = statement.value(1).toString();
        column.nullable = statement.value(2).toInt() == 0;
        column.defaultExpression = statement.value(3).toString();
        column.autoIncrement =
            statement.value(4).toInt() == 1 && column.type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
        if (statement.value(4).toInt() > 0)
            ++keyColumns;
        result.push_back(column);
    }
    // Only a single INTEGER PRIMARY KEY column is the row's own number.
    if (keyColumns > 1) {
        for (ColumnInfo& column : result)
            column.autoIncrement = false;
    }
    return result;
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

QString SchemaCatalog::columnDefinition(const ColumnInfo& column)
{
    QString definition = quoteIdentifier(column.name) + QLatin1Char(' ') + column.type;
    if (column.autoIncrement)
        definition += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
    if (!column.nullable)
        definition += QStringLiteral(" NOT NULL");
    if (!column.defaultExpression.isEmpty())
        definition += QStringLiteral(" DEFAULT ") + column.defaultExpression;
    return definition;
}

void SchemaCatalog::createTable(const QString& name, const std::vector<ColumnInfo>& columns) const
{
    QStringList definitions;
    for (const ColumnInfo& column : columns)
        definitions.append(columnDefinition(column));
    m_db.execute(
        QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdentifier(name), definitions.join(QStringLiteral(", "))));
}

QList<QStringList> SchemaCatalog::indexColumns(const QString& table) const
{
    Statement list = m_db.prepare(QStringLiteral("SELECT name FROM pragma_index_list(?) ORDER BY name"));
    list.bind(1, table);
    QList<QStringList> indexes;
    while (list.step()) {
        Statement info = m_db.prepare(QStringLiteral("SELECT name FROM pragma_index_info(?) ORDER BY seqno"));
        info.bind(1, list.value(0).toString());
        QStringList columns;
        while (info.step())
            columns.append(info.value(0).toString());
        indexes.append(columns);
    }
    return indexes;
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
    for (int n = 2;
         m_db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE name = ? COLLATE NOCASE"), {name})
             .toInt() > 0;
         ++n)
        name = base + QLatin1Char(' ') + QString::number(n);
    m_db.execute(QStringLiteral("CREATE INDEX %1 ON %2 (PersonalInformationId)")
                     .arg(quoteIdentifier(name), quoteIdentifier(table)));
}

void SchemaCatalog::syncKeyGenerator(const QString& table) const
{
    // Nothing to do on SQLite: an AUTOINCREMENT key follows the largest key inserted,
    // given or generated, by itself.
    Q_UNUSED(table);
}

void SchemaCatalog::addColumn(const QString& table, const ColumnInfo& column) const
{
    m_db.execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoteIdentifier(table), columnDefinition(column)));
}
