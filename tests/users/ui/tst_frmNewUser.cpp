// The add-user dialog and its user view, driven by control name.

#include "AccessibleTextCheck.h"
#include "UsersTestHelpers.h"
#include "users/UserAuthenticator.h"
#include "users/ui/frmNewUser.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>

class tst_frmNewUser : public QObject
{
    Q_OBJECT

private slots:
    void newUserCanLogIn_data();
    void newUserCanLogIn();
    void clearSaveCancel();
    void userViewUpdatesTheRow();
    void screenReadersAreToldWhatIsShown_data();
    void screenReadersAreToldWhatIsShown();
};

void tst_frmNewUser::newUserCanLogIn_data()
{
    QTest::addColumn<bool>("administrator");
    QTest::addColumn<int>("level");
    QTest::newRow("administrator") << true << 66;
    QTest::newRow("ordinary user") << false << 1;
}

void tst_frmNewUser::newUserCanLogIn()
{
    QFETCH(bool, administrator);
    QFETCH(int, level);
    TestAppFolder app;
    frmNewUser window;
    window.show();
    type(window, "txtFirstName", QStringLiteral("Sean"));
    type(window, "txtLastName", QStringLiteral("O'Brien"));
    click(window, "CmdUserName");
    click(window, "CmdPassword");
    const QString password = box(window, "txtPassword")->text();
    QCOMPARE(box(window, "txtPasswordRetypes")->text(), password);
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblGeneratedPassword"))->text(), password);
    if (administrator)
        click(window, "Check1");
    click(window, "cmdOK");
    QTRY_VERIFY(!window.isVisible());

    const auto user = UserAuthenticator::authenticate(QStringLiteral("SO'Brien"), password);
    QVERIFY(user);
    QCOMPARE(user->level, level);
    const QVariantMap row = storedUser(QStringLiteral("UserName"), QStringLiteral("SO'Brien"));
    QCOMPARE(row.value(QStringLiteral("UserLastName")).toString(), QStringLiteral("O'Brien"));
    QVERIFY(row.value(QStringLiteral("UserPassword")).toString() != password);
}

void tst_frmNewUser::clearSaveCancel()
{
    TestAppFolder app;
    QMdiArea area;
    auto* window = new frmNewUser;
    window->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QMdiSubWindow> child = area.addSubWindow(window);
    area.show();
    type(*window, "txtLastName", QStringLiteral("Lee"));
    type(*window, "txtUserName", QStringLiteral("Lee"));
    click(*window, "CmdPassword");
    click(*window, "Check1");
    click(*window, "cmdClear");
    for (const char* name : {"txtLastName", "txtUserName", "txtPassword", "txtPasswordRetypes"})
        QVERIFY2(box(*window, name)->text().isEmpty(), name);
    QVERIFY(window->findChild<QLabel*>(QStringLiteral("lblGeneratedPassword"))->text().isEmpty());
    QVERIFY(window->findChild<QCheckBox*>(QStringLiteral("Check1"))->isChecked());

    type(*window, "txtPasswordRetypes", QStringLiteral("1"));
    click(*window, "cmdOK"); // an empty password is reported before the empty user name
    QCOMPARE(app.messages->shown().size(), 1);
    QCOMPARE(app.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(app.messages->last().text, QStringLiteral("Invalid Password"));
    QVERIFY(!child.isNull());

    click(*window, "cmdCancel");
    QTRY_VERIFY(child.isNull());
    QCOMPARE(UserAuthenticator::userCount(), 1);
}

void tst_frmNewUser::userViewUpdatesTheRow()
{
    TestAppFolder app;
    const QString id =
        addUser(QStringLiteral("AMLee"), QStringLiteral("Ann"), QStringLiteral("Marie"), QStringLiteral("Lee"));
    const QString hash = storedUser(QStringLiteral("SecurityId"), id).value(QStringLiteral("UserPassword")).toString();
    frmNewUser window;
    window.setUserId(id);
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("User Information for Ann Marie Lee"));
    QCOMPARE(window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->text(), QStringLiteral("Update"));
    for (const char* name : {"cmdClear", "CmdUserName", "CmdPassword", "lblPasswordRedtyped", "txtPasswordRetypes"})
        QVERIFY2(!window.findChild<QWidget*>(QString::fromLatin1(name))->isVisible(), name);
    QCOMPARE(box(window, "txtUserName")->text(), QStringLiteral("AMLee"));
    QVERIFY(box(window, "txtPassword")->text().isEmpty() && !box(window, "txtPassword")->isEnabled());

    type(window, "txtLastName", QStringLiteral("Lee-O'Hara"));
    type(window, "txtEMailAddress", QStringLiteral("ann@lee.example"));
    click(window, "cmdOK");
    QTRY_VERIFY(!window.isVisible());
    QCOMPARE(UserAuthenticator::userCount(), 2);
    const QVariantMap row = storedUser(QStringLiteral("SecurityId"), id);
    QCOMPARE(row.value(QStringLiteral("UserLastName")).toString(), QStringLiteral("Lee-O'Hara"));
    QCOMPARE(row.value(QStringLiteral("UserEMailAddress")).toString(), QStringLiteral("ann@lee.example"));
    QCOMPARE(row.value(QStringLiteral("UserPassword")).toString(), hash);
}

void tst_frmNewUser::screenReadersAreToldWhatIsShown_data()
{
    QTest::addColumn<bool>("userView");
    QTest::newRow("add user") << false;
    QTest::newRow("user view") << true;
}

void tst_frmNewUser::screenReadersAreToldWhatIsShown()
{
    QFETCH(bool, userView);
    TestAppFolder app;
    const QString id =
        addUser(QStringLiteral("AMLee"), QStringLiteral("Ann"), QStringLiteral("Marie"), QStringLiteral("Lee"));
    frmNewUser window;
    if (userView)
        window.setUserId(id);
    window.show();
    QCOMPARE(AccessibleTextCheck::mismatches(window).join(QLatin1Char('\n')), QString());
    if (userView)
        return;

    auto* generated = window.findChild<QLabel*>(QStringLiteral("lblGeneratedPassword"));
    type(window, "txtFirstName", QStringLiteral("Ann"));
    type(window, "txtLastName", QStringLiteral("Lee"));
    click(window, "CmdPassword");
    QVERIFY(!generated->text().isEmpty());
    QCOMPARE(AccessibleTextCheck::told(generated), generated->text());
    QCOMPARE(AccessibleTextCheck::mismatches(window).join(QLatin1Char('\n')), QString());

    click(window, "cmdClear");
    QCOMPARE(AccessibleTextCheck::told(generated), QString());
    QCOMPARE(AccessibleTextCheck::mismatches(window).join(QLatin1Char('\n')), QString());
}

QTEST_MAIN(tst_frmNewUser)
#include "tst_frmNewUser.moc"
