#pragma once

#include "store/ClientId.h"

#include "clients/SortClause.h"
#include "clients/ui/ClientTransfer.h"

#include <QList>
#include <QString>
#include <QWidget>
#include <vector>

class ClientListLoader;
class ClientListModel;
class ExplorerFrame;
class QLabel;
class QAction;
class QMenu;
class QMenuBar;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

// The client explorer: a tree of client groups on the left, the clients of the selected
// group on the right, a bar between them to share the width. For the built-in account
// (level 99) the tree holds the users under the groups and the list shows users.
//
// The commands that open other windows are signals; the main window connects them.
class FrmDataBaseExplorer : public QWidget
{
    Q_OBJECT

public:
    // Item data of the tree's nodes.
    static constexpr int TagRole = Qt::UserRole;       // group name, or SecurityId of a user node
    static constexpr int KeyRole = Qt::UserRole + 1;   // "ClientManager" + group name, or the user key
    static constexpr int CountRole = Qt::UserRole + 2; // active clients counted when the tree was built

    explicit FrmDataBaseExplorer(QWidget* parent = nullptr);
    ~FrmDataBaseExplorer() override;

    // Set by the opener before the window is shown. 99 shows users instead of clients.
    int UserLevel = 0;
    // The SecurityId of the logged-in user, passed on to the Options dialog.
    QString SecId;

    // Reads the grouping from Settings.ini, builds the tree and gives the window its designed
    // size. Runs by itself when the window is first shown.
    void load();
    // Adds the group nodes (and in user mode the user nodes) to the tree. Callers clear the
    // tree first. Database errors are reported and end the building.
    void formInfromation();

    QMenuBar* menuBar() const;
    // True while clients are grouped by company name rather than last name.
    bool groupedByCompany() const { return m_byCompany; }
    const SortClause& sortClause() const { return m_sort; }
    // The client list is read a slice of `rows` rows per turn of the event loop; the window
    // takes clicks and keys between slices.
    void setListSliceRows(int rows);
    // True while the rows of a group are still coming.
    bool isListFilling() const;

    QSize sizeHint() const override;

signals:
    void newClientRequested();
    void explorerRequested(int userLevel, const QString& secId);
    void resourceManagerRequested();
    // The designer: a new tab ("Create Tabs(Forms)") or editing ("Edit Tabs(Forms)").
    void designerRequested(bool editMode);
    void optionsRequested(const QString& secId);
    void categoriesRequested();
    // One of the main window's commands for the database file, by its menu item's name
    // ("mnuBackup", "mnuRestore", "mnuCompact", "mnuCheck", "mnuCheckFull").
    void databaseToolRequested(const QString& item);
    // A double click on a client row: open its record window.
    void clientOpenRequested(ClientId personalInformationId, const QString& personalName);
    // A click on a user node in user mode: open the user dialog.
    void userOpenRequested(qint64 securityId);
    // "Exit": end the application at once. Quits the event loop when nothing is connected.
    void exitRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createMenus();

    void refreshTree();
    void setGrouping(bool byCompany);
    void nodeClicked(QTreeWidgetItem* node);
    void showClientList(QTreeWidgetItem* node);
    void showUserList(QTreeWidgetItem* node);
    void listFailed(const QString& message);
    void columnClicked(int section);
    void openClient(int row);
    std::vector<ClientId> clientsToExport() const;
    void exportClients(ClientTransfer::Format format);
    void clientsImported();
    void exitApplication();
    void fillWindowsMenu();
    void reportError(const QString& message);

    bool m_loaded = false;
    bool m_byCompany = false;
    SortClause m_sort;

    ExplorerFrame* m_frame = nullptr;
    QMenu* m_windowsMenu = nullptr;
    QList<QAction*> m_databaseTools;
    QList<QAction*> m_transferItems;
    ClientTransfer* m_transfer = nullptr;
    QLabel* m_lblClassAndSection = nullptr;
    QLabel* m_lblStudentInformation = nullptr;
    QTreeWidget* m_tree = nullptr;
    QTreeView* m_list = nullptr;
    ClientListModel* m_model = nullptr;
    ClientListLoader* m_loader = nullptr;
};
