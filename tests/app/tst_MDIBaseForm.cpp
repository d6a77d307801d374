#include "AppTestHelpers.h"
#include "TestSupport.h"
#include "app/DocumentIndexingStatus.h"
#include "app/MDIBaseForm.h"
#include "app/TempFolders.h"
#include "app/frmOptions.h"
#include "clients/ui/DisplayExtendedInformation.h"
#include "clients/ui/frmFindInfo.h"
#include "store/Database.h"
#include "store/DocumentTextIndex.h"
#include "store/Transaction.h"
#include "widgets/ProportionalLayout.h"
#include <QStackedWidget>

#include <QAccessible>
#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>

namespace {

// A control a person could see and use.
bool seen(const QWidget* widget)
{
    return widget && widget->isVisible() && !widget->size().isEmpty();
}

// What the main window's scaling touches: the bars, one status panel and their sizes.
struct BarLook
{
    qreal toolbarPoints = 0;
    qreal statusPoints = 0;
    qreal panelPoints = 0;
    int toolbarHeight = 0;
    int statusHeight = 0;

    static BarLook of(const MDIBaseForm& main)
    {
        const auto* toolbar = main.findChild<QToolBar*>(QStringLiteral("Toolbar1"));
        const auto* panel = main.statusBar()->findChild<QLabel*>(QStringLiteral("panelTime"));
        return BarLook{toolbar->font().pointSizeF(), main.statusBar()->font().pointSizeF(), panel->font().pointSizeF(),
                       toolbar->sizeHint().height(), main.statusBar()->sizeHint().height()};
    }
};

QWidget* namedWindow(const QString& title)
{
    auto* window = new QLabel(title);
    window->setWindowTitle(title);
    return window;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void menusForLevel_data();
    void menusForLevel();
    void middleName_data();
    void middleName();
    void whoAmIShowsTheUserId();
    void windowsMenuListsAndActivatesChildren();
    void optionsOpensAsChildWithSecId();
    void resizingScalesBarsButNotChildWindows();
    void maximizingAtStartLeavesBarsAsDesigned();
    void closingAChildBringsBackTheWindowItCameFrom_data();
    void closingAChildBringsBackTheWindowItCameFrom();
    void closingDeletesTempFiles();
    void commandsOpenTheirWindows_data();
    void commandsOpenTheirWindows();
    void explorerMenuBarIsShownWhileItIsActive();
    void recordWindowIsTheCurrentClientForFind();
    void documentsStoredBeforeAreIndexedAfterTheStart();
};

void TestMainWindow::menusForLevel_data()
{
    QTest::addColumn<int>("level");
    QTest::newRow("99") << 99;
    QTest::newRow("66") << 66;
    QTest::newRow("1") << 1;
}

void TestMainWindow::menusForLevel()
{
    QFETCH(int, level);
    TestAppFolder folder;
    MDIBaseForm main;
    main.UserLevel = level;
    main.show();

    const bool builtIn = level == 99;
    const QStringList shownToBuiltIn{QStringLiteral("mnuNewUser"), QStringLiteral("MnuManageUsers")};
    const QStringList hiddenFromBuiltIn{QStringLiteral("MnuOptions"), QStringLiteral("mnuDifferentUser"),
                                        QStringLiteral("MnuNewClient"), QStringLiteral("MnuExplorer")};
    for (const QString& name : shownToBuiltIn)
        QVERIFY2(main.menuItem(name)->isVisible() == builtIn, qPrintable(name));
    for (const QString& name : hiddenFromBuiltIn)
        QVERIFY2(main.menuItem(name)->isVisible() != builtIn, qPrintable(name));
    QCOMPARE(main.findChild<QToolBar*>(QStringLiteral("Toolbar1"))->isHidden(), builtIn);
    QVERIFY(!main.menuItem(QStringLiteral("mnuAddNewUser"))->isVisible());
    QVERIFY(main.menuItem(QStringLiteral("mnuAdmin"))->isVisible());
    QCOMPARE(main.menuItem(QStringLiteral("mnuDatabaseEditor"))->text(), QStringLiteral("New Tabs(Forms)"));
    QVERIFY(main.menuItem(QStringLiteral("mnuDatabaseEditor"))->isVisible());
    QCOMPARE(main.menuItem(QStringLiteral("Phone"))->toolTip(), QStringLiteral("Telephone Conference"));

    // The window loads once: a later level leaves the menus as they are.
    main.hide();
    main.UserLevel = builtIn ? 1 : 99;
    main.show();
    QCOMPARE(main.menuItem(QStringLiteral("mnuNewUser"))->isVisible(), builtIn);
}

void TestMainWindow::middleName_data()
{
    QTest::addColumn<QVariant>("given");
    QTest::addColumn<QString>("stored");

    QTest::newRow("text") << QVariant(QStringLiteral("Quincy")) << QStringLiteral("Quincy");
    QTest::newRow("null") << QVariant() << QStringLiteral(" ");
    QTest::newRow("number 1") << QVariant(1) << QStringLiteral(" ");
    QTest::newRow("text 1") << QVariant(QStringLiteral("1")) << QStringLiteral(" ");
    QTest::newRow("number 2") << QVariant(2) << QStringLiteral("2");
}

void TestMainWindow::middleName()
{
    QFETCH(QVariant, given);
    QFETCH(QString, stored);
    TestAppFolder folder;
    MDIBaseForm main;
    main.setUMiddleName(given);
    QCOMPARE(main.UMiddleName(), stored);
}

void TestMainWindow::whoAmIShowsTheUserId()
{
    TestAppFolder folder;
    MDIBaseForm main;
    main.setUserId(1);
    main.menuItem(QStringLiteral("mnuWhoAmI"))->trigger();
    QCOMPARE(folder.messages->shown().size(), 1);
    QCOMPARE(folder.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(folder.messages->last().text, QStringLiteral("1"));
}

void TestMainWindow::windowsMenuListsAndActivatesChildren()
{
    TestAppFolder folder;
    MDIBaseForm main;
    main.UserLevel = 99; // no explorer opens
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QMdiSubWindow* first = main.addChild(namedWindow(QStringLiteral("First")));
    main.addChild(namedWindow(QStringLiteral("Second")));
    QMenu* windows = main.menuItem(QStringLiteral("mnuWindows"))->menu();

    emit windows->aboutToShow();
    QList<QAction*> items = windows->actions();
    QCOMPARE(items.size(), 2);
    QVERIFY(items.at(0)->text().endsWith(QStringLiteral("First")));
    QVERIFY(items.at(1)->text().endsWith(QStringLiteral("Second")));
    QVERIFY(items.at(1)->isChecked());
    items.at(0)->trigger();
    QTRY_COMPARE(main.mdiArea()->activeSubWindow(), first);

    first->close();
    emit windows->aboutToShow();
    QCOMPARE(windows->actions().size(), 1);
}

void TestMainWindow::optionsOpensAsChildWithSecId()
{
    TestAppFolder folder;
    MDIBaseForm main;
    main.setUserId(QStringLiteral("7"));
    main.show();
    main.menuItem(QStringLiteral("MnuOptions"))->trigger();
    main.menuItem(QStringLiteral("MnuOptions"))->trigger();

    QList<QMdiSubWindow*> children;
    for (QMdiSubWindow* child : main.mdiArea()->subWindowList()) {
        if (qobject_cast<frmOptions*>(child->widget()))
            children.append(child);
    }
    QCOMPARE(children.size(), 2); // a new dialog each time
    auto* options = qobject_cast<frmOptions*>(children.first()->widget());
    QVERIFY(options && options->isVisible());
    QCOMPARE(options->SecId(), QStringLiteral("7"));
    QCOMPARE(children.first()->windowTitle(), QStringLiteral("Options"));
}

void TestMainWindow::resizingScalesBarsButNotChildWindows()
{
    TestAppFolder folder;
    MDIBaseForm main;
    main.show();
    QWidget* child = namedWindow(QStringLiteral("Child"));
    main.addChild(child);
    const qreal childPointSize = child->font().pointSizeF();
    const qreal statusPointSize = main.statusBar()->font().pointSizeF();

    // The bars are the window's controls; the child windows lay themselves out.
    QCOMPARE(ProportionalControls(&main),
             (QList<QWidget*>{main.findChild<QToolBar*>(QStringLiteral("Toolbar1")), main.statusBar()}));
    ResizeControls(2.0f, 2.0f, &main);

    QCOMPARE(main.statusBar()->font().pointSizeF(), statusPointSize * 2);
    QCOMPARE(child->font().pointSizeF(), childPointSize);
}

// The desktop maximizes the main window as it starts: the show's own resize and the maximize
// leave the bars as designed; later maximizing and restoring scale them from their designed
// size, the same each time.
void TestMainWindow::maximizingAtStartLeavesBarsAsDesigned()
{
    TestAppFolder folder;
    MDIBaseForm main;
    main.UserLevel = 1; // with the explorer, whose own resizing touches the shared flag
    const BarLook designed = BarLook::of(main);
    const QSize designedSize = main.size();

    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.showMaximized();
    QTRY_VERIFY(main.isMaximized());
    QTRY_VERIFY(main.size() != designedSize);
    const QSize maximized = main.size();
    QCOMPARE(BarLook::of(main).toolbarPoints, designed.toolbarPoints);
    QCOMPARE(BarLook::of(main).statusPoints, designed.statusPoints);
    QCOMPARE(BarLook::of(main).panelPoints, designed.panelPoints);

    const qreal factor =
        (qreal(maximized.width()) / designedSize.width() + qreal(maximized.height()) / designedSize.height()) / 2;
    BarLook firstScaled;
    for (int round = 0; round < 3; ++round) {
        main.showNormal();
        QTRY_COMPARE(main.size(), designedSize);
        const BarLook restored = BarLook::of(main);
        QCOMPARE(restored.toolbarPoints, designed.toolbarPoints);
        QCOMPARE(restored.statusPoints, designed.statusPoints);
        QCOMPARE(restored.panelPoints, designed.panelPoints);
        QCOMPARE(restored.toolbarHeight, designed.toolbarHeight);
        QCOMPARE(restored.statusHeight, designed.statusHeight);

        main.showMaximized();
        QTRY_COMPARE(main.size(), maximized);
        const BarLook scaled = BarLook::of(main);
        QVERIFY(qAbs(scaled.statusPoints - designed.statusPoints * factor) < 0.01);
        QVERIFY(qAbs(scaled.panelPoints - designed.panelPoints * factor) < 0.01);
        if (round == 0) {
            firstScaled = scaled;
            continue;
        }
        // Not compounded: every maximize looks like the one before.
        QCOMPARE(scaled.toolbarPoints, firstScaled.toolbarPoints);
        QCOMPARE(scaled.statusPoints, firstScaled.statusPoints);
        QCOMPARE(scaled.panelPoints, firstScaled.panelPoints);
        QCOMPARE(scaled.toolbarHeight, firstScaled.toolbarHeight);
        QCOMPARE(scaled.statusHeight, firstScaled.statusHeight);
    }
}

void TestMainWindow::closingAChildBringsBackTheWindowItCameFrom_data()
{
    QTest::addColumn<QString>("opened");
    QTest::newRow("event dialog") << QStringLiteral("frmMeeting");
    QTest::newRow("search") << QStringLiteral("frmFindInfo");
    QTest::newRow("client picker") << QStringLiteral("frmSelectClient");
}

// With the explorer open first, a record window opens a child window; closing that child
// brings back the record window, not the explorer.
void TestMainWindow::closingAChildBringsBackTheWindowItCameFrom()
{
    QFETCH(QString, opened);
    TestAppFolder folder;
    {
        CLsDataBaseConnection db;
        db.Execute(QStringLiteral(
            "INSERT INTO [Personal Information] (PersonalInformationId, [Last Name]) VALUES (12, 'Lee')"));
    }
    MDIBaseForm main;
    main.UserLevel = 1;
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QCOMPARE(main.mdiArea()->subWindowList().size(), 1); // the explorer
    QMdiSubWindow* explorer = main.mdiArea()->subWindowList().first();
    main.openClient(12, QStringLiteral("Lee, Ann "));
    QMdiSubWindow* record = main.mdiArea()->subWindowList().last();
    auto* recordWindow = qobject_cast<DisplayExtendedInformation*>(record->widget());
    QVERIFY(recordWindow);
    QTRY_COMPARE(main.mdiArea()->activeSubWindow(), record);
    // The explorer was used last before the record window.
    main.mdiArea()->setActiveSubWindow(explorer);
    QTRY_COMPARE(main.mdiArea()->activeSubWindow(), explorer);
    main.mdiArea()->setActiveSubWindow(record);
    QTRY_COMPARE(main.mdiArea()->activeSubWindow(), record);

    if (opened == QLatin1String("frmMeeting")) {
        auto* tabs = recordWindow->findChild<QTabBar*>(QStringLiteral("TabStrip1"));
        int meetings = -1;
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->tabText(i) == QLatin1String("Conferences/Meetings"))
                meetings = i;
        }
        QVERIFY(meetings >= 0);
        QVERIFY(seen(tabs));
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(meetings).center());
        auto* edit = recordWindow->findChild<QPushButton*>(QStringLiteral("cmdEdit"));
        QTRY_VERIFY(seen(edit));
        QTest::mouseClick(edit, Qt::LeftButton);
    } else if (opened == QLatin1String("frmFindInfo")) {
        main.menuItem(QStringLiteral("Find"))->trigger();
    } else {
        emit recordWindow->reassignRequested(1);
    }
    QMdiSubWindow* child = main.mdiArea()->subWindowList().last();
    QCOMPARE(QString::fromLatin1(child->widget()->metaObject()->className()), opened);
    QTRY_COMPARE(main.mdiArea()->activeSubWindow(), child);

    if (auto* cancel = child->widget()->findChild<QPushButton*>(QStringLiteral("cmdCancel"))) {
        QVERIFY(seen(cancel));
        QTest::mouseClick(cancel, Qt::LeftButton);
    } else {
        child->close(); // the picker has no Cancel: its title bar's close button
    }

    QTRY_VERIFY(!main.mdiArea()->subWindowList().contains(child));
    QTRY_COMPARE(main.mdiArea()->activeSubWindow(), record);
}

