#include "AppTestHelpers.h"
#include "TestSupport.h"
#include "WindowChecks.h"
#include "app/MDIBaseForm.h"
#include "app/frmOptions.h"
#include "users/UserAuthenticator.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>

namespace {

// An options dialog for the user "ann", whose password is "old".
struct Dialog
{
    explicit Dialog(const QByteArray& settings = "QuickLogin,No\r\nStartView,Client\r\n")
    {
        ShellTest::writeAll(folder.file(QStringLiteral("Settings.ini")), settings);
        id = ShellTest::addUser(QStringLiteral("ann"), ShellTest::hashed(QStringLiteral("old")));
        options.setSecId(id);
        options.show();
    }

    template <typename T = QWidget>
    T* control(const char* name)
    {
        return options.findChild<T*>(QString::fromLatin1(name));
    }
    void click(const char* name) { WindowChecks::clickVisible(control<QPushButton>(name)); }
    void type(const QString& oldPassword, const QString& newPassword, const QString& retyped)
    {
        WindowChecks::typeVisible(control<QLineEdit>("txtOldPassword"), oldPassword);
        WindowChecks::typeVisible(control<QLineEdit>("txtNewPassword"), newPassword);
        WindowChecks::typeVisible(control<QLineEdit>("txtNewPasswordRetyped"), retyped);
    }
    QString boxes()
    {
        return control<QLineEdit>("txtOldPassword")->text() + control<QLineEdit>("txtNewPassword")->text() +
               control<QLineEdit>("txtNewPasswordRetyped")->text();
    }

    TestAppFolder folder;
    QString id;
    frmOptions options;
};

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void loadReadsSettings_data();
    void loadReadsSettings();
    void saveStartup_data();
    void saveStartup();
    void rejectedPasswordChanges_data();
    void rejectedPasswordChanges();
    void passwordChange_data();
    void passwordChange();
    void escapeClosesTheChildWindow();
};

void TestOptions::loadReadsSettings_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<bool>("quick");
    QTest::addColumn<bool>("byClient");

    QTest::newRow("defaults") << QByteArray("QuickLogin,No\r\nStartView,Client\r\n") << false << true;
    QTest::newRow("quick, company") << QByteArray("QuickLogin,Yes\r\nStartView,Company\r\n") << true << false;
    QTest::newRow("lower-case client") << QByteArray("QuickLogin,No\r\nStartView,client\r\n") << false << false;
}

void TestOptions::loadReadsSettings()
{
    QFETCH(QByteArray, settings);
    QFETCH(bool, quick);
    QFETCH(bool, byClient);
    Dialog d(settings);
    QCOMPARE(d.control<QCheckBox>("Check1")->isChecked(), quick);
    QCOMPARE(d.control<QRadioButton>("Option1_1")->isChecked(), byClient);
    QCOMPARE(d.control<QRadioButton>("Option1_0")->isChecked(), !byClient);
    // The quick-login identity has no password to change.
    for (const char* name :
         {"cmdOK", "cmdApply", "cmdCancel", "txtOldPassword", "txtNewPassword", "txtNewPasswordRetyped"})
        QVERIFY2(d.control(name)->isEnabled() != quick, name);
}

void TestOptions::saveStartup_data()
{
    QTest::addColumn<bool>("quick");
    QTest::addColumn<QByteArray>("option");
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("apply: quick, company") << true << QByteArray("Option1_0") << QByteArray("Command2")
                                           << QByteArray("QuickLogin,Yes\r\nStartView,Company\r\n");
    QTest::newRow("save/exit: no, client") << false << QByteArray("Option1_1") << QByteArray("Command1")
                                           << QByteArray("QuickLogin,No\r\nStartView,Client\r\n");
}

void TestOptions::saveStartup()
{
    QFETCH(bool, quick);
    QFETCH(QByteArray, option);
    QFETCH(QByteArray, button);
    QFETCH(QByteArray, written);
    Dialog d("QuickLogin,Yes\r\nStartView,client\r\n");
    d.control<QCheckBox>("Check1")->setChecked(quick);
    WindowChecks::clickVisible(d.control<QRadioButton>(option.constData()), QPoint(8, 8));

    d.click(button.constData());

    QCOMPARE(ShellTest::readAll(d.folder.file(QStringLiteral("Settings.ini"))), written);
    QCOMPARE(d.options.isVisible(), button == "Command2"); // "Save/Exit Startup" closes
}

void TestOptions::rejectedPasswordChanges_data()
{
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("retyped");
    QTest::addColumn<QString>("message");

    QTest::newRow("no old password") << QString() << QString() << QStringLiteral("x")
                                     << QStringLiteral("You must supply your old password");
    QTest::newRow("new equals old") << QStringLiteral("old") << QStringLiteral("old") << QStringLiteral("other")
                                    << QStringLiteral("The new password cannot match the old password");
    QTest::newRow("retyped differs") << QStringLiteral("old") << QStringLiteral("new") << QStringLiteral("New")
                                     << QStringLiteral("Passwords do not match");
    QTest::newRow("wrong old password") << QStringLiteral("Old") << QStringLiteral("new") << QStringLiteral("new")
                                        << QStringLiteral("The old password is incorrect");
}

void TestOptions::rejectedPasswordChanges()
{
    QFETCH(QString, oldPassword);
    QFETCH(QString, newPassword);
    QFETCH(QString, retyped);
    QFETCH(QString, message);
    Dialog d;
    const QString storedBefore = ShellTest::storedPassword(d.id);
    d.type(oldPassword, newPassword, retyped);

    d.click("cmdApply");

    QCOMPARE(d.folder.messages->shown().size(), 1);
    QCOMPARE(d.folder.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(d.folder.messages->last().text, message);
    QCOMPARE(d.boxes(), QString());
    QCOMPARE(ShellTest::storedPassword(d.id), storedBefore);
}

void TestOptions::passwordChange_data()
{
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QByteArray>("button");

    QTest::newRow("apply") << QStringLiteral("n3w'pass") << QByteArray("cmdApply");
    QTest::newRow("save/exit, empty new password") << QString() << QByteArray("cmdOK");
}

void TestOptions::passwordChange()
{
    QFETCH(QString, newPassword);
    QFETCH(QByteArray, button);
    Dialog d;
    d.type(QStringLiteral("old"), newPassword, newPassword);

    d.click(button.constData());

    QCOMPARE(d.folder.messages->last().text, QStringLiteral("Your password has been changed"));
    QCOMPARE(d.boxes(), QStringLiteral("old") + newPassword + newPassword); // kept
    QCOMPARE(d.options.isVisible(), button == "cmdApply");
    QVERIFY(PasswordHash::isHash(ShellTest::storedPassword(d.id)));
    QVERIFY(UserAuthenticator::authenticate(QStringLiteral("ann"), newPassword).has_value());
    QVERIFY(!UserAuthenticator::authenticate(QStringLiteral("ann"), QStringLiteral("old")).has_value());
}

void TestOptions::escapeClosesTheChildWindow()
{
    TestAppFolder folder;
    MDIBaseForm main;
    main.UserLevel = 99; // no explorer opens beside it
    main.show();
    main.openOptions();
    QPointer<QMdiSubWindow> child = main.mdiArea()->subWindowList().value(0);
    QVERIFY(child && qobject_cast<frmOptions*>(child->widget()));

    QTest::keyClick(child->widget()->findChild<QLineEdit*>(QStringLiteral("txtOldPassword")), Qt::Key_Escape);

    QTRY_VERIFY(child.isNull());
}

QTEST_MAIN(TestOptions)
#include "tst_frmOptions.moc"
