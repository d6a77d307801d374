#include "ExplorerTestHelpers.h"

using namespace ExplorerTest;

class TestExplorer : public QObject
{
    Q_OBJECT

private slots:
    void groupCounts_data();
    void groupCounts();
    void inactiveClientsAreNotListed();
    void companyGrouping_data();
    void companyGrouping();
    void sortToggles_data();
    void sortToggles();
    void sortSurvivesGroupAndGroupingChange();
    void doubleClickOpensClient_data();
    void doubleClickOpensClient();
    void groupNamesAreLiteral_data();
    void groupNamesAreLiteral();
    void userMode();
    void databaseErrorIsReported();
    void menuCommands_data();
    void menuCommands();
    void resizeAndSplitter();
    void closeInsideMdiArea();
    void largeGroupIsListedWhole();
};

void TestExplorer::groupCounts_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("grey");
    QTest::newRow("prefix holds the longer group") << "M"
                                                   << "M     (3)" << true << false;
    QTest::newRow("longer group") << "Mc"
                                  << "Mc     (2)" << true << false;
    QTest::newRow("single client") << "B"
                                   << "B     (1)" << true << false;
    QTest::newRow("empty group") << "Z"
                                 << "Z" << false << true;
}

void TestExplorer::groupCounts()
{
    QFETCH(QString, group);
    QFETCH(QString, text);
    QFETCH(bool, bold);
    QFETCH(bool, grey);
    TestAppFolder folder;
    addGroup(QStringLiteral("Mc"));
    addClient(QStringLiteral("Ann"), {}, QStringLiteral("McDonald"), QStringLiteral("Acme"));
    addClient(QStringLiteral("Bob"), {}, QStringLiteral("mcadam"), QStringLiteral("Acme"));
    addClient(QStringLiteral("Cy"), {}, QStringLiteral("Miller"), QStringLiteral("Zenith"));
    addClient(QStringLiteral("Di"), {}, QStringLiteral("McIntyre"), QStringLiteral("Acme"), 0);
    addClient(QStringLiteral("Ed"), {}, QStringLiteral("Brown"), QStringLiteral("Zenith"));

    FrmDataBaseExplorer explorer;
    explorer.show();
    QCOMPARE(tree(explorer)->topLevelItemCount(), 27);
    QTreeWidgetItem* item = node(explorer, group);
    QVERIFY(item);
    QCOMPARE(item->text(0), text);
    QCOMPARE(item->data(0, FrmDataBaseExplorer::TagRole).toString(), group);
    QCOMPARE(item->font(0).bold(), bold);
    QCOMPARE(item->foreground(0).color() == explorer.palette().color(QPalette::Disabled, QPalette::Text), grey);
    QVERIFY(!tree(explorer)->currentItem());
    QCOMPARE(list(explorer)->model()->rowCount(), 0);
}

