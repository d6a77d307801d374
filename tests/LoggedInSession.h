#pragma once

// A program start for GUI tests: the main window shown after a real login through the login
// window, as the built-in account (level 99) or as a user of the given level, and the child
// windows the user's commands open.

#include "AppTestHelpers.h"
#include "TestSupport.h"
#include "WindowChecks.h"
#include "app/MDIBaseForm.h"
#include "app/frmLogin.h"
#include "clients/ui/FrmDataBaseExplorer.h"
#include "store/Database.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTreeView>
#include <QTreeWidget>

class LoggedInSession
{
public:
    static constexpr int BuiltIn = 99;

    // Where a command is given: the main window's own menu bar (shown while no child window
    // is), the menu bar of the client explorer that opens at login, the main window's toolbar,
    // or a button of the client record window opened last (the command names the tab chosen
    // first). `AtLogin` gives no command: the window the login opens by itself.
    static inline const QString MainMenu = QStringLiteral("main menu");
    static inline const QString ExplorerMenu = QStringLiteral("explorer menu");
    static inline const QString Toolbar = QStringLiteral("toolbar");
    static inline const QString RecordWindow = QStringLiteral("record window");
    // A double click on the first row of the list of the record window opened last, on the tab
    // the command names.
    static inline const QString RecordList = QStringLiteral("record window list");
    static inline const QString AtLogin = QStringLiteral("at login");
    // The record window of the first client of the group the command names, opened by a
    // double click in the client explorer.
    static inline const QString ExplorerList = QStringLiteral("explorer list");
    // The window that "Save" of a telephone event without client opens (the client picker);
    // the command is the event's title, typed first.
    static inline const QString EventSave = QStringLiteral("event save");

    // Adds an active client; returns its PersonalInformationId. Clients added before the
    // login are counted in the explorer's tree.
    static qint64 addClient(const QString& lastName, const QString& firstName)
    {
        CLsDataBaseConnection db;
        db.Execute(QStringLiteral("INSERT INTO [Personal Information] ([First Name], [Last Name], Active) "
                                  "VALUES (?, ?, 1)"),
                   {firstName, lastName});
        const qint64 id = db.database()
                              .scalar(QStringLiteral("SELECT MAX(PersonalInformationId) FROM [Personal Information]"))
                              .toLongLong();
        db.DbClose();
        return id;
    }

    // Needs the TestAppFolder of the test. Check `loggedIn()` before using the session.
    explicit LoggedInSession(int level)
    {
        main.connectLogin(&login);
        login.SplashDuration = 1;
        QString userName = QStringLiteral("Admin");
        QString password = QStringLiteral("Vemla");
        if (level != BuiltIn) {
            userName = QStringLiteral("ann");
            password = QStringLiteral("pass word");
            ShellTest::addUser(userName, ShellTest::hashed(password), QStringLiteral("Q"), level);
        }
        login.load();
        auto* name = login.findChild<QLineEdit*>(QStringLiteral("txtUserName"));
        auto* secret = login.findChild<QLineEdit*>(QStringLiteral("txtPassword"));
        if (!name || !secret)
            return;
        name->clear();
        WindowChecks::typeVisible(name, userName);
        WindowChecks::typeVisible(secret, password);
        WindowChecks::clickVisible(login.findChild<QPushButton*>(QStringLiteral("cmdOK")));
    }

    LoggedInSession(const LoggedInSession&) = delete;
    LoggedInSession& operator=(const LoggedInSession&) = delete;

    bool loggedIn() const { return main.isVisible(); }

    // The menu bar shown in the main window now: its own, or the active child window's.
    QWidget* shownMenuBar() const
    {
        auto* area = main.findChild<QStackedWidget*>(QStringLiteral("menuArea"));
        return area ? area->currentWidget() : nullptr;
    }

    // The menu item or toolbar button `name` of the menu bar shown now, or of the toolbar.
    QAction* command(const QString& name) const
    {
        if (QWidget* bar = shownMenuBar()) {
            if (auto* item = bar->findChild<QAction*>(name))
                return item;
        }
        return main.menuItem(name);
    }

    QList<QMdiSubWindow*> children() const { return main.mdiArea()->subWindowList(); }

    // The working window of the child window opened last.
    QWidget* newestWindow() const
    {
        const QList<QMdiSubWindow*> list = main.mdiArea()->subWindowList(QMdiArea::CreationOrder);
        return list.isEmpty() ? nullptr : list.last()->widget();
    }

    // Adds an event of the client, as the event dialog stores it.
    static void addMeeting(qint64 clientId, const QString& type, const QString& subject)
    {
        CLsDataBaseConnection db;
        db.Execute(QStringLiteral("INSERT INTO MeetingInfo (PersonalInformationId, MeetingDate, MeetingType, "
                                  "MeetingCatagory, MeetingSubject, MeetingStartTime, MeetingEndTime, MeetingNotes) "
                                  "VALUES (?, '2026-03-02', ?, 'General', ?, '10:00:00', '10:30:00', 'Notes')"),
                   {clientId, type, subject});
        db.DbClose();
    }

