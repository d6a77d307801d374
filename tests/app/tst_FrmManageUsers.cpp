// The user management window driven through its tree and form, by control name.

#include "AccessibleTextCheck.h"
#include "RefusingTrigger.h"
#include "UsersTestHelpers.h"
#include "WindowChecks.h"
#include "app/MDIBaseForm.h"
#include "users/ui/FrmManageUsers.h"
#include "widgets/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidget>

namespace {

// Ann Marie Lee, Bob Lee without a middle name, Carl Stone; then the window, shown.
struct Fixture
{
    TestAppFolder app;
    QStringList ids{
        addUser(QStringLiteral("AMLee"), QStringLiteral("Ann"), QStringLiteral("Marie"), QStringLiteral("Lee")),
        addUser(QStringLiteral("BLee"), QStringLiteral("Bob"), QVariant(), QStringLiteral("Lee")),
        addUser(QStringLiteral("CStone"), QStringLiteral("Carl"), QString(), QStringLiteral("Stone"))};
    FrmManageUsers window;

    Fixture() { window.show(); }
    QTreeWidget* tree() { return window.findChild<QTreeWidget*>(QStringLiteral("TreClassView")); }
    QPushButton* save() { return window.findChild<QPushButton*>(QStringLiteral("Command1")); }
    void doubleClick(int row)
    {
        const QPoint at = tree()->visualItemRect(tree()->topLevelItem(row)).center();
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, at);
    }
};

} // namespace

class tst_FrmManageUsers : public QObject
{
    Q_OBJECT

private slots:
    void opensAtItsDesignedSizeInTheMainWindow();
    void treeAndDoubleClick();
    void screenReadersAreToldWhatIsShown();
    void passwordInvalidThenSaveKeepingTheHash();
    void failedSaveReportsTheDatabaseMessage();
};

void tst_FrmManageUsers::opensAtItsDesignedSizeInTheMainWindow()
{
    TestAppFolder app;
    addUser(QStringLiteral("AMLee"), QStringLiteral("Ann"), QStringLiteral("Marie"), QStringLiteral("Lee"));
    MDIBaseForm main;
    main.UserLevel = 99; // the built-in account: no explorer opens beside it
    main.resize(1400, 900);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.openManageUsers();

    auto* window = main.findChild<FrmManageUsers*>();
    QVERIFY(window);
    auto* child = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    QVERIFY(child);
    QTRY_VERIFY(child->isVisible());
    QCOMPARE(window->size(), Twips::size(11055, 4095));
    QVERIFY(child->contentsRect().contains(window->geometry()));

    // Everything a person needs is on the window as it opens, not only after maximizing it, and
    // nothing lies over anything else.
    QList<QWidget*> controls{window->findChild<QTreeWidget*>(QStringLiteral("TreClassView")),
                             window->findChild<QGroupBox*>(QStringLiteral("Frame1")),
                             window->findChild<QPushButton*>(QStringLiteral("Command1"))};
    for (const char* name : {"txtFirstName", "txtMiddleName", "txtLastName", "txtEMailAddress", "txtUserName",
                             "txtPassword", "txtPasswordRetypes"})
        controls << box(*window, name);
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label7", "Label5", "lblPasswordRedtyped"})
        controls << window->findChild<QLabel*>(QString::fromLatin1(name));
    for (QWidget* control : controls) {
        QVERIFY(control);
        const QRect onWindow(control->mapTo(window, QPoint(0, 0)), control->size());
        QVERIFY2(control->isVisible() && !control->size().isEmpty(), qPrintable(control->objectName()));
        QVERIFY2(window->rect().contains(onWindow), qPrintable(control->objectName()));
    }
    QCOMPARE(WindowChecks::layoutProblems(window).join(QLatin1Char('\n')), QString());
    QCOMPARE(window->findChild<QTreeWidget*>(QStringLiteral("TreClassView"))->topLevelItemCount(), 1);
}

