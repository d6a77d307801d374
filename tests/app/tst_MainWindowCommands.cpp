// What the commands of the main window (and of the windows it opens) hand to the windows they
// open: the caption and the members each window is opened with, given as a person gives them,
// after a real login.

#include "LoggedInSession.h"
#include "TestSupport.h"
#include "WindowChecks.h"
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
#include "users/ui/FrmManageUsers.h"
#include "users/ui/frmNewUser.h"

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

// Stand for the logged-in user's SecurityId and the client's identifier in expected values.
const QString TheUserId = QStringLiteral("<user id>");
const QString TheClientId = QStringLiteral("<client id>");

// The members a window was opened with, by the names its openers set.
QVariantMap handedOver(QWidget* window)
{
    if (auto* w = qobject_cast<FrmDataBaseExplorer*>(window))
        return {{"UserLevel", w->UserLevel}, {"SecId", w->SecId}};
    if (auto* w = qobject_cast<DisplayExtendedInformation*>(window))
        return {
            {"PersonalInformationId", w->PersonalInformationId}, {"PersonalName", w->PersonalName}, {"Mode", w->Mode}};
    if (auto* w = qobject_cast<frmDocumentExp*>(window))
        return {{"adminFunction", w->adminFunction},
                {"SetMode", w->SetMode},
                {"PersonalInformationId", w->PersonalInformationId}};
    if (auto* w = qobject_cast<DatabaseGenerator*>(window))
        return {{"EMode", w->EMode}};
    if (auto* w = qobject_cast<frmOptions*>(window))
        return {{"SecId", w->SecId()}};
    if (auto* w = qobject_cast<frmMeeting*>(window))
        return {{"AddView", w->AddView},
                {"PersonalInformationId", w->PersonalInformationId},
                {"EventType", w->EventType},
                {"EventPurpose", w->EventPurpose}};
    if (auto* w = qobject_cast<frmFindInfo*>(window))
        return {{"PersonalInformationId", w->PersonalInformationId}};
    if (auto* w = qobject_cast<frmNewUser*>(window))
        return {{"UserId", w->UserId()}};
    if (auto* w = qobject_cast<frmLogin*>(window))
        return {{"LogDiffUser", w->LogDiffUser}};
    if (auto* w = qobject_cast<frmSelectClient*>(window))
        return {{"SetDocumentId", w->SetDocumentId},
                {"EventType", w->EventType},
                {"EventCategory", w->EventCategory},
                {"EventPurpose", w->EventPurpose}};
    return {};
}

} // namespace

class TestMainWindowCommands : public QObject
{
    Q_OBJECT

private slots:
    void commandsHandOverWhatTheWindowNeeds_data();
    void commandsHandOverWhatTheWindowNeeds();
    void hiddenCommandsCannotBeGiven_data();
    void hiddenCommandsCannotBeGiven();
    void whoAmIShowsTheLoggedInUser();
};