void TestExplorer::inactiveClientsAreNotListed()
{
    TestAppFolder folder;
    addClient(QStringLiteral("Ann"), {}, QStringLiteral("Kent"), {});
    addClient(QStringLiteral("Bea"), {}, QStringLiteral("Kirk"), {}, 0);
    addClient(QStringLiteral("Cal"), {}, QStringLiteral("Knox"), {}, 2);
    FrmDataBaseExplorer explorer;
    explorer.show();
    QAbstractItemModelTester tester(list(explorer)->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(node(explorer, QStringLiteral("K"))->text(0), QStringLiteral("K     (1)"));
    clickGroup(explorer, QStringLiteral("K"));
    QCOMPARE(list(explorer)->model()->columnCount(), 9);
    QCOMPARE(column(explorer, 3), QStringList{QStringLiteral("Kent")});

    clickGroup(explorer, QStringLiteral("Q"));
    QCOMPARE(list(explorer)->model()->rowCount(), 0);
    QCOMPARE(list(explorer)->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Company Name"));
    QCOMPARE(list(explorer)->model()->headerData(8, Qt::Horizontal).toString(), QStringLiteral("Cell Phone"));
}

void TestExplorer::companyGrouping_data()
{
    QTest::addColumn<bool>("fromSettings");
    QTest::newRow("Settings.ini StartView Company") << true;
    QTest::newRow("View menu") << false;
}

void TestExplorer::companyGrouping()
{
    QFETCH(bool, fromSettings);
    TestAppFolder folder;
    addClient(QStringLiteral("Ann"), {}, QStringLiteral("Zorn"), QStringLiteral("Acme"));
    addClient(QStringLiteral("Bob"), {}, QStringLiteral("Young"), QStringLiteral("Apex"));
    if (fromSettings) {
        StartupSettings settings;
        settings.StartView = QStringLiteral("Company");
        settings.write();
    }
    FrmDataBaseExplorer explorer;
    explorer.show();
    if (!fromSettings) {
        QCOMPARE(node(explorer, QStringLiteral("A"))->text(0), QStringLiteral("A"));
        trigger(explorer, "mnuClientCompanyName");
    }
    QVERIFY(explorer.groupedByCompany());
    QCOMPARE(node(explorer, QStringLiteral("A"))->text(0), QStringLiteral("A     (2)"));
    QCOMPARE(node(explorer, QStringLiteral("Z"))->text(0), QStringLiteral("Z"));
    clickGroup(explorer, QStringLiteral("A"));
    QCOMPARE(list(explorer)->model()->rowCount(), 2);

    trigger(explorer, "mnuClientLastName");
    QCOMPARE(node(explorer, QStringLiteral("Z"))->text(0), QStringLiteral("Z     (1)"));
    QCOMPARE(list(explorer)->model()->rowCount(), 2); // the list waits for the next node click
}

void TestExplorer::sortToggles_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QStringList>("firstNames");
    QTest::addColumn<QString>("text");
    QTest::newRow("once") << QList<int>{3} << QStringList{"Al", "Bo", "Cy"} << sortedCaption("Last Name", "ascending");
    QTest::newRow("twice") << QList<int>{3, 3} << QStringList{"Cy", "Bo", "Al"}
                           << sortedCaption("Last Name", "descending");
    QTest::newRow("three times") << QList<int>{3, 3, 3} << QStringList{"Al", "Bo", "Cy"}
                                 << sortedCaption("Last Name", "ascending");
    QTest::newRow("another column") << QList<int>{3, 3, 0} << QStringList{"Cy", "Al", "Bo"}
                                    << sortedCaption("Company Name", "ascending");
}

void TestExplorer::sortToggles()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QStringList, firstNames);
    QFETCH(QString, text);
    TestAppFolder folder;
    addClient(QStringLiteral("Bo"), {}, QStringLiteral("Smith"), QStringLiteral("Zeta"));
    addClient(QStringLiteral("Cy"), {}, QStringLiteral("Swan"), QStringLiteral("Alpha"));
    addClient(QStringLiteral("Al"), {}, QStringLiteral("Sand"), QStringLiteral("Beta"));
    FrmDataBaseExplorer explorer;
    explorer.show();
    clickGroup(explorer, QStringLiteral("S"));
    QCOMPARE(caption(explorer, "LblStudentInformation"), QStringLiteral("Client Information"));
    for (int section : clicks)
        clickHeader(explorer, section);
    QCOMPARE(column(explorer, 1), firstNames);
    QCOMPARE(caption(explorer, "LblStudentInformation"), text);
    QCOMPARE(spoken(explorer, "LblStudentInformation"), text);
}

