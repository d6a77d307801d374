#include "documents/ui/frmDocumentExp.h"

#include "documents/ResourceLibrary.h"
#include "platform/FileDialog.h"
#include "platform/FileOpener.h"
#include "platform/InputBox.h"
#include "platform/MessageBox.h"
#include "store/CLsDataBaseConnection.h"
#include "store/DateText.h"
#include "store/StoreError.h"
#include "widgets/ChildWindow.h"
#include "widgets/ExplorerFrame.h"
#include "widgets/MenuBuilder.h"
#include "widgets/Twips.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>
#include <QTreeWidget>
#include <utility>

namespace {

const QString Title = QStringLiteral("Orvanta");
const QString CrLf = QStringLiteral("\r\n");
const QString CatagoryTag = QStringLiteral("Catagory");

// The width of each of the list's columns, in twips.
constexpr double ColumnWidth = 2540;

enum Column
{
    IdColumn,
    DateColumn,
    NameColumn,
    VersionColumn
};

bool isEnterKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool isKey(const QEvent* event, QEvent::Type type, int key)
{
    return event->type() == type && static_cast<const QKeyEvent*>(event)->key() == key;
}

} // namespace

frmDocumentExp::frmDocumentExp(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmDocumentExp"));
    setWindowTitle(QStringLiteral("Resource Manager"));

    const ExplorerFrame::Design design{.width = 13200,
                                       .height = 8700,
                                       .places = {.treeWidth = 2475,
                                                  .treeHeight = 7215,
                                                  .barLeft = 2580,
                                                  .barHeight = 7640,
                                                  .listLeft = 2635,
                                                  .listWidth = 10365,
                                                  .listHeight = 7215,
                                                  .listCaptionLeft = 2635,
                                                  .listCaptionWidth = 10365,
                                                  .treeCaptionWidth = 2475},
                                       .panesFollowHeight = false,
                                       .treeCaption = QStringLiteral("Folder Structure"),
                                       .treeCaptionToolTip = QStringLiteral("Click to Refresh"),
                                       .listCaption = QStringLiteral("Resource"),
                                       .treeName = QStringLiteral("Folder Structure"),
                                       .listName = QStringLiteral("Resource"),
                                       .barName = QStringLiteral("Divider between folders and resources")};
    m_frame = new ExplorerFrame(this, design);

    createControls();
    createMenus();
}

frmDocumentExp::~frmDocumentExp() = default;

void frmDocumentExp::createControls()
{
    m_tree = m_frame->tree();
    // Labels are edited only through startLabelEdit(), which remembers the text first.
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);
    // A node becomes selected by the keyboard or by a press; a click on the node that was
    // selected already changes nothing, so it is followed as well, to refresh the list.
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { nodeSelected(current); });
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item && item == std::exchange(m_pressedCurrent, nullptr))
            nodeSelected(item);
    });
    connect(m_tree->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, &frmDocumentExp::labelEditEnded);

    m_list = m_frame->addList<QTreeWidget>();
    m_list->setHeaderLabels({QStringLiteral("Resource ID"), QStringLiteral("Resource Date"),
                             QStringLiteral("Resource Name"), QStringLiteral("Resource Version")});
    for (int column = IdColumn; column <= VersionColumn; ++column)
        m_list->header()->resizeSection(column, Twips::toPixelsX(ColumnWidth));
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_resourceOptions->popup(m_list->viewport()->mapToGlobal(pos)); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { assignResource(item); });
}

