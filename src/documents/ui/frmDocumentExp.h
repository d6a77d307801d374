#pragma once

#include "store/ClientId.h"

#include <QString>
#include <QWidget>
#include <memory>

class ExplorerFrame;
class QAction;
class QMenu;
class QMenuBar;
class QTreeWidget;
class QTreeWidgetItem;
class ResourceLibrary;

// The resource library: the folders of the shared library as a tree on the left, the
// resources of the selected folder on the right, a bar between them to share the width.
//
// Opened from the main window with adminFunction set, it maintains folders and resources;
// from the explorer it browses, showing how many resources each folder holds; with SetMode
// and a client's PersonalInformationId it is a browser in which a double click assigns the
// selected resource to that client.
class frmDocumentExp : public QWidget
{
    Q_OBJECT

public:
    // Item data of the tree's nodes.
    static constexpr int TagRole = Qt::UserRole;     // the folder's ObjectId; none on the root
    static constexpr int KeyRole = Qt::UserRole + 1; // "..." for the root, else position + " " + type
    static inline const QString RootText = QStringLiteral("...");

    explicit frmDocumentExp(QWidget* parent = nullptr);
    ~frmDocumentExp() override;

    // Set by the opener before load().
    bool SetMode = false;                      // assignment mode: the "Folder" menu off, "Resources" hidden
    ClientId PersonalInformationId = NoClient; // the client resources are assigned to
    bool adminFunction = false;                // maintenance mode: no counts, the folder pop-up menu offered

    // Fills the tree, applies the mode to the menus and selects the current-version view.
    // Runs by itself when the window is first shown.
    void load();
    // Refills the tree from ObjectTbl.
    void fillTree();
    // Refills the list for the selected folder in the chosen view.
    void fillList();

    QMenuBar* menuBar() const;
    QSize sizeHint() const override;

signals:
    // A resource was assigned to the client `clientId` (the record window refreshes its list).
    void resourceAssigned(ClientId clientId);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createMenus();
    std::unique_ptr<ResourceLibrary> library() const;

    QTreeWidgetItem* rootNode() const;
    QTreeWidgetItem* selectedNode() const;
    QTreeWidgetItem* selectedFolder() const;
    QTreeWidgetItem* selectedResource() const;

    void nodeSelected(QTreeWidgetItem* node);
    void updateEnabledStates();
    void treeMousePressed(Qt::MouseButton button, const QPoint& globalPos);
    void setVersionView(bool allVersions);

    void addFolder(const QString& text);
    void addNamedFolder();
    void deleteFolder();
    void uploadResource();
    void viewResource();
    void deleteResource();
    void assignResource(QTreeWidgetItem* item);

    void startLabelEdit();
    void labelEditEnded();
    void restoreLabel();

    void nothingSelected();
    void reportError(const QString& message);

    bool m_loaded = false;
    ExplorerFrame* m_frame = nullptr;
    QTreeWidget* m_tree = nullptr;
    QTreeWidget* m_list = nullptr;

    QMenu* m_libraryOptions = nullptr;  // MnuLibraryOption
    QMenu* m_resourcesMenu = nullptr;   // MnuFile
    QMenu* m_folderMenu = nullptr;      // MnuLibrary
    QMenu* m_catagoryMenu = nullptr;    // mnuCat
    QMenu* m_resourceOptions = nullptr; // MnuResourceOptions
    QAction* m_deleteNode = nullptr;
    QAction* m_renameNode = nullptr;
    QAction* m_addFolder = nullptr;
    QAction* m_removeFolder = nullptr;
    QAction* m_renameFolder = nullptr;
    QAction* m_addCatagory = nullptr;
    QAction* m_removeCatagory = nullptr;
    QAction* m_renameCatagory = nullptr;
    QAction* m_recent = nullptr;
    QAction* m_allVersions = nullptr;

    // The node whose label was edited last and its text when the edit began.
    QTreeWidgetItem* m_editedNode = nullptr;
    // The node pressed last was already the selected one: its click refreshes the list.
    QTreeWidgetItem* m_pressedCurrent = nullptr;
    QString m_savedLabel;
};
