#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Which tab and field names the designer accepts, and the names of a tab table's own columns.
//
// A tab's name is also its table's name, and the client record window reads and writes that
// table by name; a name that already names a table (a fixed one such as Security or
// Personal Information, or another tab's) would make it use the wrong table. Table and
// column names compare without regard to case, as the database engine compares them.
class DesignerNameRules
{
public:
    // The name with every blank removed.
    static QString withoutBlanks(const QString& name);
    // The tab table's key column: the tab name followed by "Id", without blanks.
    static QString idColumn(const QString& tabName);
    // The tab table's date column: the tab name followed by "Date", without blanks.
    static QString dateColumn(const QString& tabName);
    // The columns every tab table has before its fields, in table order.
    static QStringList ownColumns(const QString& tabName);

    // The message refusing a tab name, or nothing when the name may be used.
    // `tables` are the database's tables, `tabs` the names of the defined tabs.
    static std::optional<QString> tabNameProblem(const QString& name, const QStringList& tables,
                                                 const QStringList& tabs);
    // The message refusing a field name for `tabName`, whose fields so far are `fields`.
    static std::optional<QString> fieldNameProblem(const QString& name, const QString& tabName,
                                                   const QStringList& fields);
};
