#include "AccessibleTextCheck.h"
#include "AppTestHelpers.h"
#include "TestSupport.h"
#include "app/MDIBaseForm.h"
#include "app/frmLogin.h"
#include "users/UserAuthenticator.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <atomic>

namespace {

// The main window and the login window of one program start.
struct Start
{
    Start()
    {
        main.connectLogin(&login);
        login.SplashDuration = 20;
    }

    static void logIn(frmLogin& window, const QString& userName, const QString& password)
    {
        window.findChild<QLineEdit*>(QStringLiteral("txtUserName"))->clear();
        QTest::keyClicks(window.findChild<QLineEdit*>(QStringLiteral("txtUserName")), userName);
        QTest::keyClicks(window.findChild<QLineEdit*>(QStringLiteral("txtPassword")), password);
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    }
    void logIn(const QString& userName, const QString& password) { logIn(login, userName, password); }
    QString text(const char* box) { return login.findChild<QLineEdit*>(QString::fromLatin1(box))->text(); }

    MDIBaseForm main;
    frmLogin login;
};

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT

private slots:
    void missingSettingsAreCreatedAndOnlyAdminReported();
    void quickLogin_data();
    void quickLogin();
    void loginSucceeds_data();
    void loginSucceeds();
    void loginFails_data();
    void loginFails();
    void plainStoredPasswordIsReplacedByHash();
    void nullStoredPasswordMatchesNothing_data();
    void nullStoredPasswordMatchesNothing();
    void everyAttemptChecksOneHash_data();
    void everyAttemptChecksOneHash();
    void windowPaintsWhileThePasswordIsChecked();
    void loginAsDifferentUserOnlyChangesTheUser();
    void screenReadersAreToldWhatIsShown();
};

void TestLogin::missingSettingsAreCreatedAndOnlyAdminReported()
{
    TestAppFolder folder;
    Start start;
    start.login.load();

    QCOMPARE(ShellTest::readAll(folder.file(QStringLiteral("Settings.ini"))),
             QByteArray("QuickLogin,No\r\nStartView,Client\r\n"));
    QVERIFY(start.login.isVisible());
    QVERIFY(!start.main.isVisible());
    QCOMPARE(folder.messages->shown().size(), 1);
    QCOMPARE(folder.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(folder.messages->last().icon, MessageBox::Information);
    QCOMPARE(folder.messages->last().text,
             QStringLiteral("Currently there are no user defined\r\nPress enter to define a user\r\nOnce the user has "
                            "been defined restart the application to login\r\nTo do so please login as User Name: "
                            "\"Admin\", Password: \"Vemla\""));

    // Admin / Vemla is the built-in account, level 99.
    start.logIn(QStringLiteral("Admin"), QStringLiteral("Vemla"));
    QVERIFY(start.main.isVisible());
    QCOMPARE(start.main.UserLevel, 99);
}

void TestLogin::quickLogin_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<bool>("quick");

    QTest::newRow("Yes") << QByteArray("QuickLogin,Yes\r\nStartView,Client\r\n") << true;
    QTest::newRow("yes") << QByteArray("QuickLogin,yes\r\nStartView,Client\r\n") << false;
    QTest::newRow("short file") << QByteArray("QuickLogin") << false;
}

void TestLogin::quickLogin()
{
    QFETCH(QByteArray, settings);
    QFETCH(bool, quick);
    TestAppFolder folder;
    ShellTest::writeAll(folder.file(QStringLiteral("Settings.ini")), settings);
    Start start;
    start.login.load();

    QCOMPARE(start.main.isVisible(), quick);
    QCOMPARE(start.login.isVisible(), !quick);
    QCOMPARE(ShellTest::readAll(folder.file(QStringLiteral("Settings.ini"))), settings);
    QCOMPARE(folder.messages->shown().size(), 1); // only the built-in account, in both cases
    if (quick) {
        QCOMPARE(start.main.windowTitle(), QStringLiteral("Orvanta : Quick Loging"));
        QCOMPARE(start.main.UserLevel, 66);
        QCOMPARE(start.main.UserId(), QStringLiteral("1"));
        QCOMPARE(start.main.UMiddleName(), QStringLiteral(" "));
        QVERIFY(QFileInfo(folder.file(QStringLiteral("Temp/Search"))).isDir());
    }
}

