#include "ExplorerTestHelpers.h"

using namespace ExplorerTest;

namespace {

// The explorer on screen, listing a group SliceRows rows at a turn.
class SlicedExplorer : public FrmDataBaseExplorer
{
public:
    SlicedExplorer()
    {
        setListSliceRows(SliceRows);
        show();
    }
};

} // namespace

// The client list of a large group fills a slice per event-loop turn: the window takes input
// meanwhile, and whatever the user does during a fill wins over it.
class TestExplorerFill : public QObject
{
    Q_OBJECT

private slots:
    void longListShowsFirstRowsAtOnce_data();
    void longListShowsFirstRowsAtOnce();
    void inputIsHandledWhileListFills_data();
    void inputIsHandledWhileListFills();
    void anotherGroupOvertakesFill_data();
    void anotherGroupOvertakesFill();
    void sortOvertakesFill_data();
    void sortOvertakesFill();
    void doubleClickWhileListFills();
    void writerIsNotBlockedWhileListFills();
    void databaseErrorWhileListFills();
    void closeWhileListFills_data();
    void closeWhileListFills();
};

void TestExplorerFill::longListShowsFirstRowsAtOnce_data()
{
    QTest::addColumn<QList<int>>("headerClicks");
    QTest::addColumn<bool>("descending");
    QTest::newRow("unsorted") << QList<int>{} << false;
    QTest::newRow("sorted by the grouping column, descending") << QList<int>{3, 3} << true;
}

void TestExplorerFill::longListShowsFirstRowsAtOnce()
{
    QFETCH(QList<int>, headerClicks);
    QFETCH(bool, descending);
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 1);
    SlicedExplorer explorer;
    QAbstractItemModel* model = list(explorer)->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    clickGroup(explorer, QStringLiteral("S"));
    for (int section : headerClicks)
        clickHeader(explorer, section);

    // The first rows are there when the click returns; the rest follow.
    QCOMPARE(model->rowCount(), SliceRows);
    QVERIFY(explorer.isListFilling());
    QCOMPARE(model->index(0, 3).data().toString(), numbered(QStringLiteral("S"), LongGroup, descending).first());
    QTRY_VERIFY(!explorer.isListFilling());
    QCOMPARE(column(explorer, 3), numbered(QStringLiteral("S"), LongGroup, descending));
}

void TestExplorerFill::inputIsHandledWhileListFills_data()
{
    QTest::addColumn<bool>("key");
    QTest::newRow("a key pressed in the list") << true;
    QTest::newRow("a timer") << false;
}

void TestExplorerFill::inputIsHandledWhileListFills()
{
    QFETCH(bool, key);
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 1);
    SlicedExplorer explorer;
    QTreeView* view = list(explorer);
    clickGroup(explorer, QStringLiteral("S"));

    int rowsWhenHandled = -1;
    RowsWhenSeen seen(view, QEvent::KeyPress, view->model());
    if (key) {
        view->setFocus();
        view->setCurrentIndex(view->model()->index(0, 0));
        QCoreApplication::postEvent(view, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
        QTRY_COMPARE(view->currentIndex().row(), 1);
        rowsWhenHandled = seen.rows;
    } else {
        bool fired = false;
        QTimer::singleShot(0, &explorer, [&] {
            rowsWhenHandled = view->model()->rowCount();
            fired = true;
        });
        QTRY_VERIFY(fired);
    }
    QVERIFY2(rowsWhenHandled > 0 && rowsWhenHandled < LongGroup, qPrintable(QString::number(rowsWhenHandled)));
    QTRY_COMPARE(view->model()->rowCount(), LongGroup);
}

void TestExplorerFill::anotherGroupOvertakesFill_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("lastNames");
    QTest::newRow("a short group") << "T" << numbered(QStringLiteral("T"), 30);
    QTest::newRow("another long group") << "R" << numbered(QStringLiteral("R"), LongGroup);
    QTest::newRow("an empty group") << "Q" << QStringList();
    QTest::newRow("the same group") << "S" << numbered(QStringLiteral("S"), LongGroup);
}

void TestExplorerFill::anotherGroupOvertakesFill()
{
    QFETCH(QString, group);
    QFETCH(QStringList, lastNames);
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 1);
    addNumberedClients(QStringLiteral("T"), 30, 1001);
    addNumberedClients(QStringLiteral("R"), LongGroup, 2001);
    SlicedExplorer explorer;
    QAbstractItemModel* model = list(explorer)->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    clickGroup(explorer, QStringLiteral("S"));
    QVERIFY(model->rowCount() < LongGroup);

    clickGroup(explorer, group);
    QTRY_VERIFY(!explorer.isListFilling());
    QCOMPARE(column(explorer, 3), lastNames);
    QCoreApplication::processEvents(); // nothing of the first group comes after
    QCOMPARE(column(explorer, 3), lastNames);
}