void frmDocumentExp::createMenus()
{
    const MenuBuilder menus(MenuBuilder::OpenerName::MenuAction);
    QMenuBar* bar = m_frame->menuBar();
    m_libraryOptions = menus.menu(bar, QStringLiteral("MnuLibraryOption"), QStringLiteral("Library Options"), false);
    menus.item(m_libraryOptions, QStringLiteral("mnuAddCatagory"), QStringLiteral("Add Catagory"), this,
               [this] { addFolder(CatagoryTag); });
    menus.item(m_libraryOptions, QStringLiteral("MnuAddLibrary"), QStringLiteral("Add Library"), this,
               [this] { addFolder(QStringLiteral("Library")); });
    menus.separator(m_libraryOptions, QStringLiteral("mnuSep"));
    menus.item(m_libraryOptions, QStringLiteral("mnuEditNode"), QStringLiteral("Edit"));
    m_deleteNode = menus.item(m_libraryOptions, QStringLiteral("MnuDeleteNode"), QStringLiteral("Delete"), this,
                              &frmDocumentExp::deleteFolder);
    m_renameNode = menus.item(m_libraryOptions, QStringLiteral("MnuRenameNode"), QStringLiteral("Rename"), this,
                              &frmDocumentExp::startLabelEdit);

    m_resourcesMenu = menus.menu(bar, QStringLiteral("MnuFile"), QStringLiteral("Resources"));
    menus.item(m_resourcesMenu, QStringLiteral("mnuSave"), QStringLiteral("Save Structure"), false);
    menus.item(m_resourcesMenu, QStringLiteral("mnuUpLoadDocument"), QStringLiteral("Upload Resource"), this,
               &frmDocumentExp::uploadResource);
    menus.item(m_resourcesMenu, QStringLiteral("mnuViewResourceOption"), QStringLiteral("View Resource"), this,
               &frmDocumentExp::viewResource);
    menus.separator(m_resourcesMenu, QStringLiteral("mnusep1"));
    menus.item(m_resourcesMenu, QStringLiteral("mnuDeleteResource"), QStringLiteral("Delete Resource"), this,
               &frmDocumentExp::deleteResource);
    menus.separator(m_resourcesMenu, QStringLiteral("mnuSep6"));
    menus.item(m_resourcesMenu, QStringLiteral("mnuClose"), QStringLiteral("Exit"), this,
               [this] { ChildWindow::close(this); });

    m_folderMenu = menus.menu(bar, QStringLiteral("MnuLibrary"), QStringLiteral("Folder"));
    connect(m_folderMenu, &QMenu::aboutToShow, this, [this] {
        if (!SetMode)
            updateEnabledStates();
    });
    m_addFolder = menus.item(m_folderMenu, QStringLiteral("mnuAddlib"), QStringLiteral("Add Folder"), this,
                             &frmDocumentExp::addNamedFolder);
    m_removeFolder = menus.item(m_folderMenu, QStringLiteral("mnuRemoveLib"), QStringLiteral("Remove Folder"), this,
                                &frmDocumentExp::deleteFolder);
    m_renameFolder = menus.item(m_folderMenu, QStringLiteral("mnuRenameLib"), QStringLiteral("Rename Folder"), false);

    m_catagoryMenu = menus.menu(bar, QStringLiteral("mnuCat"), QStringLiteral("Catagory"), false);
    connect(m_catagoryMenu, &QMenu::aboutToShow, this, &frmDocumentExp::updateEnabledStates);
    m_addCatagory = menus.item(m_catagoryMenu, QStringLiteral("mnuAddCat"), QStringLiteral("Add Catagory"), this,
                               [this] { addFolder(CatagoryTag); });
    m_removeCatagory = menus.item(m_catagoryMenu, QStringLiteral("mnuRemoveCat"), QStringLiteral("Remove Catagory"),
                                  this, &frmDocumentExp::deleteFolder);
    m_renameCatagory = menus.item(m_catagoryMenu, QStringLiteral("mnuRenameCat"), QStringLiteral("Rename Catagory"));

    QMenu* view = menus.menu(bar, QStringLiteral("mnuView"), QStringLiteral("View"));
    menus.item(view, QStringLiteral("mnuRefresh"), QStringLiteral("Refresh Folder Structures"), this,
               &frmDocumentExp::fillTree);
    menus.separator(view, QStringLiteral("mnusep2"));
    m_recent = menus.item(view, QStringLiteral("mnuRecent"), QStringLiteral("View Current Version Only"), this,
                          [this] { setVersionView(false); });
    m_recent->setCheckable(true);
    m_allVersions = menus.item(view, QStringLiteral("mnuAllVersions"), QStringLiteral("View All Versions"), this,
                               [this] { setVersionView(true); });
    m_allVersions->setCheckable(true);

    m_resourceOptions =
        menus.menu(bar, QStringLiteral("MnuResourceOptions"), QStringLiteral("Resource Options"), false);
    menus.item(m_resourceOptions, QStringLiteral("mnuViewResource"), QStringLiteral("View Resource"), this,
               &frmDocumentExp::viewResource);
    menus.separator(m_resourceOptions, QStringLiteral("mnuSep4"));
    menus.item(m_resourceOptions, QStringLiteral("mnuDeleteResourceOption"), QStringLiteral("Delete Resource"), this,
               &frmDocumentExp::deleteResource);
}