void TestExplorer::sortSurvivesGroupAndGroupingChange()
{
    TestAppFolder folder;
    addClient(QStringLiteral("Al"), {}, QStringLiteral("Baker"), QStringLiteral("Tide"));
    addClient(QStringLiteral("Bo"), {}, QStringLiteral("Brown"), QStringLiteral("Tao"));
    addClient(QStringLiteral("Cy"), {}, QStringLiteral("Tate"), QStringLiteral("Tusk"));
    addClient(QStringLiteral("Di"), {}, QStringLiteral("Todd"), QStringLiteral("Top"));
    FrmDataBaseExplorer explorer;
    explorer.show();
    QAbstractItemModelTester tester(list(explorer)->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    clickGroup(explorer, QStringLiteral("B"));
    clickHeader(explorer, 1);
    clickHeader(explorer, 1);
    QCOMPARE(column(explorer, 1), (QStringList{"Bo", "Al"}));

    clickGroup(explorer, QStringLiteral("T"));
    QCOMPARE(column(explorer, 1), (QStringList{"Di", "Cy"}));
    QCOMPARE(caption(explorer, "LblStudentInformation"), sortedCaption("First Name", "descending"));

    trigger(explorer, "mnuClientCompanyName");
    clickGroup(explorer, QStringLiteral("T"));
    QCOMPARE(column(explorer, 1), (QStringList{"Di", "Cy", "Bo", "Al"}));
    QCOMPARE(explorer.sortClause().text(), QStringLiteral(" ORDER BY \"First Name\" DESC NULLS LAST"));
}

void TestExplorer::doubleClickOpensClient_data()
{
    QTest::addColumn<QString>("middle");
    QTest::addColumn<qint64>("id");
    QTest::addColumn<QString>("name");
    QTest::newRow("with middle name") << "Q" << qint64(12) << "Hart, Jane Q";
    QTest::newRow("without middle name") << "" << qint64(13) << "Hart, Jane ";
    QTest::newRow("identifier above 16 bits") << "Q" << qint64(40000) << "Hart, Jane Q";
    QTest::newRow("identifier above 32 bits") << "Q" << qint64(5000000000) << "Hart, Jane Q";
}

void TestExplorer::doubleClickOpensClient()
{
    QFETCH(QString, middle);
    QFETCH(qint64, id);
    QFETCH(QString, name);
    TestAppFolder folder;
    addClient(QStringLiteral("Jane"), middle, QStringLiteral("Hart"), QStringLiteral("Acme"), 1, id);
    FrmDataBaseExplorer explorer;
    explorer.show();
    QSignalSpy opened(&explorer, &FrmDataBaseExplorer::clientOpenRequested);
    QTreeView* view = list(explorer);

    doubleClick(view, QPoint(5, 5)); // nothing listed yet
    QCOMPARE(opened.count(), 0);

    clickGroup(explorer, QStringLiteral("H"));
    QCOMPARE(view->model()->rowCount(), 1);
    const QRect row = view->visualRect(view->model()->index(0, 0));
    doubleClick(view, row.center());
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).value<qint64>(), id);
    QCOMPARE(opened.at(0).at(1).toString(), name);
}

void TestExplorer::groupNamesAreLiteral_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("percent") << "50%"
                             << "50%     (1)" << QStringList{"50%off"};
    QTest::newRow("underscore") << "a_b"
                                << "a_b     (1)" << QStringList{"a_bc"};
    QTest::newRow("quote") << "O'B"
                           << "O'B     (1)" << QStringList{"O'Brien"};
    QTest::newRow("backslash") << "x\\y"
                               << "x\\y     (1)" << QStringList{"x\\yz"};
}

void TestExplorer::groupNamesAreLiteral()
{
    QFETCH(QString, group);
    QFETCH(QString, text);
    QFETCH(QStringList, listed);
    TestAppFolder folder;
    addGroup(group);
    for (const char* last : {"50%off", "500", "a_bc", "axbc", "O'Brien", "OBrien", "x\\yz", "xyz"})
        addClient(QStringLiteral("First"), {}, QString::fromLatin1(last), {});
    FrmDataBaseExplorer explorer;
    explorer.show();
    QCOMPARE(node(explorer, group)->text(0), text);
    clickGroup(explorer, group);
    QCOMPARE(column(explorer, 3), listed);
    QVERIFY(folder.messages->shown().isEmpty());
}

void TestExplorer::userMode()
{
    TestAppFolder folder;
    {
        CLsDataBaseConnection connection;
        connection.Execute(QStringLiteral("INSERT INTO Security (UserName, UserFirstName, UserMiddleName, "
                                          "UserLastName, UserLevel) VALUES ('abel', 'Amy', NULL, 'Abel', 1)"));
    }
    FrmDataBaseExplorer explorer;
    explorer.UserLevel = 99;
    explorer.show();
    QCOMPARE(caption(explorer, "LblStudentInformation"), QStringLiteral("Description"));
    QCOMPARE(caption(explorer, "LblClassAndSection"), QStringLiteral("User"));
    QCOMPARE(spoken(explorer, "LblStudentInformation"), QStringLiteral("Description"));
    QCOMPARE(spoken(explorer, "LblClassAndSection"), QStringLiteral("User"));
    QTreeWidgetItem* group = node(explorer, QStringLiteral("A"));
    QCOMPARE(group->text(0), QStringLiteral("A"));
    QVERIFY(!group->font(0).bold());
    QCOMPARE(group->childCount(), 2);
    QCOMPARE(group->child(0)->text(0), QStringLiteral("Administrator, System "));
    QCOMPARE(group->child(0)->data(0, FrmDataBaseExplorer::KeyRole).toString(), QStringLiteral("Administrator0"));
    QCOMPARE(group->child(1)->data(0, FrmDataBaseExplorer::KeyRole).toString(), QStringLiteral("Abel1"));
    QCOMPARE(node(explorer, QStringLiteral("B"))->childCount(), 0);

    QSignalSpy userOpened(&explorer, &FrmDataBaseExplorer::userOpenRequested);
    clickGroup(explorer, QStringLiteral("A"));
    QCOMPARE(list(explorer)->model()->columnCount(), 5);
    QCOMPARE(list(explorer)->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("User Name"));
    QCOMPARE(column(explorer, 2), (QStringList{"Administrator", "Abel"}));
    QCOMPARE(column(explorer, 4), (QStringList{"99", "1"}));

    tree(explorer)->expandItem(group);
    click(explorer, group->child(1));
    QCOMPARE(userOpened.count(), 1);
    QCOMPARE(userOpened.at(0).at(0).value<qint64>(),
             group->child(1)->data(0, FrmDataBaseExplorer::TagRole).value<qint64>());
    QCOMPARE(list(explorer)->model()->rowCount(), 2);

    QSignalSpy clientOpened(&explorer, &FrmDataBaseExplorer::clientOpenRequested);
    QTreeView* view = list(explorer);
    doubleClick(view, view->visualRect(view->model()->index(0, 0)).center());
    QCOMPARE(clientOpened.count(), 0);
}

