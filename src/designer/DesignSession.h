#pragma once

#include "designer/DesignerCanvasModel.h"
#include "designer/DesignerFieldEntry.h"
#include "designer/DesignerTabPage.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// One designer window's work, without the window: the tabs (pages) being defined, the field
// list of every page, the canvas of the page on screen, and what adding, switching, saving and
// generating do to them and to the database. Each action opens its own connection.
//
// Actions that have something to tell the user return it as a Notice; the window shows it and
// does nothing else with it. An action that returns no notice has done what it was asked.
class DesignSession
{
public:
    struct Notice
    {
        enum class Kind
        {
            Plain,
            Information,
            Critical
        };
        QString text;
        Kind kind = Kind::Plain;
    };
    using Outcome = std::optional<Notice>;

    // False: create mode, one new tab is defined. True: edit mode, the editable tabs are
    // loaded and may receive new fields.
    explicit DesignSession(bool editMode = false) : m_editMode(editMode) {}
    bool editMode() const { return m_editMode; }
    void setEditMode(bool editMode) { m_editMode = editMode; }

    // The active clients in the order they were entered, one line per client ("Last Middle
    // First"); their identifiers are kept beside the lines for addTab. A failure part way keeps
    // the clients read so far.
    QStringList readClients();
    // The identifier of the client on line `row`, or empty.
    QString clientId(int row) const { return m_clientIds.value(row); }

    // Adds the editable tabs and their fields, and shows the first tab's fields on the
    // canvas. Returns the failure to read them.
    Outcome loadEditableTabs();
    // In edit mode without a tab to edit, what to tell the user before the window closes.
    Outcome nothingToEdit() const;

    // Adds a page after the others, for every client or for the client on line `clientRow`
    // (-1: every client). A name already taken by a table or a tab is refused. The first page
    // becomes the page on screen, as the first page of a tab strip does.
    Outcome addTab(const QString& name, const QString& description, int clientRow = -1);
    // Adds a field to the page on screen: on the canvas (its last field) and to the field
    // list. A name the page's table could not take is refused.
    Outcome addField(const QString& name, const QString& description);
    // Leaves the page on screen, keeping its fields' places in the field list, and shows page
    // `index`. Returns whether the canvas now holds that page's fields afresh (edit mode).
    bool showPage(int index);
    // Aligns the selected text boxes on the canvas.
    Outcome align(DesignerCanvasModel::Alignment alignment);

    // Writes the tab tables and the TabInfo and FieldInfo rows together, the page on screen as
    // the canvas shows it. In create mode a further save replaces what this session wrote.
    // Returns the failure; nothing is written then.
    Outcome save();
    // Saves as save() does, then reports "Operation Complete".
    Outcome generate();
    // Creates each page's missing table and adds the missing field columns to an existing
    // one, in one transaction. Returns the failure; nothing is written then.
    Outcome createTables();
    // Creates the table `name` from the field list; does nothing when it exists. A table that
    // cannot be made is simply missing afterwards.
    void createTable(const QString& name) const;

    const std::vector<DesignerTabPage>& pages() const { return m_pages; } // in strip order
    const std::vector<DesignerFieldEntry>& fields() const { return m_fields; }
    DesignerCanvasModel& canvas() { return m_canvas; }
    const DesignerCanvasModel& canvas() const { return m_canvas; }
    // The index of the page whose fields are on the canvas, or -1.
    int shownPage() const { return m_shownPage; }

private:
    QString shownPageName() const;
    void storeShownPage();
    void showShownPage();

    bool m_editMode;
    DesignerCanvasModel m_canvas;
    std::vector<DesignerTabPage> m_pages;
    std::vector<DesignerFieldEntry> m_fields;
    QStringList m_clientIds;     // beside the lines readClients() returned
    QList<qint64> m_writtenTabs; // TabIds this session wrote in create mode
    int m_shownPage = -1;
};
