#pragma once

#include "designer/DesignerCanvasModel.h"
#include "designer/DesignerFieldEntry.h"
#include "designer/DesignerTabPage.h"
#include "platform/MessageBox.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

class DesignerCanvas;
class DesignerCanvasFields;
class DesignerToolbar;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabBar;
class StoreError;

// The tab and field designer. An administrator defines new tabs ("forms") of the client
// record, or extends the editable ones, by placing fields on a canvas; saving writes the
// TabInfo and FieldInfo rows and creates or extends each tab's table.
//
// Each page of the tab strip is a tab; the field list holds every field of every page for
// the window's whole life. The canvas shows the fields of the page on screen, in the places
// (twips) where the client record window will show them.
//
// The opener creates the window, sets EMode and the caption ("Create Tabs(Forms)" or
// "Edit Tabs(Forms)"), calls load() (or just shows the window, which loads it the first
// time) and shows it as a child window.
class DatabaseGenerator : public QWidget
{
    Q_OBJECT

public:
    explicit DatabaseGenerator(QWidget* parent = nullptr);
    ~DatabaseGenerator() override;

    // False: create mode, one new tab is defined. True: edit mode, the editable tabs are
    // loaded and may receive new fields.
    bool EMode = false;

    // Fills the client list and, in edit mode, loads the editable tabs and their fields.
    // In edit mode without editable tabs it says so and closes the window. Runs once.
    void load();
    bool isLoaded() const { return m_loaded; }

    // Creates each page's table when it is missing and adds the missing field columns to an
    // existing one, in one transaction. A table that cannot be extended is reported and
    // nothing is written; returns false then. (The window's buttons write the tables and
    // the definitions together, see SaveTabDefinitions.)
    bool CreateAccessTable();
    // Creates the table `TableName` from the field list; does nothing when it exists.
    // Failures leave the table missing, without a message.
    void Cdcd(const QString& TableName);

    const std::vector<DesignerTabPage>& pages() const { return m_pages; }
    const std::vector<DesignerFieldEntry>& fieldList() const { return m_fields; }
    const DesignerCanvasModel& canvasModel() const { return m_model; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void createToolbar();
    void createTableFrame();
    void createColumnFrame();

    void FillClientList();
    void LoadEditableTabs();
    // Writes the tab tables and the TabInfo and FieldInfo rows in one transaction, so that
    // no table is ever left without its definitions. Reports a failure; returns false then.
    bool SaveTabDefinitions();
    void StoreTabFields();
    void ShowTabFields();

    void addTab();
    void clearTab();
    void addField();
    void clearField();
    void saveLayout();
    void generateDatabase();
    void pageChanged(int index);
    void align(DesignerCanvasModel::Alignment alignment);
    void showWidthOf(int index);
    void widthChanged(const QString& text);

    void appendPage(const DesignerTabPage& page);
    void enableFieldArea(bool enabled);
    QString shownPage() const;
    void inform(const QString& text, MessageBox::Icon icon = MessageBox::NoIcon);
    void reportFailure(const QString& what, const StoreError& error);

    DesignerToolbar* m_toolbar = nullptr;
    QTabBar* m_tabStrip = nullptr;
    DesignerCanvas* m_canvas = nullptr;
    QLineEdit* m_tableName = nullptr;
    QLineEdit* m_tableDescription = nullptr;
    QPushButton* m_tableAdd = nullptr;
    QPushButton* m_tableClear = nullptr;
    QRadioButton* m_allClients = nullptr;
    QRadioButton* m_oneClient = nullptr;
    QListWidget* m_clientList = nullptr;
    QLineEdit* m_fieldName = nullptr;
    QLineEdit* m_fieldDescription = nullptr;
    QLineEdit* m_width = nullptr;
    QPushButton* m_fieldAdd = nullptr;
    QPushButton* m_fieldClear = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_exit = nullptr;
    QPushButton* m_generate = nullptr;

    DesignerCanvasFields* m_canvasFields = nullptr;
    DesignerCanvasModel m_model;
    std::vector<DesignerTabPage> m_pages; // in strip order
    std::vector<DesignerFieldEntry> m_fields;
    QStringList m_clientIds;     // beside the lines of the client list
    QList<qint64> m_writtenTabs; // TabIds this window wrote in create mode
    int m_shownPage = -1;        // the page whose fields are on the canvas
    bool m_loaded = false;
};