void TestExplorerFill::sortOvertakesFill_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("text");
    QTest::newRow("by another column") << QList<int>{1} << sortedCaption("First Name", "ascending");
    QTest::newRow("by the grouping column, twice") << QList<int>{3, 3} << sortedCaption("Last Name", "descending");
}

void TestExplorerFill::sortOvertakesFill()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QString, text);
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 1);
    SlicedExplorer explorer;
    QAbstractItemModel* model = list(explorer)->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    clickGroup(explorer, QStringLiteral("S"));
    QVERIFY(model->rowCount() < LongGroup);

    for (int section : clicks)
        clickHeader(explorer, section);
    QCOMPARE(caption(explorer, "LblStudentInformation"), text);
    QTRY_VERIFY(!explorer.isListFilling());
    // Both orders list the first names ascending and the last names descending.
    QCOMPARE(column(explorer, 3), numbered(QStringLiteral("S"), LongGroup, true));
    QCOMPARE(column(explorer, 1), numbered(QStringLiteral("F"), LongGroup));
    QCoreApplication::processEvents();
    QCOMPARE(model->rowCount(), LongGroup);
    QCOMPARE(caption(explorer, "LblStudentInformation"), text);
}

void TestExplorerFill::doubleClickWhileListFills()
{
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 500);
    SlicedExplorer explorer;
    QTreeView* view = list(explorer);
    int rowsWhenOpened = -1;
    QSignalSpy opened(&explorer, &FrmDataBaseExplorer::clientOpenRequested);
    connect(&explorer, &FrmDataBaseExplorer::clientOpenRequested, this,
            [&] { rowsWhenOpened = view->model()->rowCount(); });
    clickGroup(explorer, QStringLiteral("S"));

    const QRect row = view->visualRect(view->model()->index(2, 0));
    QVERIFY(view->viewport()->rect().contains(row));
    doubleClick(view, row.center());
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).value<qint64>(), qint64(502));
    QCOMPARE(opened.at(0).at(1).toString(), QStringLiteral("S0002, F0597 "));
    QVERIFY2(rowsWhenOpened < LongGroup, qPrintable(QString::number(rowsWhenOpened)));
    QTRY_COMPARE(view->model()->rowCount(), LongGroup);
}

void TestExplorerFill::writerIsNotBlockedWhileListFills()
{
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 1);
    SlicedExplorer explorer;
    clickGroup(explorer, QStringLiteral("S"));
    QVERIFY(explorer.isListFilling());

    // Another copy of the program writes between two slices without waiting for the file.
    Database::setBusyTimeout(0);
    int changed = 0;
    try {
        changed = CLsDataBaseConnection().Execute(QStringLiteral("UPDATE \"Personal Information\" SET City = 'Rome'"));
    } catch (const StoreError& error) {
        Database::setBusyTimeout(-1);
        QFAIL(qPrintable(error.message()));
    }
    Database::setBusyTimeout(-1);
    QCOMPARE(changed, LongGroup);
    QTRY_VERIFY(!explorer.isListFilling());
    QCOMPARE(list(explorer)->model()->rowCount(), LongGroup);
}

void TestExplorerFill::databaseErrorWhileListFills()
{
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 1);
    SlicedExplorer explorer;
    QAbstractItemModel* model = list(explorer)->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    clickGroup(explorer, QStringLiteral("S"));
    QVERIFY(explorer.isListFilling());
    CLsDataBaseConnection().Execute(QStringLiteral("ALTER TABLE \"Personal Information\" RENAME TO Gone"));

    QTRY_VERIFY(!explorer.isListFilling());
    QCOMPARE(folder.messages->shown().size(), 1);
    QCOMPARE(folder.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(folder.messages->last().icon, MessageBox::Critical);
    QCOMPARE(model->rowCount(), 0);
    QCOMPARE(model->columnCount(), 9);
}

void TestExplorerFill::closeWhileListFills_data()
{
    QTest::addColumn<bool>("closeCommand");
    QTest::newRow("the Close command") << true;
    QTest::newRow("the window deleted") << false;
}

void TestExplorerFill::closeWhileListFills()
{
    QFETCH(bool, closeCommand);
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 1);
    QMdiArea area;
    area.resize(1200, 900);
    area.show();
    auto* explorer = new FrmDataBaseExplorer;
    explorer->setListSliceRows(SliceRows);
    QMdiSubWindow* child = area.addSubWindow(explorer);
    child->setAttribute(Qt::WA_DeleteOnClose);
    child->show();
    clickGroup(*explorer, QStringLiteral("S"));
    QVERIFY(explorer->isListFilling());

    QPointer<QMdiSubWindow> guard(child);
    if (closeCommand)
        trigger(*explorer, "mnuClose");
    else
        delete child;
    QTRY_VERIFY(!guard);
    // The slices that were due find no window and no list.
    bool later = false;
    QTimer::singleShot(0, &area, [&later] { later = true; });
    QTRY_VERIFY(later);
    QVERIFY(area.subWindowList().isEmpty());
}

QTEST_MAIN(TestExplorerFill)
#include "tst_explorerfill.moc"
