#pragma once

#include "clients/EventListTable.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// Maintains the event types and the categories offered by the event dialog, one pane each.
// A pane adds the name in its box, or, after a double click on a row, renames that row;
// Delete removes the row selected in the list after asking.
//
// A pane's edit state is kept on its controls: the Save button's "Tag" property reads
// "edit" while a row is being renamed, the name box's "Tag" holds that row's key, and
// Cancel is enabled exactly then.
class FrmCategoryEventEditor : public QWidget
{
    Q_OBJECT

public:
    explicit FrmCategoryEventEditor(QWidget* parent = nullptr);

    // Fills both lists. Reports a database failure in a message.
    void load();
    bool isLoaded() const { return m_loaded; }

    void setVisible(bool visible) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Pane
    {
        EventListTable table;
        QTreeWidget* list = nullptr;
        QLineEdit* name = nullptr;
        QPushButton* save = nullptr;
        QPushButton* cancel = nullptr;
        QPushButton* remove = nullptr;
    };

    // Builds a pane: its frame captioned `caption`, controls named after `kind` ("Event", "Category").
    void createPane(Pane& pane, const QString& caption, const QString& kind, const QString& listName, double left);
    Pane* paneOf(const QObject* list);
    void LoadLists();
    void beginEdit(Pane& pane, const QTreeWidgetItem* item);
    void resetPane(Pane& pane);
    void save(Pane& pane);
    void remove(Pane& pane);
    void reportError(const QString& message);

    bool m_loaded = false;
    Pane m_events{EventListTable::eventTypes()};
    Pane m_categories{EventListTable::categories()};
};
