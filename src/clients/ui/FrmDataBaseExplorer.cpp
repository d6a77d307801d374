#include "clients/ui/FrmDataBaseExplorer.h"

#include "clients/ClientGroups.h"
#include "clients/ClientListLoader.h"
#include "clients/ClientListModel.h"
#include "platform/MessageBox.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/Identifier.h"
#include "store/StartupSettings.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/UserLevels.h"
#include "widgets/ChildWindow.h"
#include "widgets/ExplorerFrame.h"
#include "widgets/MenuBuilder.h"
#include "widgets/ProportionalLayout.h"
#include "widgets/StatusPanels.h"
#include "widgets/Twips.h"
#include "widgets/WindowsMenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QStyle>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>

namespace {

const QString Title = QStringLiteral("Orvanta");
const QString NodeKeyPrefix = QStringLiteral("ClientManager");

bool isEnterKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

FrmDataBaseExplorer::FrmDataBaseExplorer(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmDataBaseExplorer"));
    setWindowTitle(QStringLiteral("Client Explorer"));

    const ExplorerFrame::Design design{.width = 13200,
                                       .height = 10000,
                                       .places = {.treeWidth = 2475,
                                                  .treeHeight = 7215,
                                                  .barLeft = 2580,
                                                  .barHeight = 7635,
                                                  .listLeft = 2595,
                                                  .listWidth = 10455,
                                                  .listHeight = 7215,
                                                  .listCaptionLeft = 2595,
                                                  .listCaptionWidth = 10455,
                                                  .treeCaptionWidth = 2475},
                                       .panesFollowHeight = true,
                                       .treeCaption = QStringLiteral("Clients"),
                                       .treeCaptionToolTip = QStringLiteral("Click to Refresh"),
                                       .listCaption = QStringLiteral("Client Information"),
                                       .treeName = QStringLiteral("Client groups"),
                                       .listName = QStringLiteral("Client list"),
                                       .barName = QStringLiteral("Divider between groups and list")};
    m_frame = new ExplorerFrame(this, design);
    m_frame->statusPanels()->trackKeys();

    createControls();
    createMenus();
}

FrmDataBaseExplorer::~FrmDataBaseExplorer() = default;

void FrmDataBaseExplorer::createControls()
{
    m_lblClassAndSection = m_frame->treeCaption();
    m_lblClassAndSection->setCursor(Qt::PointingHandCursor);
    m_lblClassAndSection->installEventFilter(this);
    m_lblStudentInformation = m_frame->listCaption();

    m_tree = m_frame->tree();
    m_tree->installEventFilter(this);
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) { nodeClicked(node); });
    connect(m_tree, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* node) { node->setIcon(0, style()->standardIcon(QStyle::SP_DirOpenIcon)); });
    connect(m_tree, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* node) { node->setIcon(0, ExplorerFrame::folderIcon(style())); });

    m_transfer = new ClientTransfer(this);
    connect(m_transfer, &ClientTransfer::imported, this, &FrmDataBaseExplorer::clientsImported);

    m_model = new ClientListModel(this);
    m_loader = new ClientListLoader(m_model, this);
    connect(m_loader, &ClientListLoader::failed, this, &FrmDataBaseExplorer::listFailed);
    m_list = m_frame->addList<QTreeView>();
    m_list->setModel(m_model);
    // Several clients may be chosen for an export; a double click still opens one.
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setDefaultSectionSize(Twips::toPixelsX(1440));
    m_list->installEventFilter(this);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &FrmDataBaseExplorer::columnClicked);
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            openClient(index.row());
    });
}