void TestExplorer::databaseErrorIsReported()
{
    TestAppFolder folder;
    addClient(QStringLiteral("Ann"), {}, QStringLiteral("Kent"), {});
    FrmDataBaseExplorer explorer;
    explorer.show();
    CLsDataBaseConnection().Execute(QStringLiteral("ALTER TABLE \"Personal Information\" RENAME TO Gone"));

    clickGroup(explorer, QStringLiteral("K"));
    QCOMPARE(folder.messages->shown().size(), 1);
    QCOMPARE(folder.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(folder.messages->last().icon, MessageBox::Critical);
    QCOMPARE(list(explorer)->model()->rowCount(), 0);

    trigger(explorer, "mnuRefreshTreeView");
    QCOMPARE(folder.messages->shown().size(), 2);
    QCOMPARE(tree(explorer)->topLevelItemCount(), 0);

    CLsDataBaseConnection().Execute(QStringLiteral("ALTER TABLE Gone RENAME TO \"Personal Information\""));
    QLabel* refresh = explorer.findChild<QLabel*>(QStringLiteral("LblClassAndSection"));
    QTest::mouseClick(refresh, Qt::LeftButton);
    QCOMPARE(node(explorer, QStringLiteral("K"))->text(0), QStringLiteral("K     (1)"));
}

void TestExplorer::menuCommands_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("signal");
    QTest::newRow("new client") << "MnuNewClient"
                                << "New Client" << QByteArray(SIGNAL(newClientRequested()));
    QTest::newRow("explorer") << "MnuExplorer"
                              << "Explorer" << QByteArray(SIGNAL(explorerRequested(int, QString)));
    QTest::newRow("resources") << "mnuDoc"
                               << "Resource Manager" << QByteArray(SIGNAL(resourceManagerRequested()));
    QTest::newRow("new tabs") << "mnuDatabaseEditor"
                              << "New Tabs(Forms)" << QByteArray(SIGNAL(designerRequested(bool)));
    QTest::newRow("edit tabs") << "MnuEditForms"
                               << "Edit Tabs(Forms)" << QByteArray(SIGNAL(designerRequested(bool)));
    QTest::newRow("options") << "mnuOption"
                             << "Options" << QByteArray(SIGNAL(optionsRequested(QString)));
    QTest::newRow("categories") << "mnuCatagory"
                                << "View Edit Events and Categories" << QByteArray(SIGNAL(categoriesRequested()));
    QTest::newRow("exit") << "mnuExit"
                          << "Exit" << QByteArray(SIGNAL(exitRequested()));
}

void TestExplorer::menuCommands()
{
    QFETCH(QString, action);
    QFETCH(QString, caption);
    QFETCH(QByteArray, signal);
    TestAppFolder folder;
    FrmDataBaseExplorer explorer;
    explorer.UserLevel = 66;
    explorer.SecId = QStringLiteral("7");
    explorer.show();
    QSignalSpy spy(&explorer, signal.constData());
    auto* item = explorer.findChild<QAction*>(action);
    QVERIFY(item);
    QCOMPARE(item->text(), caption);
    trigger(explorer, action.toLatin1().constData());
    QCOMPARE(spy.count(), 1);
    if (action == QLatin1String("MnuExplorer"))
        QCOMPARE(spy.at(0), (QVariantList{66, QStringLiteral("7")}));
    if (action == QLatin1String("mnuOption"))
        QCOMPARE(spy.at(0), QVariantList{QStringLiteral("7")});
    if (action == QLatin1String("MnuEditForms"))
        QCOMPARE(spy.at(0), QVariantList{true});
}