QMenuBar* frmDocumentExp::menuBar() const
{
    return m_frame->menuBar();
}

QSize frmDocumentExp::sizeHint() const
{
    return m_frame->designedSize();
}

std::unique_ptr<ResourceLibrary> frmDocumentExp::library() const
{
    CLsDataBaseConnection connection;
    return std::make_unique<ResourceLibrary>(connection.sharedDatabase());
}

void frmDocumentExp::load()
{
    m_loaded = true;
    fillTree();
    if (SetMode) {
        m_folderMenu->menuAction()->setEnabled(false);
        m_resourcesMenu->menuAction()->setVisible(false);
    }
    m_recent->setChecked(true);
    m_allVersions->setChecked(false);
    ChildWindow::resize(this, m_frame->designedSize());
}

void frmDocumentExp::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_loaded)
        load();
}

QTreeWidgetItem* frmDocumentExp::rootNode() const
{
    return m_tree->topLevelItem(0);
}

QTreeWidgetItem* frmDocumentExp::selectedNode() const
{
    QTreeWidgetItem* node = m_tree->currentItem();
    return node && node->isSelected() ? node : nullptr;
}

QTreeWidgetItem* frmDocumentExp::selectedFolder() const
{
    QTreeWidgetItem* node = selectedNode();
    return node && node != rootNode() && node->data(0, TagRole).isValid() ? node : nullptr;
}

QTreeWidgetItem* frmDocumentExp::selectedResource() const
{
    QTreeWidgetItem* item = m_list->currentItem();
    return item && item->isSelected() && !item->text(IdColumn).isEmpty() ? item : nullptr;
}

void frmDocumentExp::fillTree()
{
    m_editedNode = nullptr;
    m_pressedCurrent = nullptr;
    m_tree->clear();
    const QIcon icon = ExplorerFrame::folderIcon(style());
    auto* root = new QTreeWidgetItem(m_tree, QStringList{RootText});
    root->setData(0, KeyRole, RootText);
    root->setIcon(0, icon);
    root->setExpanded(true);

    const bool withCounts = !adminFunction;
    try {
        for (const ResourceLibrary::Folder& folder : library()->folders(withCounts)) {
            const int nodesBefore = 1 + root->childCount();
            auto* node = new QTreeWidgetItem(root, QStringList{ResourceLibrary::folderLabel(folder, withCounts)});
            node->setData(0, KeyRole, ResourceLibrary::nodeKey(nodesBefore, folder.type));
            node->setData(0, TagRole, folder.id);
            node->setIcon(0, icon);
            node->setFlags(node->flags() | Qt::ItemIsEditable);
            node->setExpanded(true);
        }
    } catch (const StoreError& error) {
        reportError(error.message());
    }
}

void frmDocumentExp::nodeSelected(QTreeWidgetItem* node)
{
    if (!node)
        return;
    if (!SetMode) {
        const bool catagory = node->data(0, TagRole).toString() == CatagoryTag;
        m_catagoryMenu->menuAction()->setEnabled(catagory);
        m_folderMenu->menuAction()->setEnabled(!catagory);
        if (node->text(0) == RootText) {
            m_catagoryMenu->menuAction()->setEnabled(true);
            m_folderMenu->menuAction()->setEnabled(true);
        }
    }
    if (node->text(0) != RootText)
        fillList();
}

void frmDocumentExp::fillList()
{
    QTreeWidgetItem* node = selectedFolder();
    if (!node)
        return;
    try {
        const QList<ResourceLibrary::Resource> rows =
            library()->resources(node->data(0, TagRole).toLongLong(), m_allVersions->isChecked());
        m_list->clear();
        for (const ResourceLibrary::Resource& row : rows)
            new QTreeWidgetItem(m_list, QStringList{row.id, DateText::display(row.date), row.name, row.version});
    } catch (const StoreError&) {
        // The list keeps what it showed.
    }
}

void frmDocumentExp::setVersionView(bool allVersions)
{
    m_recent->setChecked(!allVersions);
    m_allVersions->setChecked(allVersions);
    fillList();
}

