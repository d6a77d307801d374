#pragma once

#include "store/ClientId.h"
#include "users/UserSession.h"
#include "widgets/ProportionalResizer.h"

#include <QMainWindow>
#include <QString>
#include <QVariant>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QMenuBar;
class QStackedWidget;
class DatabaseMaintenance;
class DisplayExtendedInformation;
class DocumentIndexingStatus;
class frmLogin;

// The main window: holds the working windows as child windows, carries the menus, the
// toolbar and the status bar, and keeps the identity of the logged-in user.
class MDIBaseForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit MDIBaseForm(QWidget* parent = nullptr);
    ~MDIBaseForm() override;

    // The current user. Each setter takes a text or a number and keeps its text form.
    QString UFirstName() const { return m_firstName; }
    void setUFirstName(const QVariant& value);
    // A middle name that is Null or numerically 1 is kept as a single space.
    QString UMiddleName() const { return m_middleName; }
    void setUMiddleName(const QVariant& value);
    QString ULastName() const { return m_lastName; }
    void setULastName(const QVariant& value);
    // The user's SecurityId as text; "1" after a quick login.
    QString UserId() const { return m_userId; }
    void setUserId(const QVariant& value);

    // One of UserLevels: the built-in account, an administrator, anything else an ordinary user.
    int UserLevel = 0;
    // The client whose record window was last activated; NoClient until then.
    ClientId PersonalInformationId = NoClient;

    // Takes over the user of a login: names, identifier, level and caption.
    void setSession(const UserSession& session);
    // Receives the session of `login` and shows this window when the login says so.
    void connectLogin(frmLogin* login);

    QMdiArea* mdiArea() const { return m_mdiArea; }
    // The background indexing of the documents' text and its status bar panel.
    DocumentIndexingStatus* indexing() const { return m_indexing; }
    // Backups, restore, compaction and checks of the database (the Tools menu's last commands).
    DatabaseMaintenance* maintenance() const { return m_maintenance; }
    // Shows `window` as a new child window; the child window owns it and deletes it when closed.
    QMdiSubWindow* addChild(QWidget* window);
    // A menu item or toolbar button by its name.
    QAction* menuItem(const QString& name) const;

    // Each opener creates a fresh window, sets what it needs and shows it as a child window.
    void openExplorer();
    void openOptions();
    void openNewClient();
    void openClient(ClientId personalInformationId, const QString& personalName);
    void openResourceManager(bool adminFunction);
    void openDesigner(bool editMode);
    void openCategories();
    void openNewUser();
    void openUserView(qint64 securityId);
    void openManageUsers();
    void openPhoneEvent();
    void openFind();
    // Help > About Orvanta: a modal dialog, deleted when closed.
    void openAbout();

    // The first showing loads the window: menus for the user's level, the explorer.
    void setVisible(bool visible) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createToolbar();
    void createStatusBar();
    void load();
    void configureForLevel();
    void fillWindowsMenu();
    void whoAmI();
    void loginAsDifferentUser();
    void connectRecordWindow(DisplayExtendedInformation* record);
    QMdiSubWindow* addChildWithMenu(QWidget* window, QMenuBar* bar);
    void showMenuOf(QMdiSubWindow* child);

    QString m_firstName;
    QString m_middleName;
    QString m_lastName;
    QString m_userId;

    QMdiArea* m_mdiArea = nullptr;
    QMenu* m_windowsMenu = nullptr;
    // The menu area shows the main window's menu bar, or the one of the active child
    // window that brings its own (the explorer, the resource library).
    QStackedWidget* m_menuStack = nullptr;
    QMenuBar* m_mainMenu = nullptr;
    QToolBar* m_toolbar = nullptr;
    ProportionalResizer m_resizer;
    bool m_loaded = false;
    DocumentIndexingStatus* m_indexing = nullptr;
    DatabaseMaintenance* m_maintenance = nullptr;
};