void TestExplorer::resizeAndSplitter()
{
    TestAppFolder folder;
    FrmDataBaseExplorer explorer;
    explorer.show();
    QCOMPARE(explorer.windowTitle(), QStringLiteral("Client Explorer"));
    QCOMPARE(explorer.size(), Twips::size(13200, 10000));
    ResizeArmed = false;
    explorer.resize(Twips::size(12000, 9000));
    QVERIFY(ResizeArmed);
    QTreeWidget* view = tree(explorer);
    QCOMPARE(view->height(), Twips::toPixelsY(9000 - 1320));

    auto* bar = explorer.findChild<QWidget*>(QStringLiteral("Picture1"));
    QVERIFY(bar);
    QCOMPARE(bar->cursor().shape(), Qt::SizeHorCursor);
    const int before = view->width();
    const QPointF at(Twips::toPixelsX(300), 10);
    QMouseEvent drag(QEvent::MouseMove, at, bar->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &drag);
    QVERIFY(view->width() > before);
    QVERIFY(list(explorer)->x() > bar->x());

    const QPointF far(Twips::toPixelsX(20000), 10);
    QMouseEvent tooFar(QEvent::MouseMove, far, bar->mapToGlobal(far), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    const int width = view->width();
    QCoreApplication::sendEvent(bar, &tooFar);
    QCOMPARE(view->width(), width);
}

void TestExplorer::closeInsideMdiArea()
{
    TestAppFolder folder;
    QMdiArea area;
    area.resize(1200, 900);
    area.show();
    QMdiSubWindow* child = area.addSubWindow(new FrmDataBaseExplorer);
    child->setAttribute(Qt::WA_DeleteOnClose);
    child->show();
    auto* explorer = qobject_cast<FrmDataBaseExplorer*>(child->widget());
    QCOMPARE(explorer->size(), Twips::size(13200, 10000));
    QCOMPARE(tree(*explorer)->topLevelItemCount(), 26);

    auto* windows = explorer->findChild<QMenu*>(QStringLiteral("mnuWindows"));
    QVERIFY(windows);
    emit windows->aboutToShow();
    QCOMPARE(windows->actions().size(), 1);
    QCOMPARE(windows->actions().at(0)->text(), QStringLiteral("&1 Client Explorer"));

    QPointer<QMdiSubWindow> guard(child);
    trigger(*explorer, "mnuClose");
    QTRY_VERIFY(!guard);
    QVERIFY(area.subWindowList().isEmpty());
}

void TestExplorer::largeGroupIsListedWhole()
{
    // More rows than the first screen: the list shows the first rows at once and the rest
    // after them, in the statement's order.
    TestAppFolder folder;
    {
        CLsDataBaseConnection connection;
        Transaction transaction(connection.database());
        for (int i = 0; i < 700; ++i)
            connection.Execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"First Name\", \"Last Name\", "
                                              "Company) VALUES (?, ?, ?)"),
                               {QStringLiteral("F%1").arg(i),
                                QStringLiteral("Kay%1").arg(699 - i, 3, 10, QLatin1Char('0')),
                                QStringLiteral("Co%1").arg(i)});
        transaction.commit();
    }
    FrmDataBaseExplorer explorer;
    explorer.show();
    QAbstractItemModelTester tester(list(explorer)->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    clickGroup(explorer, QStringLiteral("K"));
    clickHeader(explorer, 3); // "Last Name", ascending
    QAbstractItemModel* model = list(explorer)->model();
    QTRY_COMPARE(model->rowCount(), 700);
    QCOMPARE(model->index(0, 3).data().toString(), QStringLiteral("Kay000"));
    QCOMPARE(model->index(699, 3).data().toString(), QStringLiteral("Kay699"));
    QCOMPARE(model->index(699, 0).data().toString(), QStringLiteral("Co0"));
}

QTEST_MAIN(TestExplorer)
#include "tst_explorer.moc"
