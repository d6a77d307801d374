#pragma once

#include "designer/DesignSession.h"

#include <QString>
#include <QWidget>

class DesignerCanvas;
class DesignerCanvasFields;
class DesignerToolbar;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabBar;

// The tab and field designer. An administrator defines new tabs ("forms") of the client
// record, or extends the editable ones, by placing fields on a canvas; saving writes the
// TabInfo and FieldInfo rows and creates or extends each tab's table.
//
// Each page of the tab strip is a tab; the field list holds every field of every page for
// the window's whole life. The canvas shows the fields of the page on screen, in the places
// (twips) where the client record window will show them. The pages, the fields and what the
// buttons do with them are the window's DesignSession; the window shows them and says what
// the session reports.
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

    // The fields on the canvas, as the session keeps them.
    const DesignerCanvasModel& canvasModel() const { return m_session.canvas(); }

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
    // Makes the canvas controls of the session's canvas fields afresh.
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
    // Shows what the session has to say, if anything. Returns whether there was something.
    bool inform(const DesignSession::Outcome& outcome);

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
    DesignSession m_session;
    bool m_loaded = false;
};