void FrmDataBaseExplorer::createMenus()
{
    const MenuBuilder menus(MenuBuilder::OpenerName::None);
    QMenuBar* bar = m_frame->menuBar();
    QMenu* file = menus.menu(bar, QStringLiteral("MnuFile"), QStringLiteral("&File"));
    menus.item(file, QStringLiteral("MnuNewClient"), QStringLiteral("New Client"), this,
               &FrmDataBaseExplorer::newClientRequested);
    menus.item(file, QStringLiteral("MnuExplorer"), QStringLiteral("Explorer"), this,
               [this] { emit explorerRequested(UserLevel, SecId); });
    // Clients in and out; for the levels that work with clients (set at load).
    m_transferItems.append(menus.separator(file, QStringLiteral("mnuSepTransfer")));
    m_transferItems.append(menus.item(file, QStringLiteral("mnuImportClients"), QStringLiteral("&Import Clients..."),
                                      this, [this] { m_transfer->importClients(); }));
    m_transferItems.append(menus.item(file, QStringLiteral("mnuExportCsv"), QStringLiteral("Export Clients to &CSV..."),
                                      this, [this] { exportClients(ClientTransfer::Format::Csv); }));
    m_transferItems.append(menus.item(file, QStringLiteral("mnuExportVCard"),
                                      QStringLiteral("Export Clients to &vCard..."), this,
                                      [this] { exportClients(ClientTransfer::Format::VCard); }));
    menus.separator(file, QStringLiteral("mnuSep"));
    menus.item(file, QStringLiteral("mnuClose"), QStringLiteral("Close"), this, [this] { ChildWindow::close(this); });
    menus.item(file, QStringLiteral("mnuExit"), QStringLiteral("Exit"), this, &FrmDataBaseExplorer::exitApplication);

    QMenu* view = menus.menu(bar, QStringLiteral("mnuView"), QStringLiteral("&View"));
    menus.item(view, QStringLiteral("mnuRefreshTreeView"), QStringLiteral("Refresh Client List"), this,
               &FrmDataBaseExplorer::refreshTree);
    menus.separator(view, QStringLiteral("mnuSeperator"));
    menus.item(view, QStringLiteral("mnuClientLastName"), QStringLiteral("Display by Client Last Name"), this,
               [this] { setGrouping(false); });
    menus.item(view, QStringLiteral("mnuClientCompanyName"), QStringLiteral("Display by Client Company Name"), this,
               [this] { setGrouping(true); });

    QMenu* tools = menus.menu(bar, QStringLiteral("mnuAdministrator"), QStringLiteral("&Tools"));
    menus.item(tools, QStringLiteral("mnuDoc"), QStringLiteral("Resource Manager"), this,
               &FrmDataBaseExplorer::resourceManagerRequested);
    menus.separator(tools, QStringLiteral("sepMenu"));
    menus.item(tools, QStringLiteral("mnuDatabaseEditor"), QStringLiteral("New Tabs(Forms)"), this,
               [this] { emit designerRequested(false); });
    menus.item(tools, QStringLiteral("MnuEditForms"), QStringLiteral("Edit Tabs(Forms)"), this,
               [this] { emit designerRequested(true); });
    menus.separator(tools, QStringLiteral("mnusep1"));
    menus.item(tools, QStringLiteral("mnuOption"), QStringLiteral("Options"), this,
               [this] { emit optionsRequested(SecId); });
    QMenu* admin = menus.menu(tools, QStringLiteral("mnuAdmin"), QStringLiteral("Administrative"));
    menus.item(admin, QStringLiteral("mnuCatagory"), QStringLiteral("View Edit Events and Categories"), this,
               &FrmDataBaseExplorer::categoriesRequested);
    // The care of the database file, as in the main window's Tools menu, which this menu bar
    // covers while the explorer is active; shown to administrators at load.
    m_databaseTools.append(menus.separator(tools, QStringLiteral("mnuSepBackup")));
    const std::pair<const char*, const char*> databaseTools[] = {{"mnuBackup", "&Back Up Now..."},
                                                                 {"mnuRestore", "&Restore from Backup..."},
                                                                 {"mnuCompact", "Co&mpact Database"},
                                                                 {"mnuCheck", "C&heck Database..."},
                                                                 {"mnuCheckFull", "Check Database &Thoroughly..."}};
    for (const auto& [name, caption] : databaseTools) {
        const QString item = QString::fromLatin1(name);
        m_databaseTools.append(menus.item(tools, item, QString::fromLatin1(caption), this,
                                          [this, item] { emit databaseToolRequested(item); }));
    }
    for (QAction* action : std::as_const(m_databaseTools))
        action->setVisible(false);

    m_windowsMenu = menus.menu(bar, QStringLiteral("mnuWindows"), QStringLiteral("&Windows"));
    connect(m_windowsMenu, &QMenu::aboutToShow, this, &FrmDataBaseExplorer::fillWindowsMenu);
}

