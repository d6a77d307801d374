#pragma once

#include "store/SchemaCatalog.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class Database;

// Creates and extends the table of a designed tab. The table is named exactly as the tab and
// holds, in this order: the tab name + "Id" (blanks removed), an auto-increment key;
// PersonalInformationId, the client of the row; the tab name + "Date" (blanks removed),
// defaulting to the current date; then one nullable text column per field, named exactly as
// the field. Columns are only ever added to an existing table, never removed or retyped.
class TabTableGenerator
{
public:
    static constexpr const char* CurrentDate = "(date('now', 'localtime'))";

    explicit TabTableGenerator(const Database& db);

    // The columns of a new table for `tabName` with `fieldNames`, in table order. A field
    // whose name repeats an earlier column is left out.
    static std::vector<SchemaCatalog::ColumnInfo> columnsFor(const QString& tabName, const QStringList& fieldNames);
    // The column of one field: text, nullable.
    static SchemaCatalog::ColumnInfo fieldColumn(const QString& fieldName);

    // The name of the table called `name` as stored, or nothing when there is none.
    std::optional<QString> existingTable(const QString& name) const;
    // Creates the table unless one of that name exists, inside the caller's transaction.
    // Returns whether it was created; a table the engine refuses is simply not created. Throws
    // StoreError only when the failure ended the whole transaction.
    bool create(const QString& tabName, const QStringList& fieldNames) const;
    // Adds to the existing table `table` a column for every field it lacks, in the order
    // given; rows already there get Null. Returns the names added. Throws StoreError.
    QStringList extend(const QString& table, const QStringList& fieldNames) const;

private:
    const Database& m_db;
};