void TestLogin::loginSucceeds_data()
{
    QTest::addColumn<QVariant>("middleName");
    QTest::addColumn<QString>("caption");

    QTest::newRow("middle name") << QVariant(QStringLiteral("Q")) << QStringLiteral("Orvanta : Ann Q Smith");
    QTest::newRow("empty middle name") << QVariant(QStringLiteral("")) << QStringLiteral("Orvanta : Ann  Smith");
    QTest::newRow("null middle name") << QVariant() << QStringLiteral("Orvanta : Ann  Smith");
}

void TestLogin::loginSucceeds()
{
    QFETCH(QVariant, middleName);
    QFETCH(QString, caption);
    TestAppFolder folder;
    const QString id =
        ShellTest::addUser(QStringLiteral("ann"), ShellTest::hashed(QStringLiteral("it's me")), middleName, 66);
    Start start;
    start.login.load();
    QVERIFY(folder.messages->shown().isEmpty()); // users are defined

    start.logIn(QStringLiteral("ann"), QStringLiteral("it's me"));

    QVERIFY(start.main.isVisible());
    QVERIFY(!start.login.isVisible());
    QCOMPARE(start.main.windowTitle(), caption);
    QCOMPARE(start.main.UserId(), id);
    QCOMPARE(start.main.UserLevel, 66);
    QVERIFY(QFileInfo(folder.file(QStringLiteral("Temp/Search"))).isDir());
}

void TestLogin::loginFails_data()
{
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("password");

    QTest::newRow("password in other case") << QStringLiteral("ann") << QStringLiteral("SECRET");
    QTest::newRow("user name in other case") << QStringLiteral("Ann") << QStringLiteral("secret");
    QTest::newRow("quotes") << QStringLiteral("ann' OR '1'='1") << QStringLiteral("x' OR '1'='1");
}

void TestLogin::loginFails()
{
    QFETCH(QString, userName);
    QFETCH(QString, password);
    TestAppFolder folder;
    ShellTest::addUser(QStringLiteral("ann"), ShellTest::hashed(QStringLiteral("secret")));
    Start start;
    start.login.load();
    start.logIn(userName, password);

    QCOMPARE(folder.messages->shown().size(), 1);
    QCOMPARE(folder.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(folder.messages->last().text, QStringLiteral("Incorrect user name and/or password"));
    QCOMPARE(folder.messages->last().icon, MessageBox::NoIcon);
    QCOMPARE(start.text("txtUserName"), userName);
    QCOMPARE(start.text("txtPassword"), QString());
    QVERIFY(!start.main.isVisible());

    // Enter on the password box tries again.
    start.login.findChild<QLineEdit*>(QStringLiteral("txtUserName"))->setText(QStringLiteral("ann"));
    QTest::keyClicks(start.login.findChild<QLineEdit*>(QStringLiteral("txtPassword")), QStringLiteral("secret"));
    QTest::keyClick(start.login.findChild<QLineEdit*>(QStringLiteral("txtPassword")), Qt::Key_Return);
    QVERIFY(start.main.isVisible());
}

void TestLogin::plainStoredPasswordIsReplacedByHash()
{
    TestAppFolder folder;
    // Two rows of one name: the one whose password matches is taken.
    ShellTest::addUser(QStringLiteral("carl"), QStringLiteral("other"), QString(), 66);
    const QString id = ShellTest::addUser(QStringLiteral("carl"), QStringLiteral("plain"));
    Start start;
    start.login.load();
    start.logIn(QStringLiteral("carl"), QStringLiteral("plain"));

    QCOMPARE(start.main.UserId(), id);
    const QString stored = ShellTest::storedPassword(id);
    QVERIFY(PasswordHash::isHash(stored));
    QVERIFY(PasswordHash::verify(stored, QStringLiteral("plain")));
}

void TestLogin::nullStoredPasswordMatchesNothing_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("empty") << QString();
    QTest::newRow("typed") << QStringLiteral("x");
}