QMenuBar* FrmDataBaseExplorer::menuBar() const
{
    return m_frame->menuBar();
}

QSize FrmDataBaseExplorer::sizeHint() const
{
    return m_frame->designedSize();
}

void FrmDataBaseExplorer::load()
{
    m_loaded = true;
    for (QAction* action : std::as_const(m_databaseTools))
        action->setVisible(UserLevel == UserLevels::Administrator);
    for (QAction* action : std::as_const(m_transferItems))
        action->setVisible(UserLevel != UserLevels::BuiltIn);
    m_byCompany = !StartupSettings::read().startByClient();
    refreshTree();
    ChildWindow::resize(this, m_frame->designedSize());
}

void FrmDataBaseExplorer::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_loaded)
        load();
}

void FrmDataBaseExplorer::refreshTree()
{
    m_tree->clear();
    formInfromation();
}

void FrmDataBaseExplorer::setGrouping(bool byCompany)
{
    m_byCompany = byCompany;
    refreshTree();
}

void FrmDataBaseExplorer::formInfromation()
{
    const QIcon icon = ExplorerFrame::folderIcon(style());
    try {
        CLsDataBaseConnection connection;
        if (UserLevel == UserLevels::BuiltIn) {
            m_lblStudentInformation->setText(QStringLiteral("Description"));
            m_lblClassAndSection->setText(QStringLiteral("User"));
            for (const ClientGroups::UserGroup& group : ClientGroups::userGroups(connection.database())) {
                auto* node = new QTreeWidgetItem(m_tree, QStringList{group.name});
                node->setData(0, KeyRole, NodeKeyPrefix + group.name);
                node->setIcon(0, icon);
                for (const ClientGroups::User& user : group.users) {
                    auto* child = new QTreeWidgetItem(node, QStringList{user.text});
                    child->setData(0, KeyRole, user.key);
                    child->setData(0, TagRole, user.securityId);
                    child->setIcon(0, icon);
                }
            }
            return;
        }

        QFont bold = m_tree->font();
        bold.setBold(true);
        const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
        for (const ClientGroups::Group& group : ClientGroups::clientGroups(connection.database(), m_byCompany)) {
            auto* node = new QTreeWidgetItem(m_tree, QStringList{ClientGroups::nodeText(group.name, group.count)});
            node->setData(0, KeyRole, NodeKeyPrefix + group.name);
            node->setData(0, TagRole, group.name);
            node->setData(0, CountRole, group.count);
            node->setIcon(0, icon);
            if (group.count > 0)
                node->setFont(0, bold);
            else
                node->setForeground(0, grey);
        }
    } catch (const StoreError& error) {
        reportError(error.message());
    }
}

void FrmDataBaseExplorer::nodeClicked(QTreeWidgetItem* node)
{
    if (!node)
        return;
    if (UserLevel == UserLevels::BuiltIn)
        showUserList(node);
    else
        showClientList(node);
}

void FrmDataBaseExplorer::showClientList(QTreeWidgetItem* node)
{
    const QString group = node->data(0, TagRole).toString();
    if (group.isEmpty())
        return;
    try {
        m_loader->start(m_byCompany, group, m_sort);
    } catch (const StoreError& error) {
        listFailed(error.message());
    }
}

void FrmDataBaseExplorer::listFailed(const QString& message)
{
    m_loader->stop();
    m_model->reset(ClientListModel::clientColumns());
    reportError(message);
}

void FrmDataBaseExplorer::showUserList(QTreeWidgetItem* node)
{
    const QVariant securityId = node->data(0, TagRole);
    if (securityId.isValid()) {
        emit userOpenRequested(securityId.toLongLong());
        return;
    }
    const QList<ClientListModel::Column>& columns = ClientListModel::userColumns();
    m_loader->stop();
    try {
        CLsDataBaseConnection connection;
        Statement rows = connection.database().prepare(ClientGroups::userListStatement(m_sort));
        rows.bind(1, ClientGroups::pattern(node->text(0)));
        m_model->fill(columns, rows, false);
    } catch (const StoreError& error) {
        m_model->reset(columns);
        reportError(error.message());
    }
}

