// Every window the main window opens, as a person and a screen reader meet it: each control
// the window shows can be seen whole, and each label, input and frame tells a screen reader
// what it shows.

#include "LoggedInSession.h"
#include "TestSupport.h"
#include "WindowChecks.h"
#include "app/frmSplash.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace {

const QString& MainMenu = LoggedInSession::MainMenu;
const QString& ExplorerMenu = LoggedInSession::ExplorerMenu;
const QString& Toolbar = LoggedInSession::Toolbar;
const QString& RecordWindow = LoggedInSession::RecordWindow;
const QString& RecordList = LoggedInSession::RecordList;
const QString& AtLogin = LoggedInSession::AtLogin;
const QString& ExplorerList = LoggedInSession::ExplorerList;
const QString& EventSave = LoggedInSession::EventSave;

} // namespace

class TestWindowsOnScreen : public QObject
{
    Q_OBJECT

private slots:
    void controlsCanBeSeen_data();
    void controlsCanBeSeen();
    void controlsTellScreenReadersWhatTheyShow_data();
    void controlsTellScreenReadersWhatTheyShow();
    void splashCanBeSeenAndRead();

private:
    static void windows();
    static QPointer<QWidget> openWindowOfRow(LoggedInSession& session);
    // The client and event the windows of the rows show.
    static void addClientWithMeeting()
    {
        LoggedInSession::addMeeting(LoggedInSession::addClient(QStringLiteral("Lee"), QStringLiteral("Ann")),
                                    QStringLiteral("Meeting"), QStringLiteral("Review"));
    }
};

// One row per window the main window opens: the user's level, where the command is and its
// name, and the class of the window it opens. Commands of the record window are given to the
// record window of a client opened from the explorer.
void TestWindowsOnScreen::windows()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QStringList>("clicks"); // buttons clicked in the window before it is checked

    QTest::newRow("Client Explorer at login") << 1 << AtLogin << QString() << "FrmDataBaseExplorer" << QStringList();
    QTest::newRow("New Client") << 1 << MainMenu << "MnuNewClient"
                                << "DisplayExtendedInformation" << QStringList();
    QTest::newRow("New Client, explorer") << 1 << ExplorerMenu << "MnuNewClient"
                                          << "DisplayExtendedInformation" << QStringList();
    QTest::newRow("Explorer") << 1 << MainMenu << "MnuExplorer"
                              << "FrmDataBaseExplorer" << QStringList();
    QTest::newRow("Resource Manager") << 1 << MainMenu << "mnuDoc"
                                      << "frmDocumentExp" << QStringList();
    QTest::newRow("Resource Manager, explorer") << 1 << ExplorerMenu << "mnuDoc"
                                                << "frmDocumentExp" << QStringList();
    QTest::newRow("New Tabs(Forms)") << 66 << MainMenu << "mnuDatabaseEditor"
                                     << "DatabaseGenerator" << QStringList();
    QTest::newRow("Edit Tabs(Forms)") << 66 << MainMenu << "MnuEditForms"
                                      << "DatabaseGenerator" << QStringList();
    QTest::newRow("Options") << 1 << MainMenu << "MnuOptions"
                             << "frmOptions" << QStringList();
    QTest::newRow("Options, explorer") << 1 << ExplorerMenu << "mnuOption"
                                       << "frmOptions" << QStringList();
    QTest::newRow("View Edit Events and Categories") << 66 << MainMenu << "mnuCategory"
                                                     << "FrmCategoryEventEditor" << QStringList();
    QTest::newRow("Telephone Conference") << 1 << Toolbar << "Phone"
                                          << "frmMeeting" << QStringList();
    QTest::newRow("Find") << 1 << Toolbar << "Find"
                          << "frmFindInfo" << QStringList();
    QTest::newRow("Login as Different User") << 1 << MainMenu << "mnuDifferentUser"
                                             << "frmLogin" << QStringList();
    QTest::newRow("New User") << 99 << MainMenu << "mnuNewUser"
                              << "frmNewUser" << QStringList{"CmdPassword"};
    QTest::newRow("Manage Users") << 99 << MainMenu << "MnuManageUsers"
                                  << "FrmManageUsers" << QStringList();
    QTest::newRow("client record") << 1 << ExplorerList << "L"
                                   << "DisplayExtendedInformation" << QStringList();
    QTest::newRow("Add Event Manager") << 1 << RecordWindow << "Conferences/Meetings"
                                       << "frmMeeting" << QStringList();
    QTest::newRow("Select Client") << 1 << EventSave << "Call back"
                                   << "frmSelectClient" << QStringList();
    QTest::newRow("View Event") << 1 << RecordList << "Conferences/Meetings"
                                << "frmMeeting" << QStringList();
    QTest::newRow("Resource Manager Browser") << 1 << RecordWindow << "Resources"
                                              << "frmDocumentExp" << QStringList();
}

void TestWindowsOnScreen::controlsCanBeSeen_data()
{
    windows();
}

void TestWindowsOnScreen::controlsTellScreenReadersWhatTheyShow_data()
{
    windows();
}

// Opens the window of the current row and gives it the row's clicks; null when that failed.
QPointer<QWidget> TestWindowsOnScreen::openWindowOfRow(LoggedInSession& session)
{
    QFETCH(QString, place);
    QFETCH(QString, command);
    QFETCH(QString, windowClass);
    QFETCH(QStringList, clicks);
    if (!session.loggedIn())
        return nullptr;
    if ((place == RecordWindow || place == RecordList) && !session.openClient(QStringLiteral("L")))
        return nullptr;
    const QPointer<QWidget> window = session.give(place, command);
    if (!window || QString::fromLatin1(window->metaObject()->className()) != windowClass)
        return nullptr;
    if (!QTest::qWaitFor([&window] { return !window || window->isVisible(); }) || !window)
        return nullptr;
    for (const QString& button : clicks) {
        WindowChecks::clickVisible(window->findChild<QWidget*>(button));
        if (QTest::currentTestFailed())
            return nullptr;
    }
    return window;
}

void TestWindowsOnScreen::controlsCanBeSeen()
{
    QFETCH(int, level);
    TestAppFolder folder;
    addClientWithMeeting();
    LoggedInSession session(level);
    const QPointer<QWidget> window = openWindowOfRow(session);
    QVERIFY(window);

    const QStringList problems = WindowChecks::layoutProblems(window);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

void TestWindowsOnScreen::controlsTellScreenReadersWhatTheyShow()
{
    QFETCH(int, level);
    TestAppFolder folder;
    addClientWithMeeting();
    LoggedInSession session(level);
    const QPointer<QWidget> window = openWindowOfRow(session);
    QVERIFY(window);

    const QStringList problems = WindowChecks::accessibilityProblems(window);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

// The splash window shows between the login and the main window.
void TestWindowsOnScreen::splashCanBeSeenAndRead()
{
    TestAppFolder folder;
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));

    const QStringList problems = WindowChecks::layoutProblems(&splash) + WindowChecks::accessibilityProblems(&splash);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestWindowsOnScreen)
#include "tst_WindowsOnScreen.moc"