void TestLogin::nullStoredPasswordMatchesNothing()
{
    QFETCH(QString, password);
    TestAppFolder folder;
    const QString id = ShellTest::addUser(QStringLiteral("dora"), QString(), QString(), 66);
    CLsDataBaseConnection().Execute(QStringLiteral("UPDATE Security SET UserPassword = NULL WHERE SecurityId = ?"),
                                    {id.toLongLong()});
    Start start;
    start.login.load();
    start.logIn(QStringLiteral("dora"), password);

    QCOMPARE(folder.messages->last().text, QStringLiteral("Incorrect user name and/or password"));
    QVERIFY(!start.main.isVisible());
    CLsDataBaseConnection db;
    QVERIFY(db.database()
                .scalar(QStringLiteral("SELECT UserPassword FROM Security WHERE SecurityId = ?"), {id.toLongLong()})
                .isNull());
    db.DbClose();
}

void TestLogin::everyAttemptChecksOneHash_data()
{
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("hashChecks"); // the other way to one Argon2id run: carl's password hashed

    QTest::newRow("unknown name") << QStringLiteral("nobody") << QStringLiteral("secret") << false << 1;
    QTest::newRow("known name, wrong password") << QStringLiteral("ann") << QStringLiteral("wrong") << false << 1;
    QTest::newRow("known name, right password") << QStringLiteral("ann") << QStringLiteral("secret") << true << 1;
    QTest::newRow("no stored password") << QStringLiteral("dora") << QString() << false << 1;
    QTest::newRow("password stored as typed, wrong") << QStringLiteral("carl") << QStringLiteral("wrong") << false << 1;
    QTest::newRow("password stored as typed, right") << QStringLiteral("carl") << QStringLiteral("plain") << true << 0;
}

// A name that is not in the table costs the same work as one that is, so that the time of
// the answer does not tell which names exist.
void TestLogin::everyAttemptChecksOneHash()
{
    QFETCH(QString, userName);
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    QFETCH(int, hashChecks);
    TestAppFolder folder;
    ShellTest::addUser(QStringLiteral("ann"), ShellTest::hashed(QStringLiteral("secret")));
    const QString carl = ShellTest::addUser(QStringLiteral("carl"), QStringLiteral("plain"));
    const QString dora = ShellTest::addUser(QStringLiteral("dora"), QString());
    CLsDataBaseConnection().Execute(QStringLiteral("UPDATE Security SET UserPassword = NULL WHERE SecurityId = ?"),
                                    {dora.toLongLong()});

    QStringList checked;
    UserAuthenticator::setHashCheck([&checked](const QString& storedHash, const QString& typed) {
        checked << storedHash;
        return PasswordHash::verify(storedHash, typed);
    });
    const bool found = UserAuthenticator::authenticate(userName, password).has_value();
    UserAuthenticator::setHashCheck({});

    QCOMPARE(found, accepted);
    QCOMPARE(checked.size(), hashChecks);
    for (const QString& hash : checked)
        QVERIFY(PasswordHash::isHash(hash));
    CLsDataBaseConnection db;
    const QString carlsPassword =
        db.database()
            .scalar(QStringLiteral("SELECT UserPassword FROM Security WHERE SecurityId = ?"), {carl.toLongLong()})
            .toString();
    db.DbClose();
    QCOMPARE(PasswordHash::isHash(carlsPassword), hashChecks == 0);
}