void TestMainWindow::closingDeletesTempFiles()
{
    TestAppFolder folder;
    TempFolders::ensure();
    const QString temp = folder.file(QStringLiteral("Temp"));
    ShellTest::writeAll(temp + QStringLiteral("/viewed.doc"), "a");
    ShellTest::writeAll(temp + QStringLiteral("/Search/scan.txt"), "b");
    MDIBaseForm main;
    main.show();
    QPointer<QMdiSubWindow> child = main.addChild(namedWindow(QStringLiteral("Child")));

    main.menuItem(QStringLiteral("mnuExit"))->trigger();

    QVERIFY(!main.isVisible());
    QVERIFY(!QFileInfo::exists(temp + QStringLiteral("/viewed.doc")));
    QVERIFY(QFileInfo::exists(temp + QStringLiteral("/Search/scan.txt")));
    QTRY_VERIFY(child.isNull());
}

void TestMainWindow::documentsStoredBeforeAreIndexedAfterTheStart()
{
    TestAppFolder folder;
    {
        // Stored as a build without the text index stored them.
        CLsDataBaseConnection connection;
        const Database& db = connection.database();
        Transaction transaction(db);
        for (int i = 0; i < 300; ++i)
            db.execute(
                QStringLiteral("INSERT INTO Attachments (PersonalInformationId, AttachmentsName, "
                               "AttachmentVersion, Attachments) VALUES (1, ?, 1, longbinary(?))"),
                {QStringLiteral("note%1.txt").arg(i), QByteArray("Protokoll der Sitzung ") + QByteArray::number(i)});
        db.execute(QStringLiteral("DELETE FROM %1").arg(DocumentTextIndex::textTable(db)));
        transaction.commit();
    }
    MDIBaseForm main;
    QString failure = QStringLiteral("not finished");
    connect(main.indexing(), &DocumentIndexingStatus::finished, this,
            [&failure](const QString& error) { failure = error; });
    main.show();
    QTRY_COMPARE_WITH_TIMEOUT(failure, QString(), 20000);
    CLsDataBaseConnection connection;
    QCOMPARE(DocumentTextIndex::unindexedCount(connection.database()), 0);
    // The panel told how far it got and went when the work was done.
    QLabel* panel = main.indexing()->panel();
    QCOMPARE(panel->text(), QStringLiteral("Indexing documents: 300 of 300"));
    QVERIFY(!panel->isVisible());
    QCOMPARE(QAccessible::queryAccessibleInterface(panel)->text(QAccessible::Name),
             QStringLiteral("Indexing documents"));
}