void tst_FrmManageUsers::treeAndDoubleClick()
{
    Fixture f;
    QCOMPARE(f.tree()->topLevelItemCount(), 3); // the built-in Administrator is not listed
    const QStringList texts{QStringLiteral("Lee, Ann Marie"), QStringLiteral("Lee, Bob "),
                            QStringLiteral("Stone, Carl ")};
    const QStringList keys{QStringLiteral("Lee1"), QStringLiteral("Lee2"), QStringLiteral("Stone3")};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(f.tree()->topLevelItem(i)->text(0), texts.at(i));
        QCOMPARE(f.tree()->topLevelItem(i)->data(0, FrmManageUsers::KeyRole).toString(), keys.at(i));
        QCOMPARE(f.tree()->topLevelItem(i)->data(0, FrmManageUsers::TagRole).toString(), f.ids.at(i));
    }
    QVERIFY(!f.save()->isEnabled());
    f.doubleClick(0);
    QTRY_COMPARE(box(f.window, "txtMiddleName")->text(), QStringLiteral("Marie"));
    f.doubleClick(1);
    QTRY_COMPARE(box(f.window, "txtUserName")->text(), QStringLiteral("BLee"));
    QVERIFY(box(f.window, "txtMiddleName")->text().isEmpty());
    QVERIFY(f.save()->isEnabled());
}

void tst_FrmManageUsers::screenReadersAreToldWhatIsShown()
{
    Fixture f;
    QCOMPARE(AccessibleTextCheck::mismatches(f.window).join(QLatin1Char('\n')), QString());
    f.doubleClick(0);
    QTRY_COMPARE(box(f.window, "txtMiddleName")->text(), QStringLiteral("Marie"));
    QCOMPARE(AccessibleTextCheck::mismatches(f.window).join(QLatin1Char('\n')), QString());
}

void tst_FrmManageUsers::passwordInvalidThenSaveKeepingTheHash()
{
    Fixture f;
    const QVariantMap before = storedUser(QStringLiteral("SecurityId"), f.ids.at(2));
    f.doubleClick(2);
    QTRY_COMPARE(f.window.editedUserId(), f.ids.at(2));
    type(f.window, "txtUserName", QStringLiteral("c.o'stone"));
    type(f.window, "txtLastName", QStringLiteral("O'Stone"));
    type(f.window, "txtEMailAddress", QStringLiteral("carl@ex.org"));
    type(f.window, "txtPassword", QStringLiteral("N3w")); // one box typed: nothing is written
    click(f.window, "Command1");
    QCOMPARE(f.app.messages->last().text, QStringLiteral("Password Invalid"));
    QCOMPARE(storedUser(QStringLiteral("SecurityId"), f.ids.at(2)), before);
    QVERIFY(f.save()->isEnabled());

    box(f.window, "txtPassword")->clear();
    click(f.window, "Command1");

    QCOMPARE(f.app.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(f.app.messages->last().text, QStringLiteral("Save Complete"));
    const QVariantMap after = storedUser(QStringLiteral("SecurityId"), f.ids.at(2));
    QCOMPARE(after.value(QStringLiteral("UserName")).toString(), QStringLiteral("c.o'stone"));
    QCOMPARE(after.value(QStringLiteral("UserLastName")).toString(), QStringLiteral("O'Stone"));
    QCOMPARE(after.value(QStringLiteral("UserPassword")), before.value(QStringLiteral("UserPassword")));

    QCOMPARE(box(f.window, "txtEMailAddress")->text(), QStringLiteral("carl@ex.org"));
    for (const char* name : {"txtFirstName", "txtMiddleName", "txtLastName", "txtUserName", "txtPassword"})
        QVERIFY2(box(f.window, name)->text().isEmpty(), name);
    QVERIFY(!f.save()->isEnabled());
}

void tst_FrmManageUsers::failedSaveReportsTheDatabaseMessage()
{
    Fixture f;
    RefusingTrigger::add(QStringLiteral("refuse"), QStringLiteral("UPDATE"), QStringLiteral("Security"),
                         QStringLiteral("The user table is locked"));
    f.doubleClick(2);
    QTRY_COMPARE(f.window.editedUserId(), f.ids.at(2));
    type(f.window, "txtPassword", QStringLiteral("N3w"));
    type(f.window, "txtPasswordRetypes", QStringLiteral("N3w"));
    click(f.window, "Command1");
    QCOMPARE(f.app.messages->shown().size(), 1);
    QVERIFY(f.app.messages->last().text.contains(QStringLiteral("The user table is locked")));
    QCOMPARE(f.app.messages->last().icon, MessageBox::Critical);
    QCOMPARE(box(f.window, "txtPassword")->text(), QStringLiteral("N3w"));
    QVERIFY(f.save()->isEnabled());
}

QTEST_MAIN(tst_FrmManageUsers)
#include "tst_FrmManageUsers.moc"
