#include "app/MDIBaseForm.h"

#include "app/DatabaseMaintenance.h"
#include "app/DocumentIndexingStatus.h"
#include "app/TempFolders.h"
#include "app/frmAbout.h"
#include "app/frmLogin.h"
#include "app/frmOptions.h"
#include "clients/ui/DisplayExtendedInformation.h"
#include "clients/ui/FrmCategoryEventEditor.h"
#include "clients/ui/FrmDataBaseExplorer.h"
#include "clients/ui/frmFindInfo.h"
#include "clients/ui/frmMeeting.h"
#include "clients/ui/frmSelectClient.h"
#include "designer/ui/DatabaseGenerator.h"
#include "documents/ui/frmDocumentExp.h"
#include "platform/MessageBox.h"
#include "users/ui/FrmManageUsers.h"
#include "users/ui/frmNewUser.h"
#include "widgets/MenuBuilder.h"
#include "widgets/StatusPanels.h"
#include "widgets/Twips.h"
#include "widgets/WindowsMenu.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <memory>

namespace {

QString textOf(const QVariant& value)
{
    return value.toString();
}

bool isNull(const QVariant& value)
{
    return !value.isValid() || value.isNull();
}

} // namespace

MDIBaseForm::MDIBaseForm(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MDIBaseForm"));
    setWindowTitle(QStringLiteral("Orvanta"));
    resize(Twips::size(15000, 10500));

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Closing a child window brings back the one the user came from, not the oldest one.
    m_mdiArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setCentralWidget(m_mdiArea);

    createMenus();
    createToolbar();
    createStatusBar();
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &MDIBaseForm::showMenuOf);
}

MDIBaseForm::~MDIBaseForm()
{
    // The area activates the remaining windows while the base class deletes them; by then this
    // part of the object is gone and must not be called.
    disconnect(m_mdiArea, nullptr, this, nullptr);
}

void MDIBaseForm::setSession(const UserSession& session)
{
    setUFirstName(session.firstName);
    setUMiddleName(session.middleName);
    setULastName(session.lastName);
    setUserId(session.securityId);
    UserLevel = session.level;
    setWindowTitle(session.mainWindowTitle());
}

void MDIBaseForm::connectLogin(frmLogin* login)
{
    connect(login, &frmLogin::loggedIn, this, &MDIBaseForm::setSession);
    // A workstation program fills the screen.
    connect(login, &frmLogin::mainWindowDue, this, &QWidget::showMaximized);
}

void MDIBaseForm::setUFirstName(const QVariant& value)
{
    m_firstName = textOf(value);
}

void MDIBaseForm::setUMiddleName(const QVariant& value)
{
    bool numeric = false;
    const double number = value.toString().trimmed().toDouble(&numeric);
    m_middleName = isNull(value) || (numeric && number == 1.0) ? QStringLiteral(" ") : textOf(value);
}

void MDIBaseForm::setULastName(const QVariant& value)
{
    m_lastName = textOf(value);
}

void MDIBaseForm::setUserId(const QVariant& value)
{
    m_userId = textOf(value);
}

