#include "clients/ui/FrmDataBaseExplorer.h"

#include "clients/ClientGroups.h"
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
#include "widgets/ProportionalLayout.h"
#include "widgets/SplitterBar.h"
#include "widgets/StatusPanels.h"
#include "widgets/Twips.h"
#include "widgets/WindowFrame.h"
#include "widgets/WindowsMenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPointer>
#include <QStyle>
#include <QTreeView>
#include <QTreeWidget>

#include <cmath>

namespace {

const QString Title = QStringLiteral("Orvanta");
const QString NodeKeyPrefix = QStringLiteral("ClientManager");

// The designed size of the window, in twips.
constexpr double DesignedWidth = 13200;
constexpr double DesignedHeight = 10000;

// A closed folder that shows open while its node is selected.
QIcon folderIcon(const QStyle* style)
{
    QIcon icon;
    icon.addPixmap(style->standardIcon(QStyle::SP_DirClosedIcon).pixmap(16, 16), QIcon::Normal);
    icon.addPixmap(style->standardIcon(QStyle::SP_DirOpenIcon).pixmap(16, 16), QIcon::Selected);
    return icon;
}

QIcon openFolderIcon(const QStyle* style)
{
    return style->standardIcon(QStyle::SP_DirOpenIcon);
}

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

    const WindowFrame frame(this);
    m_menuBar = frame.menuBar();
    m_area = frame.area();
    m_statusPanels = frame.statusPanels();
    m_statusPanels->trackKeys();

    createControls();
    createMenus();
    applyGeometry();
}

FrmDataBaseExplorer::~FrmDataBaseExplorer() = default;

void FrmDataBaseExplorer::createControls()
{
    // The captions change (user mode, the sort order); a screen reader reads the label's
    // current text, so neither label carries a fixed accessible name.
    m_lblClassAndSection = new QLabel(QStringLiteral("Clients"), m_area);
    m_lblClassAndSection->setObjectName(QStringLiteral("LblClassAndSection"));
    m_lblClassAndSection->setToolTip(QStringLiteral("Click to Refresh"));
    m_lblClassAndSection->setFrameShape(QFrame::Panel);
    m_lblClassAndSection->setFrameShadow(QFrame::Sunken);
    m_lblClassAndSection->setCursor(Qt::PointingHandCursor);
    m_lblClassAndSection->installEventFilter(this);

    m_lblStudentInformation = new QLabel(QStringLiteral("Client Information"), m_area);
    m_lblStudentInformation->setObjectName(QStringLiteral("LblStudentInformation"));
    m_lblStudentInformation->setFrameShape(QFrame::Panel);
    m_lblStudentInformation->setFrameShadow(QFrame::Sunken);

    m_tree = new QTreeWidget(m_area);
    m_tree->setObjectName(QStringLiteral("TreClassView"));
    m_tree->setAccessibleName(QStringLiteral("Client groups"));
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->installEventFilter(this);
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) { nodeClicked(node); });
    connect(m_tree, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* node) { node->setIcon(0, openFolderIcon(style())); });
    connect(m_tree, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* node) { node->setIcon(0, folderIcon(style())); });

    m_model = new ClientListModel(this);
    m_list = new QTreeView(m_area);
    m_list->setObjectName(QStringLiteral("LstStudenInformation"));
    m_list->setAccessibleName(QStringLiteral("Client list"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setSectionsMovable(false);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setDefaultSectionSize(Twips::toPixelsX(1440));
    m_list->installEventFilter(this);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &FrmDataBaseExplorer::columnClicked);
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            openClient(index.row());
    });

    m_bar = new SplitterBar(m_area);
    m_bar->setAccessibleName(QStringLiteral("Divider between groups and list"));
    connect(m_bar, &SplitterBar::dragged, this, &FrmDataBaseExplorer::dragSplitter);
}

QMenu* FrmDataBaseExplorer::addMenu(QWidget* owner, const QString& name, const QString& caption)
{
    auto* menu = new QMenu(caption, owner);
    menu->setObjectName(name);
    if (auto* bar = qobject_cast<QMenuBar*>(owner))
        bar->addMenu(menu);
    else if (auto* parentMenu = qobject_cast<QMenu*>(owner))
        parentMenu->addMenu(menu);
    return menu;
}

