#include "widgets/MenuBuilder.h"

#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

class TestMenuBuilder : public QObject
{
    Q_OBJECT

private slots:
    void openingItemsAreNamedAsTheWindowSays_data();
    void openingItemsAreNamedAsTheWindowSays();
    void itemsSeparatorsAndHiddenEntries();
    void chosenItemCallsItsReceiver();
};

void TestMenuBuilder::openingItemsAreNamedAsTheWindowSays_data()
{
    QTest::addColumn<MenuBuilder::OpenerName>("naming");
    QTest::addColumn<QString>("barOpener");
    QTest::addColumn<QString>("subOpener");
    QTest::newRow("unnamed") << MenuBuilder::OpenerName::None << QString() << QString();
    QTest::newRow("same as the menu") << MenuBuilder::OpenerName::SameAsMenu << "MnuFile"
                                      << "mnuAdmin";
    QTest::newRow("menu name and Action") << MenuBuilder::OpenerName::MenuAction << "MnuFileAction"
                                          << "mnuAdminAction";
}

void TestMenuBuilder::openingItemsAreNamedAsTheWindowSays()
{
    QFETCH(MenuBuilder::OpenerName, naming);
    QFETCH(QString, barOpener);
    QFETCH(QString, subOpener);
    QMenuBar bar;
    const MenuBuilder menus(naming);
    QMenu* file = menus.menu(&bar, QStringLiteral("MnuFile"), QStringLiteral("&File"));
    QMenu* admin = menus.menu(file, QStringLiteral("mnuAdmin"), QStringLiteral("Administrative"));

    QCOMPARE(file->objectName(), QStringLiteral("MnuFile"));
    QCOMPARE(file->title(), QStringLiteral("&File"));
    QCOMPARE(file->parent(), &bar);
    QCOMPARE(bar.actions(), QList<QAction*>{file->menuAction()});
    QCOMPARE(file->menuAction()->objectName(), barOpener);

    QCOMPARE(admin->objectName(), QStringLiteral("mnuAdmin"));
    QCOMPARE(admin->parent(), file);
    QCOMPARE(file->actions(), QList<QAction*>{admin->menuAction()});
    QCOMPARE(admin->menuAction()->objectName(), subOpener);
    QCOMPARE(admin->menuAction()->text(), QStringLiteral("Administrative"));
}

void TestMenuBuilder::itemsSeparatorsAndHiddenEntries()
{
    QMenuBar bar;
    const MenuBuilder menus(MenuBuilder::OpenerName::MenuAction);
    QMenu* shown = menus.menu(&bar, QStringLiteral("MnuFile"), QStringLiteral("Resources"));
    QMenu* popup = menus.menu(&bar, QStringLiteral("MnuResourceOptions"), QStringLiteral("Resource Options"), false);
    QAction* view = MenuBuilder::item(shown, QStringLiteral("mnuView"), QStringLiteral("View Resource"));
    QAction* line = MenuBuilder::separator(shown, QStringLiteral("mnusep1"));
    QAction* save = MenuBuilder::item(shown, QStringLiteral("mnuSave"), QStringLiteral("Save Structure"), false);

    QVERIFY(shown->menuAction()->isVisible());
    QVERIFY(!popup->menuAction()->isVisible());
    QCOMPARE(shown->actions(), (QList<QAction*>{view, line, save}));
    QCOMPARE(view->text(), QStringLiteral("View Resource"));
    QVERIFY(view->isVisible());
    QVERIFY(!view->isSeparator());
    QVERIFY(line->isSeparator());
    QCOMPARE(line->objectName(), QStringLiteral("mnusep1"));
    QVERIFY(!save->isVisible());
    // Each entry is found by its name from the menu bar, as the windows and tests find them.
    QCOMPARE(bar.findChild<QAction*>(QStringLiteral("mnuSave")), save);
    QCOMPARE(bar.findChild<QAction*>(QStringLiteral("mnusep1")), line);
}

void TestMenuBuilder::chosenItemCallsItsReceiver()
{
    QMenuBar bar;
    QMenu* file =
        MenuBuilder(MenuBuilder::OpenerName::None).menu(&bar, QStringLiteral("MnuFile"), QStringLiteral("File"));
    int calls = 0;
    QObject receiver;
    QAction* item =
        MenuBuilder::item(file, QStringLiteral("mnuExit"), QStringLiteral("Exit"), &receiver, [&calls] { ++calls; });
    QCOMPARE(item->objectName(), QStringLiteral("mnuExit"));
    item->trigger();
    QCOMPARE(calls, 1);
    // The connection ends with the receiver.
    auto* gone = new QObject;
    QAction* other =
        MenuBuilder::item(file, QStringLiteral("mnuClose"), QStringLiteral("Close"), gone, [&calls] { ++calls; });
    delete gone;
    other->trigger();
    QCOMPARE(calls, 1);
}

QTEST_MAIN(TestMenuBuilder)
#include "tst_MenuBuilder.moc"