QTEST_MAIN(TestMainWindow)
void TestMainWindow::commandsOpenTheirWindows_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window");
    QTest::newRow("new client") << 1 << "MnuNewClient"
                                << "DisplayExtendedInformation";
    QTest::newRow("explorer") << 1 << "MnuExplorer"
                              << "FrmDataBaseExplorer";
    QTest::newRow("resources") << 1 << "mnuDoc"
                               << "frmDocumentExp";
    QTest::newRow("new tabs") << 66 << "mnuDatabaseEditor"
                              << "DatabaseGenerator";
    QTest::newRow("categories") << 66 << "mnuCategory"
                                << "FrmCategoryEventEditor";
    QTest::newRow("phone") << 1 << "Phone"
                           << "frmMeeting";
    QTest::newRow("find") << 1 << "Find"
                          << "frmFindInfo";
    QTest::newRow("new user") << 99 << "mnuNewUser"
                              << "frmNewUser";
    QTest::newRow("manage users") << 99 << "MnuManageUsers"
                                  << "FrmManageUsers";
}

void TestMainWindow::commandsOpenTheirWindows()
{
    QFETCH(int, level);
    QFETCH(QString, command);
    QFETCH(QString, window);
    TestAppFolder folder;
    MDIBaseForm main;
    main.UserLevel = level;
    main.show();
    const auto count = [&main, &window] {
        int n = 0;
        for (QMdiSubWindow* child : main.mdiArea()->subWindowList())
            n += QString::fromLatin1(child->widget()->metaObject()->className()) == window;
        return n;
    };
    const int before = count();
    main.menuItem(command)->trigger();
    QCOMPARE(count(), before + 1);
    QVERIFY(main.mdiArea()->activeSubWindow() || main.mdiArea()->subWindowList().size() > before);
}

