#include "shell/MDIBaseForm.h"

#include "platform/MessageBox.h"
#include "shell/TempFolders.h"
#include "shell/Twips.h"
#include "shell/frmLogin.h"
#include "shell/frmOptions.h"

#include <QAction>
#include <QCloseEvent>
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QTimer>
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
    setCentralWidget(m_mdiArea);

    createMenus();
    createToolbar();
    createStatusBar();
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

QAction* MDIBaseForm::addItem(QMenu* menu, const QString& name, const QString& caption, bool visible)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setVisible(visible);
    return action;
}

QMenu* MDIBaseForm::addSubmenu(QWidget* owner, const QString& name, const QString& caption)
{
    auto* menu = new QMenu(caption, owner);
    menu->setObjectName(name);
    // The item that opens the submenu carries the same name, so that every item of the
    // menu bar is found (and shown or hidden) as an action.
    menu->menuAction()->setObjectName(name);
    if (auto* bar = qobject_cast<QMenuBar*>(owner))
        bar->addMenu(menu);
    else if (auto* parentMenu = qobject_cast<QMenu*>(owner))
        parentMenu->addMenu(menu);
    return menu;
}

void MDIBaseForm::createMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));

    QMenu* file = addSubmenu(bar, QStringLiteral("MnuFile"), QStringLiteral("File"));
    addItem(file, QStringLiteral("mnuNewUser"), QStringLiteral("New User"), false);
    addItem(file, QStringLiteral("MnuManageUsers"), QStringLiteral("Manage Users"), false);
    addItem(file, QStringLiteral("MnuNewClient"), QStringLiteral("New Client"));
    QAction* explorer = addItem(file, QStringLiteral("MnuExplorer"), QStringLiteral("Explorer"));
    file->addSeparator()->setObjectName(QStringLiteral("mnusep"));
    QAction* differentUser =
        addItem(file, QStringLiteral("mnuDifferentUser"), QStringLiteral("Login as Different User"));
    QAction* exit = addItem(file, QStringLiteral("mnuExit"), QStringLiteral("Exit"));

    QMenu* tools = addSubmenu(bar, QStringLiteral("mnuAdministrator"), QStringLiteral("Tools"));
    addItem(tools, QStringLiteral("mnuDoc"), QStringLiteral("Resource Manager"));
    tools->addSeparator()->setObjectName(QStringLiteral("sepMenu"));
    addItem(tools, QStringLiteral("mnuDatabaseEditor"), QStringLiteral("New Tabs(Forms)"));
    addItem(tools, QStringLiteral("MnuEditForms"), QStringLiteral("Edit Tabs(Forms)"));
    tools->addSeparator()->setObjectName(QStringLiteral("mnusep1"));
    QAction* options = addItem(tools, QStringLiteral("MnuOptions"), QStringLiteral("Options"));
    QMenu* admin = addSubmenu(tools, QStringLiteral("mnuAdmin"), QStringLiteral("Administrative"));
    addItem(admin, QStringLiteral("mnuCategory"), QStringLiteral("View Edit Events and Categories"));
    addItem(admin, QStringLiteral("mnuAddNewUser"), QStringLiteral("Add New User"), false);

    m_windowsMenu = addSubmenu(bar, QStringLiteral("mnuWindows"), QStringLiteral("Windows"));

    QMenu* help = addSubmenu(bar, QStringLiteral("mnuHelp"), QStringLiteral("Help"));
    QAction* whoAmI = addItem(help, QStringLiteral("mnuWhoAmI"), QStringLiteral("Who Am I"));

    connect(explorer, &QAction::triggered, this, &MDIBaseForm::openExplorer);
    connect(differentUser, &QAction::triggered, this, &MDIBaseForm::loginAsDifferentUser);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    connect(options, &QAction::triggered, this, &MDIBaseForm::openOptions);
    connect(m_windowsMenu, &QMenu::aboutToShow, this, &MDIBaseForm::fillWindowsMenu);
    connect(whoAmI, &QAction::triggered, this, &MDIBaseForm::whoAmI);
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
}