void frmDocumentExp::updateEnabledStates()
{
    QAction* const removeAndRename[] = {m_removeFolder, m_renameCatagory, m_renameFolder, m_removeCatagory};
    QTreeWidgetItem* node = selectedNode();
    if (!node) {
        for (QAction* action : removeAndRename)
            action->setEnabled(false);
        m_addCatagory->setEnabled(false);
        m_addFolder->setEnabled(false);
        return;
    }
    m_addCatagory->setEnabled(true);
    m_addFolder->setEnabled(true);
    if (SetMode)
        return;
    const bool root = node == rootNode();
    for (QAction* action : removeAndRename)
        action->setEnabled(!root);
    if (root) {
        m_catagoryMenu->menuAction()->setEnabled(true);
        m_folderMenu->menuAction()->setEnabled(true);
    }
}

void frmDocumentExp::treeMousePressed(Qt::MouseButton button, const QPoint& globalPos)
{
    QTreeWidgetItem* node = selectedNode();
    if (!node || node->text(0).isEmpty() || SetMode)
        return;
    updateEnabledStates();
    if (button != Qt::RightButton)
        return;
    const bool folder = node != rootNode();
    m_deleteNode->setEnabled(folder);
    m_renameNode->setEnabled(folder);
    if (adminFunction)
        m_libraryOptions->popup(globalPos);
}

void frmDocumentExp::addFolder(const QString& text)
{
    QTreeWidgetItem* root = rootNode();
    if (!root)
        return;
    const int nodes = 1 + root->childCount();
    auto* node = new QTreeWidgetItem(root, QStringList{text});
    node->setData(0, KeyRole, ResourceLibrary::nodeKey(nodes, text));
    node->setData(0, TagRole, text);
    node->setIcon(0, ExplorerFrame::folderIcon(style()));
    try {
        library()->addFolder(text, nodes + 1);
    } catch (const StoreError&) {
        delete node;
        return;
    }
    node->setExpanded(true);
    fillTree();
}

void frmDocumentExp::addNamedFolder()
{
    const std::optional<QString> name =
        InputBox::instance().getText(this, Title, QStringLiteral("Enter Folder Name"), QString());
    if (!name)
        return;
    if (name->trimmed().isEmpty()) {
        MessageBox::inform(this, Title, QStringLiteral("Invalid Name"));
        return;
    }
    addFolder(*name);
}

void frmDocumentExp::deleteFolder()
{
    QTreeWidgetItem* node = selectedFolder();
    if (!node) {
        nothingSelected();
        return;
    }
    const QString label = node->text(0);
    const qint64 folderId = node->data(0, TagRole).toLongLong();
    try {
        if (MessageBox::ask(this, Title,
                            QStringLiteral("You are about to delete the ") + label + CrLf +
                                QStringLiteral("Do you wish to continue"),
                            MessageBox::YesNoCancel) == MessageBox::Yes) {
            if (node->childCount() == 0) {
                library()->deleteFolder(folderId, false);
                delete node;
            } else if (MessageBox::ask(this, Title,
                                       QStringLiteral("Warning deleting this ") + label +
                                           QStringLiteral(" will delete all folders listed under it") + CrLf +
                                           QStringLiteral("Do you wish to continue"),
                                       MessageBox::YesNoCancel) == MessageBox::Yes) {
                library()->deleteFolder(folderId, true);
                delete node;
            }
        }
    } catch (const StoreError& error) {
        reportError(error.message());
    }
    fillTree();
}

void frmDocumentExp::uploadResource()
{
    QTreeWidgetItem* node = selectedFolder();
    if (!node) {
        nothingSelected();
        return;
    }
    const QString path = FileDialog::instance().getOpenFileName(
        this, QStringLiteral("OPEN FILE"), QString(),
        QStringLiteral("All files (*);;EXE files (*.exe);;COM files (*.com);;BIN files (*.bin);;"
                       "SYS files (*.sys);;DLL files (*.dll)"));
    if (path.isEmpty())
        return;
    try {
        library()->upload(node->data(0, TagRole).toLongLong(), path);
    } catch (const StoreError& error) {
        reportError(error.message());
        return;
    }
    MessageBox::inform(this, Title, QStringLiteral("Upload complete"), MessageBox::Information);
    fillList();
}