void MDIBaseForm::createMenus()
{
    m_menuStack = new QStackedWidget(this);
    m_menuStack->setObjectName(QStringLiteral("menuArea"));
    auto* bar = new QMenuBar(m_menuStack);
    bar->setObjectName(QStringLiteral("menuBar"));
    m_menuStack->addWidget(bar);
    m_mainMenu = bar;
    setMenuWidget(m_menuStack);

    // The item that opens a menu carries the menu's name, so that every item of the menu bar
    // is found (and shown or hidden) as an action.
    const MenuBuilder menus(MenuBuilder::OpenerName::SameAsMenu);
    QMenu* file = menus.menu(bar, QStringLiteral("MnuFile"), QStringLiteral("File"));
    QAction* newUser = menus.item(file, QStringLiteral("mnuNewUser"), QStringLiteral("New User"), false);
    QAction* manageUsers = menus.item(file, QStringLiteral("MnuManageUsers"), QStringLiteral("Manage Users"), false);
    QAction* newClient = menus.item(file, QStringLiteral("MnuNewClient"), QStringLiteral("New Client"));
    QAction* explorer = menus.item(file, QStringLiteral("MnuExplorer"), QStringLiteral("Explorer"));
    menus.separator(file, QStringLiteral("mnusep"));
    QAction* differentUser =
        menus.item(file, QStringLiteral("mnuDifferentUser"), QStringLiteral("Login as Different User"));
    QAction* exit = menus.item(file, QStringLiteral("mnuExit"), QStringLiteral("Exit"));

    QMenu* tools = menus.menu(bar, QStringLiteral("mnuAdministrator"), QStringLiteral("Tools"));
    QAction* resources = menus.item(tools, QStringLiteral("mnuDoc"), QStringLiteral("Resource Manager"));
    menus.separator(tools, QStringLiteral("sepMenu"));
    QAction* newTabs = menus.item(tools, QStringLiteral("mnuDatabaseEditor"), QStringLiteral("New Tabs(Forms)"));
    QAction* editTabs = menus.item(tools, QStringLiteral("MnuEditForms"), QStringLiteral("Edit Tabs(Forms)"));
    menus.separator(tools, QStringLiteral("mnusep1"));
    QAction* options = menus.item(tools, QStringLiteral("MnuOptions"), QStringLiteral("Options"));
    QMenu* admin = menus.menu(tools, QStringLiteral("mnuAdmin"), QStringLiteral("Administrative"));
    QAction* categories =
        menus.item(admin, QStringLiteral("mnuCategory"), QStringLiteral("View Edit Events and Categories"));
    QAction* addNewUser = menus.item(admin, QStringLiteral("mnuAddNewUser"), QStringLiteral("Add New User"), false);
    m_maintenance = new DatabaseMaintenance(this);
    m_maintenance->addCommands(tools);

    m_windowsMenu = menus.menu(bar, QStringLiteral("mnuWindows"), QStringLiteral("Windows"));

    QMenu* help = menus.menu(bar, QStringLiteral("mnuHelp"), QStringLiteral("Help"));
    QAction* whoAmI = menus.item(help, QStringLiteral("mnuWhoAmI"), QStringLiteral("Who Am I"));
    menus.separator(help, QStringLiteral("mnuHelpSep"));
    QAction* about = menus.item(help, QStringLiteral("mnuAbout"), QStringLiteral("&About Orvanta..."));

    connect(explorer, &QAction::triggered, this, &MDIBaseForm::openExplorer);
    connect(differentUser, &QAction::triggered, this, &MDIBaseForm::loginAsDifferentUser);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    connect(options, &QAction::triggered, this, &MDIBaseForm::openOptions);
    connect(m_windowsMenu, &QMenu::aboutToShow, this, &MDIBaseForm::fillWindowsMenu);
    connect(whoAmI, &QAction::triggered, this, &MDIBaseForm::whoAmI);
    connect(about, &QAction::triggered, this, &MDIBaseForm::openAbout);
    connect(newUser, &QAction::triggered, this, &MDIBaseForm::openNewUser);
    connect(addNewUser, &QAction::triggered, this, &MDIBaseForm::openNewUser);
    connect(manageUsers, &QAction::triggered, this, &MDIBaseForm::openManageUsers);
    connect(newClient, &QAction::triggered, this, &MDIBaseForm::openNewClient);
    connect(resources, &QAction::triggered, this, [this] { openResourceManager(true); });
    connect(newTabs, &QAction::triggered, this, [this] { openDesigner(false); });
    connect(editTabs, &QAction::triggered, this, [this] { openDesigner(true); });
    connect(categories, &QAction::triggered, this, &MDIBaseForm::openCategories);
}

void MDIBaseForm::createToolbar()
{
    m_toolbar = addToolBar(QStringLiteral("Toolbar1"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);

    QAction* phone = m_toolbar->addAction(
        QIcon::fromTheme(QStringLiteral("call-start"), style()->standardIcon(QStyle::SP_MessageBoxInformation)),
        QStringLiteral("Phone"));
    phone->setObjectName(QStringLiteral("Phone"));
    phone->setToolTip(QStringLiteral("Telephone Conference"));

    QAction* find = m_toolbar->addAction(
        QIcon::fromTheme(QStringLiteral("edit-find"), style()->standardIcon(QStyle::SP_FileDialogContentsView)),
        QStringLiteral("Find"));
    find->setObjectName(QStringLiteral("Find"));
    find->setToolTip(QStringLiteral("Find"));

    connect(phone, &QAction::triggered, this, &MDIBaseForm::openPhoneEvent);
    connect(find, &QAction::triggered, this, &MDIBaseForm::openFind);
}

void MDIBaseForm::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));

    // The lock-key panels show the keys' names; the toolkit reports no lock state.
    new StatusPanels(bar, StatusPanels::Placement::Permanent);
    m_indexing = new DocumentIndexingStatus(bar);
}

QAction* MDIBaseForm::menuItem(const QString& name) const
{
    // Only this window's own items: a child window's menu bar may use the same names.
    if (auto* item = m_mainMenu->findChild<QAction*>(name))
        return item;
    return m_toolbar->findChild<QAction*>(name);
}

QMdiSubWindow* MDIBaseForm::addChild(QWidget* window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* child = m_mdiArea->addSubWindow(window);
    child->show();
    return child;
}