void MDIBaseForm::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));

    // The lock-key panels show the keys' names; the toolkit reports no lock state.
    const auto addPanel = [bar](const QString& name, const QString& text) {
        auto* panel = new QLabel(text, bar);
        panel->setObjectName(name);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setAlignment(Qt::AlignCenter);
        panel->setMinimumWidth(Twips::toPixelsX(900));
        bar->addPermanentWidget(panel);
        return panel;
    };
    addPanel(QStringLiteral("panelCaps"), QStringLiteral("CAPS"));
    addPanel(QStringLiteral("panelNum"), QStringLiteral("NUM"));
    addPanel(QStringLiteral("panelInsert"), QStringLiteral("INS"));
    m_timePanel = addPanel(QStringLiteral("panelTime"), QString());
    m_datePanel = addPanel(QStringLiteral("panelDate"), QString());

    // The clock shows minutes, so a few checks a minute keep it current.
    auto* clock = new QTimer(this);
    clock->setInterval(5000);
    connect(clock, &QTimer::timeout, this, &MDIBaseForm::updateClock);
    clock->start();
    updateClock();
}

void MDIBaseForm::updateClock()
{
    const QLocale locale;
    m_timePanel->setText(locale.toString(QTime::currentTime(), QLocale::ShortFormat));
    m_datePanel->setText(locale.toString(QDate::currentDate(), QLocale::ShortFormat));
}

QAction* MDIBaseForm::menuItem(const QString& name) const
{
    return findChild<QAction*>(name);
}

QMdiSubWindow* MDIBaseForm::addChild(QWidget* window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* child = m_mdiArea->addSubWindow(window);
    child->show();
    return child;
}

void MDIBaseForm::openExplorer()
{
    // A new client explorer, given this window's UserLevel and, as SecId, its UserId.
    // The explorer window does not exist yet; until it does, nothing opens.
}

void MDIBaseForm::openOptions()
{
    auto options = std::make_unique<frmOptions>();
    options->setSecId(UserId());
    addChild(options.release());
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
    configureForLevel();
    m_resizer.load(this);
}

void MDIBaseForm::configureForLevel()
{
    if (UserLevel == 99) {
        for (const char* name : {"mnuNewUser", "MnuManageUsers"})
            menuItem(QString::fromLatin1(name))->setVisible(true);
        for (const char* name : {"MnuOptions", "mnuDifferentUser", "MnuNewClient", "MnuExplorer"})
            menuItem(QString::fromLatin1(name))->setVisible(false);
        m_toolbar->setVisible(false);
        return;
    }
    if (UserLevel == 66) {
        menuItem(QStringLiteral("mnuAdmin"))->setVisible(true);
        menuItem(QStringLiteral("mnuDatabaseEditor"))->setVisible(true);
    }
    openExplorer();
}

void MDIBaseForm::fillWindowsMenu()
{
    m_windowsMenu->clear();
    const QList<QMdiSubWindow*> children = m_mdiArea->subWindowList();
    int number = 0;
    for (QMdiSubWindow* child : children) {
        if (child->isHidden())
            continue;
        ++number;
        QAction* item = m_windowsMenu->addAction(QStringLiteral("&%1 %2").arg(number).arg(child->windowTitle()));
        item->setCheckable(true);
        item->setChecked(child == m_mdiArea->activeSubWindow());
        connect(item, &QAction::triggered, m_mdiArea, [this, child] { m_mdiArea->setActiveSubWindow(child); });
    }
}

void MDIBaseForm::whoAmI()
{
    MessageBox::inform(this, QStringLiteral("Orvanta"), UserId());
}

void MDIBaseForm::loginAsDifferentUser()
{
    auto* login = new frmLogin(this, this);
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
    TempFolders::clear();
    event->accept();
}
