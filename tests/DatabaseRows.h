#pragma once

// Reading and writing the test's database directly, each call on a connection of its own, to
// check what the program stored without going through the code under test.

#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/SchemaCatalog.h"
#include "store/Statement.h"

#include <QList>
#include <QStringList>
#include <QVariantList>

namespace DatabaseRows {

inline QList<QVariantList> rows(const QString& sql, const QVariantList& params = {})
{
    Database db(CLsDataBaseConnection::databasePath());
    Statement statement = db.prepare(sql);
    statement.bindAll(params);
    QList<QVariantList> result;
    while (statement.step()) {
        QVariantList row;
        for (int i = 0; i < statement.columnCount(); ++i)
            row << statement.value(i);
        result << row;
    }
    return result;
}

inline void execute(const QString& sql, const QVariantList& params = {})
{
    Database(CLsDataBaseConnection::databasePath()).execute(sql, params);
}

inline QStringList columnNames(const QString& table)
{
    Database db(CLsDataBaseConnection::databasePath());
    return SchemaCatalog(db).columnNames(table);
}

inline bool hasTable(const QString& table)
{
    Database db(CLsDataBaseConnection::databasePath());
    return SchemaCatalog(db).hasTable(table);
}

// How the engine finds the rows of `sql`: the details of its query plan, one line per step.
inline QString queryPlan(const QString& sql, const QVariantList& params = {})
{
    QStringList details;
    for (const QVariantList& row : rows(QStringLiteral("EXPLAIN QUERY PLAN ") + sql, params))
        details.append(row.at(3).toString());
    return details.join(QLatin1Char('\n'));
}

} // namespace DatabaseRows