    // Gives the command `name` at `place` as a person would, and returns the window it opened:
    // a new child window of the main window, or a new window of its own.
    QPointer<QWidget> give(const QString& place, const QString& name)
    {
        if (place == AtLogin)
            return newestWindow();
        if (place == ExplorerList)
            return openClient(name);
        if (place == MainMenu) {
            for (QMdiSubWindow* child : children())
                child->close();
            if (!children().isEmpty())
                return nullptr;
        }
        if (place == EventSave) {
            QPointer<QWidget> event = give(Toolbar, QStringLiteral("Phone"));
            if (!event)
                return nullptr;
            WindowChecks::typeVisible(event->findChild<QWidget*>(QStringLiteral("txtEventPurpose")), name);
        }
        const QList<QMdiSubWindow*> before = children();
        const QList<QWidget*> topBefore = shownTopLevels();
        if (place == RecordWindow) {
            if (QWidget* record = chooseRecordTab(name))
                WindowChecks::clickVisible(record->findChild<QPushButton*>(QStringLiteral("cmdEdit")));
        } else if (place == RecordList) {
            if (QWidget* record = chooseRecordTab(name)) {
                auto* list = record->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
                QTreeWidgetItem* first = list ? list->topLevelItem(0) : nullptr;
                if (!first)
                    return nullptr;
                WindowChecks::doubleClickVisible(list->viewport(), list->visualItemRect(first).center());
            }
        } else if (place == EventSave)
            WindowChecks::clickVisible(
                main.mdiArea()->activeSubWindow()->widget()->findChild<QWidget*>(QStringLiteral("cmdSave")));
        else
            WindowChecks::triggerVisible(command(name));
        if (QTest::currentTestFailed())
            return nullptr;
        for (QMdiSubWindow* child : children()) {
            if (!before.contains(child))
                return child->widget();
        }
        for (QWidget* widget : shownTopLevels()) {
            if (!topBefore.contains(widget))
                return widget;
        }
        return nullptr;
    }

    // Opens the record window of the first client of `group` by a double click in the client
    // explorer opened last, and returns it.
    QPointer<QWidget> openClient(const QString& group)
    {
        FrmDataBaseExplorer* explorer = nullptr;
        for (QMdiSubWindow* child : main.mdiArea()->subWindowList(QMdiArea::CreationOrder)) {
            if (auto* found = qobject_cast<FrmDataBaseExplorer*>(child->widget()))
                explorer = found;
        }
        if (!explorer)
            return nullptr;
        main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(explorer->parentWidget()));
        auto* tree = explorer->findChild<QTreeWidget*>(QStringLiteral("TreClassView"));
        QTreeWidgetItem* node = nullptr;
        for (int i = 0; tree && i < tree->topLevelItemCount(); ++i) {
            if (tree->topLevelItem(i)->data(0, FrmDataBaseExplorer::TagRole).toString() == group)
                node = tree->topLevelItem(i);
        }
        if (!node)
            return nullptr;
        tree->scrollToItem(node);
        WindowChecks::clickVisible(tree->viewport(), tree->visualItemRect(node).center());
        auto* list = explorer->findChild<QTreeView*>(QStringLiteral("LstStudenInformation"));
        if (QTest::currentTestFailed() || !list || list->model()->rowCount() == 0)
            return nullptr;
        const QList<QMdiSubWindow*> before = children();
        WindowChecks::doubleClickVisible(list->viewport(), list->visualRect(list->model()->index(0, 0)).center());
        for (QMdiSubWindow* child : children()) {
            if (!before.contains(child))
                return child->widget();
        }
        return nullptr;
    }

    MDIBaseForm main;
    frmLogin login;

private:
    static QList<QWidget*> shownTopLevels()
    {
        QList<QWidget*> shown;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible())
                shown.append(widget);
        }
        return shown;
    }

    // Chooses the tab `tab` of the record window opened last, as a person does; returns the
    // window, or null (and the test fails) when that cannot be done.
    QWidget* chooseRecordTab(const QString& tab)
    {
        QWidget* record = nullptr;
        for (QMdiSubWindow* child : main.mdiArea()->subWindowList(QMdiArea::CreationOrder)) {
            if (child->widget()->objectName() == QLatin1String("DisplayExtendedInformation"))
                record = child->widget();
        }
        if (!record) {
            QTest::qFail("no client record window is open", __FILE__, __LINE__);
            return nullptr;
        }
        main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(record->parentWidget()));
        auto* tabs = record->findChild<QTabBar*>(QStringLiteral("TabStrip1"));
        int index = -1;
        for (int i = 0; tabs && i < tabs->count(); ++i) {
            if (tabs->tabText(i) == tab)
                index = i;
        }
        if (index < 0) {
            QTest::qFail(qPrintable(QStringLiteral("the record window has no tab %1").arg(tab)), __FILE__, __LINE__);
            return nullptr;
        }
        WindowChecks::clickVisible(tabs, tabs->tabRect(index).center());
        if (QTest::currentTestFailed() || !QTest::qWaitFor([tabs, index] { return tabs->currentIndex() == index; }))
            return nullptr;
        return record;
    }
};