void TestLogin::loginAsDifferentUserOnlyChangesTheUser()
{
    TestAppFolder folder;
    const QString id =
        ShellTest::addUser(QStringLiteral("ann"), ShellTest::hashed(QStringLiteral("pw")), QStringLiteral("Q"));
    Start start;
    start.login.load();
    start.logIn(QStringLiteral("Admin"), QStringLiteral("Vemla"));
    QAction* newUser = start.main.menuItem(QStringLiteral("mnuNewUser"));
    QVERIFY(newUser->isVisible());

    start.main.menuItem(QStringLiteral("mnuDifferentUser"))->trigger();
    auto* second = start.main.findChild<frmLogin*>();
    QVERIFY(second && second->LogDiffUser && second->isVisible());
    second->SplashDuration = 300000; // a splash would hold the test up
    Start::logIn(*second, QStringLiteral("ann"), QStringLiteral("pw"));

    QCOMPARE(start.main.windowTitle(), QStringLiteral("Orvanta : Ann Q Smith"));
    QCOMPARE(start.main.UserId(), id);
    QCOMPARE(start.main.UserLevel, 1);
    QVERIFY(newUser->isVisible()); // menus keep the first user's configuration
    QTRY_VERIFY(!start.main.findChild<frmLogin*>());

    // In quick-login mode the load repeats the quick login.
    ShellTest::writeAll(folder.file(QStringLiteral("Settings.ini")), "QuickLogin,Yes\r\nStartView,Client\r\n");
    start.main.menuItem(QStringLiteral("mnuDifferentUser"))->trigger();
    QCOMPARE(start.main.windowTitle(), QStringLiteral("Orvanta : Quick Loging"));
    QCOMPARE(start.main.UserId(), QStringLiteral("1"));
}

void TestLogin::screenReadersAreToldWhatIsShown()
{
    TestAppFolder folder;
    Start start;
    start.login.load();
    QTest::keyClicks(start.login.findChild<QLineEdit*>(QStringLiteral("txtUserName")), QStringLiteral("ann"));
    QTest::keyClicks(start.login.findChild<QLineEdit*>(QStringLiteral("txtPassword")), QStringLiteral("pw"));
    QCOMPARE(AccessibleTextCheck::mismatches(start.login).join(QLatin1Char('\n')), QString());
    QCOMPARE(AccessibleTextCheck::told(start.login.findChild<QLineEdit*>(QStringLiteral("txtPassword"))),
             QStringLiteral("Password:"));
}

QTEST_MAIN(TestLogin)
// The password check runs off the window thread: the window's events go on meanwhile, under
// the busy cursor.
void TestLogin::windowPaintsWhileThePasswordIsChecked()
{
    TestAppFolder folder;
    ShellTest::addUser(QStringLiteral("ann"), ShellTest::hashed(QStringLiteral("secret")));
    Start start;
    start.login.load();

    std::atomic<bool> eventsFlowed = false;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    QTimer tick;
    connect(&tick, &QTimer::timeout, &tick, [&] {
        if (const QCursor* shown = QApplication::overrideCursor())
            cursor = shown->shape();
        eventsFlowed = true;
    });
    tick.start(1);
    bool flowedDuringCheck = false;
    UserAuthenticator::setHashCheck([&](const QString& storedHash, const QString& typed) {
        // Waits for the window thread to handle an event; a window thread that waits for this
        // check never does, and the wait gives up.
        eventsFlowed = false;
        const QDeadlineTimer deadline(10000);
        while (!eventsFlowed && !deadline.hasExpired())
            QThread::yieldCurrentThread();
        flowedDuringCheck = eventsFlowed;
        return PasswordHash::verify(storedHash, typed);
    });
    start.logIn(QStringLiteral("ann"), QStringLiteral("secret"));
    UserAuthenticator::setHashCheck({});

    QVERIFY(flowedDuringCheck);
    QCOMPARE(cursor, Qt::WaitCursor);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(start.main.isVisible());
}

#include "tst_frmLogin.moc"