void TestMainWindowCommands::commandsHandOverWhatTheWindowNeeds_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("withClient"); // the client's record window is opened (and active) first
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QVariantMap>("members");

    const QString explorer = QStringLiteral("FrmDataBaseExplorer");
    QTest::newRow("explorer at login, level 1") << 1 << false << AtLogin << QString() << explorer << "Client Explorer"
                                                << QVariantMap{{"UserLevel", 1}, {"SecId", TheUserId}};
    QTest::newRow("explorer at login, level 66") << 66 << false << AtLogin << QString() << explorer << "Client Explorer"
                                                 << QVariantMap{{"UserLevel", 66}, {"SecId", TheUserId}};
    QTest::newRow("Explorer") << 66 << false << MainMenu << "MnuExplorer" << explorer << "Client Explorer"
                              << QVariantMap{{"UserLevel", 66}, {"SecId", TheUserId}};
    QTest::newRow("Explorer, explorer") << 1 << false << ExplorerMenu << "MnuExplorer" << explorer << "Client Explorer"
                                        << QVariantMap{{"UserLevel", 1}, {"SecId", TheUserId}};

    const QString record = QStringLiteral("DisplayExtendedInformation");
    const QVariantMap newClient{
        {"PersonalInformationId", 0}, {"PersonalName", "New Client Information"}, {"Mode", "New"}};
    QTest::newRow("New Client") << 1 << false << MainMenu << "MnuNewClient" << record << "New Client Information"
                                << newClient;
    QTest::newRow("New Client, explorer")
        << 1 << false << ExplorerMenu << "MnuNewClient" << record << "New Client Information" << newClient;
    QTest::newRow("client row, explorer")
        << 1 << false << ExplorerList << "L" << record << "Lee, Ann "
        << QVariantMap{{"PersonalInformationId", TheClientId}, {"PersonalName", "Lee, Ann "}, {"Mode", ""}};

    const QString library = QStringLiteral("frmDocumentExp");
    QTest::newRow("Resource Manager") << 1 << false << MainMenu << "mnuDoc" << library << "Resource Manager"
                                      << QVariantMap{
                                             {"adminFunction", true}, {"SetMode", false}, {"PersonalInformationId", 0}};
    QTest::newRow("Resource Manager, explorer")
        << 1 << false << ExplorerMenu << "mnuDoc" << library << "Resource Manager"
        << QVariantMap{{"adminFunction", false}, {"SetMode", false}, {"PersonalInformationId", 0}};
    QTest::newRow("Assign Resource, record window")
        << 1 << true << RecordWindow << "Resources" << library << "Resource Manager Browser"
        << QVariantMap{{"adminFunction", false}, {"SetMode", true}, {"PersonalInformationId", TheClientId}};

    const QString designer = QStringLiteral("DatabaseGenerator");
    QTest::newRow("New Tabs(Forms)") << 66 << false << MainMenu << "mnuDatabaseEditor" << designer
                                     << "Create Tabs(Forms)" << QVariantMap{{"EMode", false}};
    QTest::newRow("Edit Tabs(Forms)") << 1 << false << MainMenu << "MnuEditForms" << designer << "Edit Tabs(Forms)"
                                      << QVariantMap{{"EMode", true}};
    QTest::newRow("New Tabs(Forms), explorer") << 66 << false << ExplorerMenu << "mnuDatabaseEditor" << designer
                                               << "Create Tabs(Forms)" << QVariantMap{{"EMode", false}};
    QTest::newRow("Edit Tabs(Forms), explorer") << 1 << false << ExplorerMenu << "MnuEditForms" << designer
                                                << "Edit Tabs(Forms)" << QVariantMap{{"EMode", true}};

    QTest::newRow("Options") << 1 << false << MainMenu << "MnuOptions"
                             << "frmOptions"
                             << "Options" << QVariantMap{{"SecId", TheUserId}};
    QTest::newRow("Options, explorer") << 66 << false << ExplorerMenu << "mnuOption"
                                       << "frmOptions"
                                       << "Options" << QVariantMap{{"SecId", TheUserId}};
    QTest::newRow("View Edit Events and Categories") << 66 << false << MainMenu << "mnuCategory"
                                                     << "FrmCategoryEventEditor"
                                                     << "Category Event Editor" << QVariantMap{};
    QTest::newRow("View Edit Events and Categories, explorer") << 1 << false << ExplorerMenu << "mnuCatagory"
                                                               << "FrmCategoryEventEditor"
                                                               << "Category Event Editor" << QVariantMap{};

    const QString meeting = QStringLiteral("frmMeeting");
    QTest::newRow("Telephone Conference") << 1 << false << Toolbar << "Phone" << meeting << "Client Meeting Notes"
                                          << QVariantMap{{"AddView", true}, {"PersonalInformationId", 0}};
    QTest::newRow("Save of a telephone event") << 1 << false << EventSave << "Call back"
                                               << "frmSelectClient"
                                               << "Select Client"
                                               << QVariantMap{{"SetDocumentId", 0},
                                                              {"EventType", "Meeting"},
                                                              {"EventCategory", "General"},
                                                              {"EventPurpose", "Call back"}};
    QTest::newRow("Add Event, record window")
        << 1 << true << RecordWindow << "Conferences/Meetings" << meeting << "Add Event Manager"
        << QVariantMap{{"AddView", true}, {"PersonalInformationId", TheClientId}};

    QTest::newRow("event row, record window")
        << 1 << true << RecordList << "Conferences/Meetings" << meeting << "View Event"
        << QVariantMap{{"AddView", false},
                       {"PersonalInformationId", TheClientId},
                       {"EventType", "Meeting"},
                       {"EventPurpose", "Review"}};

    const QString find = QStringLiteral("frmFindInfo");
    QTest::newRow("Find, no client yet") << 1 << false << Toolbar << "Find" << find << "Find"
                                         << QVariantMap{{"PersonalInformationId", 0}};
    QTest::newRow("Find, after a client's record window")
        << 1 << true << Toolbar << "Find" << find << "Find" << QVariantMap{{"PersonalInformationId", TheClientId}};

    QTest::newRow("Login as Different User") << 1 << false << MainMenu << "mnuDifferentUser"
                                             << "frmLogin"
                                             << "Orvanta Login" << QVariantMap{{"LogDiffUser", true}};
    QTest::newRow("New User") << 99 << false << MainMenu << "mnuNewUser"
                              << "frmNewUser"
                              << "Add New User" << QVariantMap{{"UserId", ""}};
    QTest::newRow("Manage Users") << 99 << false << MainMenu << "MnuManageUsers"
                                  << "FrmManageUsers"
                                  << "Manage Users" << QVariantMap{};
}

