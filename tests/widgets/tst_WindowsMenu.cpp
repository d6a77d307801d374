#include "widgets/WindowsMenu.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>

// The one filler of the "Windows" menus, which the main window and the explorer both use.
class TestWindowsMenu : public QObject
{
    Q_OBJECT

private slots:
    void listsShownWindowsAsTitled()
    {
        QMdiArea area;
        area.resize(600, 400);
        area.show();
        QMdiSubWindow* first = area.addSubWindow(new QWidget);
        first->setWindowTitle(QStringLiteral("Smith & Sons"));
        first->show();
        QMdiSubWindow* hidden = area.addSubWindow(new QWidget);
        hidden->setWindowTitle(QStringLiteral("Hidden"));
        QMdiSubWindow* second = area.addSubWindow(new QWidget);
        second->setWindowTitle(QStringLiteral("Client Explorer"));
        second->show();
        area.setActiveSubWindow(second);

        QMenu menu;
        WindowsMenu::fill(&menu, &area);
        const QList<QAction*> items = menu.actions();
        QCOMPARE(items.size(), 2);
        // "&&" shows one ampersand; a single "&" would underline the next letter instead.
        QCOMPARE(items.at(0)->text(), QStringLiteral("&1 Smith && Sons"));
        QCOMPARE(items.at(1)->text(), QStringLiteral("&2 Client Explorer"));
        QVERIFY(!items.at(0)->isChecked());
        QVERIFY(items.at(1)->isChecked());

        items.at(0)->trigger();
        QCOMPARE(area.activeSubWindow(), first);

        // A window closed while the menu is open is simply not activated.
        delete first;
        items.at(0)->trigger();
        QCOMPARE(area.activeSubWindow() == nullptr || area.activeSubWindow() == second, true);
    }
};

QTEST_MAIN(TestWindowsMenu)
#include "tst_WindowsMenu.moc"
