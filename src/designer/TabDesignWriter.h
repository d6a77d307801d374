#pragma once

#include "designer/DesignerFieldEntry.h"
#include "designer/DesignerTabPage.h"
#include "store/StoreError.h"

#include <QList>
#include <QString>
#include <vector>

class Database;

// Stores what the designer defined: each tab's table (created when missing, or given the
// columns of its new fields) and the tab's TabInfo and FieldInfo rows, all in one
// transaction. A failure part way, or the program ending part way, therefore leaves neither
// a table without its definitions (whose name no new tab could take again) nor definitions
// that name columns their table lacks.
class TabDesignWriter
{
public:
    // The table `table()` could not receive the columns of its new fields.
    class TableError : public StoreError
    {
    public:
        TableError(const QString& table, const StoreError& cause);
        QString table() const { return m_table; }

    private:
        QString m_table;
    };

    explicit TabDesignWriter(const Database& db);

    // Tables and definitions in one transaction (see TabDefinitionStore::write for the
    // definitions). Returns the TabId of each page. Throws TableError when a table cannot
    // be extended, StoreError when anything else fails; nothing is stored then.
    QList<qint64> write(const std::vector<DesignerTabPage>& pages, const std::vector<DesignerFieldEntry>& fields,
                        bool editMode, const QList<qint64>& replacing) const;

    // Only the tables, in a transaction of their own. A table the engine refuses to create
    // is simply missing afterwards. Throws as write() does.
    void writeTables(const std::vector<DesignerTabPage>& pages, const std::vector<DesignerFieldEntry>& fields) const;

    // The field names of tab `tabName`, in field-list order.
    static QStringList fieldNamesOf(const std::vector<DesignerFieldEntry>& fields, const QString& tabName);

private:
    void tables(const std::vector<DesignerTabPage>& pages, const std::vector<DesignerFieldEntry>& fields) const;

    const Database& m_db;
};