void TestMainWindowCommands::commandsHandOverWhatTheWindowNeeds()
{
    QFETCH(int, level);
    QFETCH(bool, withClient);
    QFETCH(QString, place);
    QFETCH(QString, command);
    QFETCH(QString, windowClass);
    QFETCH(QString, caption);
    QFETCH(QVariantMap, members);
    TestAppFolder folder;
    const qint64 clientId = LoggedInSession::addClient(QStringLiteral("Lee"), QStringLiteral("Ann"));
    LoggedInSession::addMeeting(clientId, QStringLiteral("Meeting"), QStringLiteral("Review"));
    LoggedInSession session(level);
    QVERIFY(session.loggedIn());
    QCOMPARE(session.main.UserLevel, level);
    if (withClient) {
        const QPointer<QWidget> record = session.openClient(QStringLiteral("L"));
        QVERIFY(record);
        QTRY_COMPARE(session.main.PersonalInformationId, ClientId(clientId));
    }

    const QPointer<QWidget> window = session.give(place, command);
    QVERIFY(window);
    QCOMPARE(QString::fromLatin1(window->metaObject()->className()), windowClass);
    QTRY_VERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), caption);
    if (auto* child = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        QCOMPARE(child->windowTitle(), caption);

    const QVariantMap actual = handedOver(window);
    for (auto expected = members.cbegin(); expected != members.cend(); ++expected) {
        QString value = expected.value().toString();
        if (value == TheUserId) {
            value = session.main.UserId();
            QVERIFY(!value.isEmpty() && value != QLatin1String("1")); // the user's own row, not the built-in one
        } else if (value == TheClientId) {
            value = QString::number(clientId);
        }
        QVERIFY2(actual.contains(expected.key()), qPrintable(expected.key()));
        QVERIFY2(actual.value(expected.key()).toString() == value,
                 qPrintable(QStringLiteral("%1 is \"%2\", expected \"%3\"")
                                .arg(expected.key(), actual.value(expected.key()).toString(), value)));
    }
}

// Commands the user's level hides are not offered: they cannot be given.
void TestMainWindowCommands::hiddenCommandsCannotBeGiven_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("command");

    for (const char* name : {"MnuOptions", "mnuDifferentUser", "MnuNewClient", "MnuExplorer", "Phone", "Find"})
        QTest::newRow(qPrintable(QStringLiteral("level 99, %1").arg(QLatin1String(name)))) << 99 << name;
    for (const char* name : {"mnuNewUser", "MnuManageUsers", "mnuAddNewUser"}) {
        QTest::newRow(qPrintable(QStringLiteral("level 1, %1").arg(QLatin1String(name)))) << 1 << name;
        QTest::newRow(qPrintable(QStringLiteral("level 66, %1").arg(QLatin1String(name)))) << 66 << name;
    }
}

void TestMainWindowCommands::hiddenCommandsCannotBeGiven()
{
    QFETCH(int, level);
    QFETCH(QString, command);
    TestAppFolder folder;
    LoggedInSession session(level);
    QVERIFY(session.loggedIn());
    for (QMdiSubWindow* child : session.children())
        child->close();

    QVERIFY(session.main.menuItem(command));
    QVERIFY(!WindowChecks::actionProblem(session.main.menuItem(command)).isEmpty());
}

void TestMainWindowCommands::whoAmIShowsTheLoggedInUser()
{
    TestAppFolder folder;
    LoggedInSession session(1);
    QVERIFY(session.loggedIn());
    for (QMdiSubWindow* child : session.children())
        child->close();
    const qsizetype shown = folder.messages->shown().size();

    WindowChecks::triggerVisible(session.command(QStringLiteral("mnuWhoAmI")));

    QCOMPARE(folder.messages->shown().size(), shown + 1);
    QCOMPARE(folder.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(folder.messages->last().text, session.main.UserId());
    QVERIFY(session.main.UserId() != QLatin1String("1"));
}

QTEST_MAIN(TestMainWindowCommands)
#include "tst_MainWindowCommands.moc"