QAction* FrmDataBaseExplorer::addItem(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = caption.isEmpty() ? menu->addSeparator() : menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void FrmDataBaseExplorer::createMenus()
{
    QMenu* file = addMenu(m_menuBar, QStringLiteral("MnuFile"), QStringLiteral("&File"));
    connect(addItem(file, QStringLiteral("MnuNewClient"), QStringLiteral("New Client")), &QAction::triggered, this,
            &FrmDataBaseExplorer::newClientRequested);
    connect(addItem(file, QStringLiteral("MnuExplorer"), QStringLiteral("Explorer")), &QAction::triggered, this,
            [this] { emit explorerRequested(UserLevel, SecId); });
    addItem(file, QStringLiteral("mnuSep"), {});
    connect(addItem(file, QStringLiteral("mnuClose"), QStringLiteral("Close")), &QAction::triggered, this,
            [this] { ChildWindow::close(this); });
    connect(addItem(file, QStringLiteral("mnuExit"), QStringLiteral("Exit")), &QAction::triggered, this,
            &FrmDataBaseExplorer::exitApplication);

    QMenu* view = addMenu(m_menuBar, QStringLiteral("mnuView"), QStringLiteral("&View"));
    connect(addItem(view, QStringLiteral("mnuRefreshTreeView"), QStringLiteral("Refresh Client List")),
            &QAction::triggered, this, &FrmDataBaseExplorer::refreshTree);
    addItem(view, QStringLiteral("mnuSeperator"), {});
    connect(addItem(view, QStringLiteral("mnuClientLastName"), QStringLiteral("Display by Client Last Name")),
            &QAction::triggered, this, [this] { setGrouping(false); });
    connect(addItem(view, QStringLiteral("mnuClientCompanyName"), QStringLiteral("Display by Client Company Name")),
            &QAction::triggered, this, [this] { setGrouping(true); });

    QMenu* tools = addMenu(m_menuBar, QStringLiteral("mnuAdministrator"), QStringLiteral("&Tools"));
    connect(addItem(tools, QStringLiteral("mnuDoc"), QStringLiteral("Resource Manager")), &QAction::triggered, this,
            &FrmDataBaseExplorer::resourceManagerRequested);
    addItem(tools, QStringLiteral("sepMenu"), {});
    connect(addItem(tools, QStringLiteral("mnuDatabaseEditor"), QStringLiteral("New Tabs(Forms)")), &QAction::triggered,
            this, [this] { emit designerRequested(false); });
    connect(addItem(tools, QStringLiteral("MnuEditForms"), QStringLiteral("Edit Tabs(Forms)")), &QAction::triggered,
            this, [this] { emit designerRequested(true); });
    addItem(tools, QStringLiteral("mnusep1"), {});
    connect(addItem(tools, QStringLiteral("mnuOption"), QStringLiteral("Options")), &QAction::triggered, this,
            [this] { emit optionsRequested(SecId); });
    QMenu* admin = addMenu(tools, QStringLiteral("mnuAdmin"), QStringLiteral("Administrative"));
    connect(addItem(admin, QStringLiteral("mnuCatagory"), QStringLiteral("View Edit Events and Categories")),
            &QAction::triggered, this, &FrmDataBaseExplorer::categoriesRequested);

    m_windowsMenu = addMenu(m_menuBar, QStringLiteral("mnuWindows"), QStringLiteral("&Windows"));
    connect(m_windowsMenu, &QMenu::aboutToShow, this, &FrmDataBaseExplorer::fillWindowsMenu);
}

QSize FrmDataBaseExplorer::sizeHint() const
{
    return Twips::size(DesignedWidth, DesignedHeight);
}

void FrmDataBaseExplorer::load()
{
    m_loaded = true;
    m_byCompany = !StartupSettings::read().startByClient();
    refreshTree();
    ChildWindow::resize(this, Twips::size(DesignedWidth, DesignedHeight));
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
    const QIcon icon = folderIcon(style());
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
    const QList<ClientListModel::Column>& columns = ClientListModel::clientColumns();
    try {
        CLsDataBaseConnection connection;
        Statement rows = connection.database().prepare(ClientGroups::clientListStatement(m_byCompany, m_sort));
        rows.bind(1, ClientGroups::pattern(group));
        m_model->fill(columns, rows, true, node->data(0, CountRole).toLongLong());
    } catch (const StoreError& error) {
        m_model->reset(columns);
        reportError(error.message());
    }
}

void FrmDataBaseExplorer::showUserList(QTreeWidgetItem* node)
{
    const QVariant securityId = node->data(0, TagRole);
    if (securityId.isValid()) {
        emit userOpenRequested(securityId.toLongLong());
        return;
    }
    const QList<ClientListModel::Column>& columns = ClientListModel::userColumns();
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
    QWidget::resizeEvent(event);
    const double w = Twips::fromPixelsX(width());
    const double h = Twips::fromPixelsY(height());
    PaneLayout& g = m_layout;
    g.treeHeight = std::abs(h - 1320);
    g.barHeight = g.treeHeight + 425;
    g.listCaptionLeft = g.listLeft;
    g.listCaptionWidth = std::abs(w - (g.listLeft + 200));
    g.treeCaptionWidth = g.treeWidth;
    g.listHeight = std::abs(h - 1320);
    g.listWidth = g.listCaptionWidth;
    applyGeometry();
    if (!ResizeArmed)
        ResizeArmed = true;
}

void FrmDataBaseExplorer::dragSplitter(double x)
{
    if (m_layout.drag(x, Twips::fromPixelsX(width())))
        applyGeometry();
}

void FrmDataBaseExplorer::applyGeometry()
{
    m_layout.place(m_lblClassAndSection, m_lblStudentInformation, m_tree, m_list, m_bar);
}

bool FrmDataBaseExplorer::eventFilter(QObject* watched, QEvent* event)
{
    m_statusPanels->keyEvent(event);

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