void FrmDataBaseExplorer::setListSliceRows(int rows)
{
    m_loader->setSliceRows(rows);
}

bool FrmDataBaseExplorer::isListFilling() const
{
    return m_loader->isRunning();
}

void FrmDataBaseExplorer::columnClicked(int section)
{
    const QList<ClientListModel::Column>& columns = m_model->columns();
    if (section < 0 || section >= columns.size())
        return;
    // The key is the known column's name, never text taken from the header.
    const ClientListModel::Column& column = columns.at(section);
    const SortClause::Order order = m_sort.click(quoteIdentifier(column.field));
    m_lblStudentInformation->setText(SortClause::caption(column.header, order));

    QTreeWidgetItem* node = m_tree->currentItem();
    if (!node || !node->isSelected())
        return;
    if (UserLevel != UserLevels::BuiltIn)
        showClientList(node);
    else if (!node->data(0, TagRole).isValid()) // reordering must not open a selected user
        showUserList(node);
}

// The clients selected in the list, else those listed, in the list's order; none when the
// list shows no clients (every active client is written then).
std::vector<ClientId> FrmDataBaseExplorer::clientsToExport() const
{
    std::vector<ClientId> ids;
    if (!m_model->isTagged())
        return ids;
    QModelIndexList selected = m_list->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : std::as_const(selected))
        ids.push_back(m_model->id(index.row()));
    if (ids.empty()) {
        for (int row = 0; row < m_model->rowCount(); ++row)
            ids.push_back(m_model->id(row));
    }
    return ids;
}

void FrmDataBaseExplorer::exportClients(ClientTransfer::Format format)
{
    m_transfer->exportClients(clientsToExport(), format);
}

// New clients show in the groups' counts at once, and in the list of the group shown.
void FrmDataBaseExplorer::clientsImported()
{
    QTreeWidgetItem* node = m_tree->currentItem();
    const QString group = node && node->isSelected() ? node->data(0, TagRole).toString() : QString();
    refreshTree();
    if (group.isEmpty())
        return;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_tree->topLevelItem(i);
        if (item->data(0, TagRole).toString() == group) {
            m_tree->setCurrentItem(item);
            showClientList(item);
            return;
        }
    }
}

void FrmDataBaseExplorer::openClient(int row)
{
    if (!m_model->isTagged() || row < 0 || row >= m_model->rowCount())
        return;
    const QString name =
        m_model->text(row, 3) + QStringLiteral(", ") + m_model->text(row, 1) + QLatin1Char(' ') + m_model->text(row, 2);
    emit clientOpenRequested(m_model->id(row), name);
}

void FrmDataBaseExplorer::resizeEvent(QResizeEvent* event)
{
    // The frame has placed the panes by now.
    QWidget::resizeEvent(event);
    if (!ResizeArmed)
        ResizeArmed = true;
}

bool FrmDataBaseExplorer::eventFilter(QObject* watched, QEvent* event)
{
    m_frame->statusPanels()->keyEvent(event);

    if (watched == m_lblClassAndSection && event->type() == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            refreshTree();
    } else if (watched == m_tree && isEnterKey(event)) {
        QTreeWidgetItem* node = m_tree->currentItem();
        if (node && node->isSelected())
            nodeClicked(node);
        return true;
    } else if (watched == m_list && isEnterKey(event)) {
        const QModelIndex current = m_list->currentIndex();
        if (current.isValid() && m_list->selectionModel()->isRowSelected(current.row()))
            openClient(current.row());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FrmDataBaseExplorer::exitApplication()
{
    if (isSignalConnected(QMetaMethod::fromSignal(&FrmDataBaseExplorer::exitRequested)))
        emit exitRequested();
    else
        QCoreApplication::quit();
}

void FrmDataBaseExplorer::fillWindowsMenu()
{
    auto* subWindow = qobject_cast<QMdiSubWindow*>(parentWidget());
    WindowsMenu::fill(m_windowsMenu, subWindow ? subWindow->mdiArea() : nullptr);
}

void FrmDataBaseExplorer::reportError(const QString& message)
{
    MessageBox::inform(this, Title, message, MessageBox::Critical);
}