QMdiSubWindow* MDIBaseForm::addChildWithMenu(QWidget* window, QMenuBar* bar)
{
    // The child's menu bar moves into the main window's menu area, shown while the child
    // is the active one, and goes with the child.
    m_menuStack->addWidget(bar);
    connect(window, &QObject::destroyed, bar, &QObject::deleteLater);
    window->setProperty("orvantaMenuBar", QVariant::fromValue(static_cast<QObject*>(bar)));
    QMdiSubWindow* child = addChild(window);
    showMenuOf(child);
    return child;
}

void MDIBaseForm::showMenuOf(QMdiSubWindow* child)
{
    QWidget* bar = m_mainMenu;
    if (child && child->widget()) {
        if (auto* own = qobject_cast<QMenuBar*>(child->widget()->property("orvantaMenuBar").value<QObject*>()))
            bar = own;
    }
    m_menuStack->setCurrentWidget(bar);
}

void MDIBaseForm::openExplorer()
{
    auto explorer = std::make_unique<FrmDataBaseExplorer>();
    explorer->UserLevel = UserLevel;
    explorer->SecId = UserId();
    FrmDataBaseExplorer* window = explorer.get();
    connect(window, &FrmDataBaseExplorer::newClientRequested, this, &MDIBaseForm::openNewClient);
    connect(window, &FrmDataBaseExplorer::explorerRequested, this, &MDIBaseForm::openExplorer);
    connect(window, &FrmDataBaseExplorer::resourceManagerRequested, this, [this] { openResourceManager(false); });
    connect(window, &FrmDataBaseExplorer::designerRequested, this, &MDIBaseForm::openDesigner);
    connect(window, &FrmDataBaseExplorer::optionsRequested, this, [this](const QString& secId) {
        auto options = std::make_unique<frmOptions>();
        options->setSecId(secId);
        options->UserLevel = UserLevel;
        addChild(options.release());
    });
    connect(window, &FrmDataBaseExplorer::categoriesRequested, this, &MDIBaseForm::openCategories);
    connect(window, &FrmDataBaseExplorer::databaseToolRequested, this, [this](const QString& item) {
        if (QAction* command = menuItem(item))
            command->trigger();
    });
    connect(window, &FrmDataBaseExplorer::clientOpenRequested, this, &MDIBaseForm::openClient);
    connect(window, &FrmDataBaseExplorer::userOpenRequested, this, &MDIBaseForm::openUserView);
    connect(window, &FrmDataBaseExplorer::exitRequested, this, &QWidget::close);
    addChildWithMenu(explorer.release(), window->menuBar());
}

void MDIBaseForm::openOptions()
{
    auto options = std::make_unique<frmOptions>();
    options->setSecId(UserId());
    options->UserLevel = UserLevel;
    addChild(options.release());
}

void MDIBaseForm::openNewClient()
{
    openClient(0, QStringLiteral("New Client Information"));
}

void MDIBaseForm::openClient(ClientId personalInformationId, const QString& personalName)
{
    auto record = std::make_unique<DisplayExtendedInformation>();
    record->PersonalInformationId = personalInformationId;
    record->PersonalName = personalName;
    if (personalInformationId == NoClient)
        record->Mode = QStringLiteral("New");
    DisplayExtendedInformation* window = record.get();
    connectRecordWindow(window);
    addChild(record.release());
}

void MDIBaseForm::connectRecordWindow(DisplayExtendedInformation* record)
{
    const QPointer<DisplayExtendedInformation> guarded(record);
    connect(record, &DisplayExtendedInformation::activated, this, [this](ClientId id) { PersonalInformationId = id; });
    connect(record, &DisplayExtendedInformation::addEventRequested, this, [this, guarded] {
        if (!guarded)
            return;
        auto meeting = std::make_unique<frmMeeting>();
        meeting->AddView = true;
        meeting->setWindowTitle(QStringLiteral("Add Event Manager"));
        meeting->PersonalInformationId = guarded->PersonalInformationId;
        meeting->openWindow = [this](QWidget* w) { addChild(w); };
        connect(meeting.get(), &frmMeeting::eventSaved, guarded, [guarded] {
            if (guarded)
                guarded->PopulateListEvents();
        });
        addChild(meeting.release());
    });
    connect(record, &DisplayExtendedInformation::viewEventRequested, this, [this, guarded](const EventEntry& event) {
        if (!guarded)
            return;
        auto meeting = std::make_unique<frmMeeting>();
        meeting->AddView = false;
        meeting->PersonalInformationId = guarded->PersonalInformationId;
        meeting->setEvent(event);
        meeting->setWindowTitle(QStringLiteral("View Event"));
        addChild(meeting.release());
    });
    connect(record, &DisplayExtendedInformation::assignResourceRequested, this, [this, guarded] {
        if (!guarded)
            return;
        auto library = std::make_unique<frmDocumentExp>();
        library->SetMode = true;
        library->setWindowTitle(QStringLiteral("Resource Manager Browser"));
        library->PersonalInformationId = guarded->PersonalInformationId;
        library->adminFunction = false;
        connect(library.get(), &frmDocumentExp::resourceAssigned, guarded, [guarded] {
            if (guarded)
                guarded->PopulateListResources();
        });
        frmDocumentExp* window = library.get();
        addChildWithMenu(library.release(), window->menuBar());
    });
    connect(record, &DisplayExtendedInformation::reassignRequested, this, [this, guarded](qint64 attachmentsId) {
        auto picker = std::make_unique<frmSelectClient>();
        picker->SetDocumentId = attachmentsId;
        picker->PopulateListAtt = [guarded] {
            if (guarded)
                guarded->PopulateListAtt();
        };
        addChild(picker.release());
    });
}