void TestMainWindow::explorerMenuBarIsShownWhileItIsActive()
{
    TestAppFolder folder;
    MDIBaseForm main;
    main.UserLevel = 1;
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    const QList<QMdiSubWindow*> children = main.mdiArea()->subWindowList();
    QCOMPARE(children.size(), 1); // the explorer opens with the window
    auto* area = main.findChild<QStackedWidget*>(QStringLiteral("menuArea"));
    QVERIFY(area);
    main.mdiArea()->setActiveSubWindow(children.first());
    QTRY_VERIFY(area->currentWidget()->findChild<QAction*>(QStringLiteral("mnuRefreshTreeView")));

    main.menuItem(QStringLiteral("MnuOptions"))->trigger();
    QTRY_COMPARE(area->currentWidget()->objectName(), QStringLiteral("menuBar"));
    main.mdiArea()->setActiveSubWindow(children.first());
    QTRY_VERIFY(area->currentWidget()->objectName() != QStringLiteral("menuBar"));

    // The explorer's own commands still reach the main window.
    area->currentWidget()->findChild<QAction*>(QStringLiteral("MnuNewClient"))->trigger();
    QTRY_VERIFY(qobject_cast<DisplayExtendedInformation*>(main.mdiArea()->activeSubWindow()->widget()));
    children.first()->close();
    QTRY_COMPARE(area->count(), 1);
}

void TestMainWindow::recordWindowIsTheCurrentClientForFind()
{
    TestAppFolder folder;
    {
        CLsDataBaseConnection db;
        db.Execute(QStringLiteral(
            "INSERT INTO [Personal Information] (PersonalInformationId, [Last Name]) VALUES (40000, 'Lee')"));
    }
    MDIBaseForm main;
    main.UserLevel = 99;
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QCOMPARE(main.PersonalInformationId, NoClient);
    main.openClient(40000, QStringLiteral("Lee, Ann "));
    QTRY_COMPARE(main.PersonalInformationId, ClientId(40000));
    main.openFind();
    auto* find = qobject_cast<frmFindInfo*>(main.mdiArea()->subWindowList().last()->widget());
    QVERIFY(find);
    QCOMPARE(find->PersonalInformationId, ClientId(40000));
}

#include "tst_MDIBaseForm.moc"