void frmDocumentExp::viewResource()
{
    QTreeWidgetItem* item = selectedResource();
    if (!item) {
        nothingSelected();
        return;
    }
    try {
        const QString path = library()->fetchForViewing(item->text(IdColumn).toLongLong());
        // Whether a program could be started is not reported.
        FileOpener::instance().open(path);
    } catch (const StoreError& error) {
        reportError(error.message());
    }
}

void frmDocumentExp::deleteResource()
{
    QTreeWidgetItem* item = selectedResource();
    if (!item) {
        nothingSelected();
        return;
    }
    const QString question = QStringLiteral("Warning you are about to delete the selected resource ") +
                             item->text(NameColumn) + CrLf +
                             QStringLiteral("if you continue it will REMOVE all references of the resource fron the "
                                            "database") +
                             CrLf + QStringLiteral("Do you want to continue?");
    if (MessageBox::ask(this, Title, question) != MessageBox::Yes)
        return;
    try {
        library()->deleteResource(item->text(IdColumn).toLongLong());
    } catch (const StoreError&) {
        nothingSelected();
        return;
    }
    MessageBox::inform(this, Title, QStringLiteral("Resource deleted"), MessageBox::Information);
    fillList();
}

void frmDocumentExp::assignResource(QTreeWidgetItem* item)
{
    if (adminFunction || PersonalInformationId == NoClient || !item || item->text(IdColumn).isEmpty())
        return;
    bool documentOk = false;
    const ClientId clientId = PersonalInformationId;
    const qint64 documentId = item->text(IdColumn).toLongLong(&documentOk);
    if (!documentOk)
        return;
    try {
        library()->assign(documentId, clientId);
    } catch (const StoreError& error) {
        reportError(error.message());
        return;
    }
    emit resourceAssigned(clientId);
    if (MessageBox::ask(this, Title,
                        QStringLiteral("Resource Assigned to Client") + CrLf +
                            QStringLiteral("Do you want to exit the resource manager")) == MessageBox::Yes)
        ChildWindow::close(this);
}

void frmDocumentExp::startLabelEdit()
{
    QTreeWidgetItem* node = selectedNode();
    // The root has no stored row: it is never renamed.
    if (!node || node == rootNode())
        return;
    m_editedNode = node;
    if (!node->text(0).isEmpty())
        m_savedLabel = node->text(0);
    m_tree->editItem(node, 0);
}

void frmDocumentExp::labelEditEnded()
{
    QTreeWidgetItem* node = m_editedNode;
    if (!node || !node->text(0).trimmed().isEmpty())
        return; // a new label shows until the tree is filled again; it is not stored
    MessageBox::inform(this, Title, QStringLiteral("Invalid Name"));
    node->setText(0, m_savedLabel);
    // The editor is being closed right now: open the next one once that is done.
    QTimer::singleShot(0, this, [this] {
        if (m_editedNode && m_editedNode == selectedNode())
            m_tree->editItem(m_editedNode, 0);
    });
}

void frmDocumentExp::restoreLabel()
{
    if (m_editedNode && m_editedNode == selectedNode() && !m_savedLabel.isEmpty())
        m_editedNode->setText(0, m_savedLabel);
}

bool frmDocumentExp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonPress) {
        // The pressed node becomes the selected one before the press is handled.
        const auto* press = static_cast<QMouseEvent*>(event);
        QTreeWidgetItem* node = m_tree->itemAt(press->position().toPoint());
        m_pressedCurrent = node && node == m_tree->currentItem() ? node : nullptr;
        if (node)
            m_tree->setCurrentItem(node);
        treeMousePressed(press->button(), press->globalPosition().toPoint());
    } else if (watched == m_tree && isKey(event, QEvent::KeyPress, Qt::Key_F2)) {
        startLabelEdit();
        return true;
    } else if (watched == m_tree && isKey(event, QEvent::KeyRelease, Qt::Key_Escape)) {
        restoreLabel();
    } else if (watched == m_list && isEnterKey(event)) {
        assignResource(selectedResource());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmDocumentExp::nothingSelected()
{
    MessageBox::inform(this, Title, QStringLiteral("Nothing Selected"), MessageBox::Information);
}

void frmDocumentExp::reportError(const QString& message)
{
    MessageBox::inform(this, Title, message, MessageBox::Critical);
}