void MDIBaseForm::openResourceManager(bool adminFunction)
{
    auto library = std::make_unique<frmDocumentExp>();
    library->adminFunction = adminFunction;
    frmDocumentExp* window = library.get();
    addChildWithMenu(library.release(), window->menuBar());
}

void MDIBaseForm::openDesigner(bool editMode)
{
    auto designer = std::make_unique<DatabaseGenerator>();
    designer->EMode = editMode;
    designer->setWindowTitle(editMode ? QStringLiteral("Edit Tabs(Forms)") : QStringLiteral("Create Tabs(Forms)"));
    addChild(designer.release());
}

void MDIBaseForm::openCategories()
{
    addChild(new FrmCategoryEventEditor);
}

void MDIBaseForm::openNewUser()
{
    addChild(new frmNewUser);
}

void MDIBaseForm::openUserView(qint64 securityId)
{
    auto user = std::make_unique<frmNewUser>();
    user->setUserId(QString::number(securityId));
    addChild(user.release());
}

void MDIBaseForm::openManageUsers()
{
    addChild(new FrmManageUsers);
}

void MDIBaseForm::openPhoneEvent()
{
    auto meeting = std::make_unique<frmMeeting>();
    meeting->AddView = true;
    meeting->openWindow = [this](QWidget* w) { addChild(w); };
    addChild(meeting.release());
}

void MDIBaseForm::openFind()
{
    auto find = std::make_unique<frmFindInfo>();
    find->PersonalInformationId = PersonalInformationId;
    addChild(find.release());
}

void MDIBaseForm::setVisible(bool visible)
{
    if (visible && !m_loaded) {
        m_loaded = true;
        load();
    }
    QMainWindow::setVisible(visible);
}

void MDIBaseForm::load()
{
    // Documents stored before their text was indexed are indexed while the user works.
    m_indexing->start();
    configureForLevel();
    m_resizer.load(this);
}

void MDIBaseForm::configureForLevel()
{
    m_maintenance->setCommandsVisible(UserLevel == UserLevels::BuiltIn || UserLevel == UserLevels::Administrator);
    if (UserLevel == UserLevels::BuiltIn) {
        for (const char* name : {"mnuNewUser", "MnuManageUsers"})
            menuItem(QString::fromLatin1(name))->setVisible(true);
        for (const char* name : {"MnuOptions", "mnuDifferentUser", "MnuNewClient", "MnuExplorer"})
            menuItem(QString::fromLatin1(name))->setVisible(false);
        m_toolbar->setVisible(false);
        return;
    }
    if (UserLevel == UserLevels::Administrator) {
        menuItem(QStringLiteral("mnuAdmin"))->setVisible(true);
        menuItem(QStringLiteral("mnuDatabaseEditor"))->setVisible(true);
    }
    openExplorer();
}

void MDIBaseForm::fillWindowsMenu()
{
    WindowsMenu::fill(m_windowsMenu, m_mdiArea);
}

void MDIBaseForm::whoAmI()
{
    MessageBox::inform(this, QStringLiteral("Orvanta"), UserId());
}

void MDIBaseForm::openAbout()
{
    auto* about = new frmAbout(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

void MDIBaseForm::loginAsDifferentUser()
{
    auto* login = new frmLogin(this);
    connectLogin(login);
    login->setAttribute(Qt::WA_DeleteOnClose);
    login->LogDiffUser = true;
    login->load();
}

void MDIBaseForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    m_resizer.resized(this);
}

void MDIBaseForm::closeEvent(QCloseEvent* event)
{
    m_mdiArea->closeAllSubWindows();
    const QList<QMdiSubWindow*> children = m_mdiArea->subWindowList();
    for (QMdiSubWindow* child : children) {
        // A child window that refused to close keeps the program running.
        if (!child->isHidden()) {
            event->ignore();
            return;
        }
    }
    for (frmLogin* login : findChildren<frmLogin*>(Qt::FindDirectChildrenOnly))
        login->close();
    m_indexing->stop();
    m_maintenance->backUpBeforeClosing();
    TempFolders::clear();
    event->accept();
}
