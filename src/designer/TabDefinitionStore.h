#pragma once

#include "designer/DesignerFieldEntry.h"
#include "designer/DesignerTabPage.h"

#include <QList>
#include <QStringList>
#include <vector>

class Database;

// The TabInfo and FieldInfo rows of the designed tabs: reading the editable ones back and
// writing the designer's pages and fields. Every value is bound as a parameter.
//
// Tabs and fields the designer may change carry TabEdit = 1 and FieldEdit = 1, the columns'
// defaults; the built-in Personal Information tab carries 0 and is never touched.
class TabDefinitionStore
{
public:
    explicit TabDefinitionStore(const Database& db);

    // The editable tabs, in the order they were stored.
    std::vector<DesignerTabPage> editableTabs() const;
    // The fields of the editable tabs, in display order. The display orders of one tab differ;
    // fields of several tabs sharing one come in the order of their tabs.
    std::vector<DesignerFieldEntry> editableFields() const;
    // The names of all defined tabs.
    QStringList tabNames() const;

    // Writes one TabInfo row per page (in page order) and one FieldInfo row per field-list
    // entry of that page (in list order), inside the caller's transaction (the tab tables
    // are written in the same one, see TabDesignWriter). In edit mode it first removes every
    // editable definition; otherwise it removes the tabs `replacing` (those this window
    // wrote before) and their fields. Returns the TabId of each page. Throws StoreError, and
    // writes nothing when checkPages() refuses the pages.
    QList<qint64> write(const std::vector<DesignerTabPage>& pages, const std::vector<DesignerFieldEntry>& fields,
                        bool editMode, const QList<qint64>& replacing) const;

    // Throws StoreError when a page cannot be stored: one meant for a client whose identifier
    // is not a whole number (see DesignerTabPage::clientValue).
    static void checkPages(const std::vector<DesignerTabPage>& pages);

private:
    const Database& m_db;
};
