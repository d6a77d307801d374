#include "designer/TabDefinitionStore.h"

#include "store/Database.h"
#include "store/Statement.h"

namespace {

QString text(const Statement& statement, int column)
{
    return statement.isNull(column) ? QString() : statement.value(column).toString();
}

// A position as the FieldInfo row keeps it: whole twips where the text is a number (as the
// designer and the record window read it), else Null, which both windows treat alike: the
// control keeps its starting place.
QVariant position(const QString& text)
{
    const std::optional<int> twips = DesignerFieldEntry::twips(text);
    return twips ? QVariant(qint64{*twips}) : QVariant();
}

} // namespace

TabDefinitionStore::TabDefinitionStore(const Database& db) : m_db(db) {}

std::vector<DesignerTabPage> TabDefinitionStore::editableTabs() const
{
    Statement statement = m_db.prepare(
        QStringLiteral("SELECT TabNam, TabDescription, PersonalInformationId FROM TabInfo WHERE TabEdit = 1 "
                       "ORDER BY TabId"));
    std::vector<DesignerTabPage> pages;
    while (statement.step())
        pages.push_back({text(statement, 0), text(statement, 1), text(statement, 2)});
    return pages;
}

std::vector<DesignerFieldEntry> TabDefinitionStore::editableFields() const
{
    Statement statement = m_db.prepare(QStringLiteral(
        "SELECT TabInfo.TabNam, TabInfo.TabDescription, FieldInfo.FieldName, FieldInfo.FieldDescription, "
        "FieldInfo.FieldDisplayOrder, FieldInfo.fieldLeft, FieldInfo.fieldTop, FieldInfo.labelLeft, "
        "FieldInfo.labelTop, FieldInfo.fieldWidth FROM FieldInfo INNER JOIN TabInfo ON FieldInfo.TabId = "
        "TabInfo.TabId WHERE FieldInfo.FieldEdit = 1 ORDER BY FieldInfo.FieldDisplayOrder NULLS FIRST, "
        "FieldInfo.TabId, FieldInfo.FieldName NULLS FIRST"));
    std::vector<DesignerFieldEntry> entries;
    while (statement.step()) {
        DesignerFieldEntry entry;
        entry.tabName = text(statement, 0);
        entry.tabDescription = text(statement, 1);
        entry.fieldName = text(statement, 2);
        entry.fieldDescription = text(statement, 3);
        entry.displayOrder = static_cast<qint16>(statement.value(4).toInt());
        entry.fieldLeft = text(statement, 5);
        entry.fieldTop = text(statement, 6);
        entry.labelLeft = text(statement, 7);
        entry.labelTop = text(statement, 8);
        entry.fieldWidth = text(statement, 9);
        entries.push_back(entry);
    }
    return entries;
}

QStringList TabDefinitionStore::tabNames() const
{
    Statement statement = m_db.prepare(QStringLiteral("SELECT TabNam FROM TabInfo"));
    QStringList names;
    while (statement.step())
        names.append(text(statement, 0));
    return names;
}

void TabDefinitionStore::checkPages(const std::vector<DesignerTabPage>& pages)
{
    for (const DesignerTabPage& page : pages)
        page.clientValue();
}

QList<qint64> TabDefinitionStore::write(const std::vector<DesignerTabPage>& pages,
                                        const std::vector<DesignerFieldEntry>& fields, bool editMode,
                                        const QList<qint64>& replacing) const
{
    checkPages(pages);
    if (editMode) {
        m_db.execute(QStringLiteral("DELETE FROM FieldInfo WHERE FieldEdit = 1"));
        m_db.execute(QStringLiteral("DELETE FROM TabInfo WHERE TabEdit = 1"));
    } else {
        for (const qint64 tabId : replacing) {
            m_db.execute(QStringLiteral("DELETE FROM FieldInfo WHERE TabId = ?"), {tabId});
            m_db.execute(QStringLiteral("DELETE FROM TabInfo WHERE TabId = ?"), {tabId});
        }
    }

    QList<qint64> written;
    for (const DesignerTabPage& page : pages) {
        m_db.execute(QStringLiteral("INSERT INTO TabInfo (TabNam, TabDescription, PersonalInformationId) "
                                    "VALUES (?, ?, ?)"),
                     {page.name, page.description, page.clientValue()});
        const qint64 tabId = m_db.lastInsertRowId();
        written.append(tabId);
        for (const DesignerFieldEntry& entry : fields) {
            if (entry.tabName != page.name)
                continue;
            m_db.execute(QStringLiteral("INSERT INTO FieldInfo (FieldDescription, FieldName, TabId, "
                                        "FieldDisplayOrder, fieldLeft, fieldTop, labelLeft, labelTop, fieldWidth) "
                                        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                         {entry.fieldDescription, entry.fieldName, tabId, entry.displayOrder, position(entry.fieldLeft),
                          position(entry.fieldTop), position(entry.labelLeft), position(entry.labelTop),
                          position(entry.fieldWidth)});
        }
    }
    return written;
}
