#include "TestSupport.h"

#include "clients/ui/FrmDataBaseExplorer.h"
#include "store/Database.h"
#include "store/StartupSettings.h"
#include "store/StoreError.h"
#include "store/Transaction.h"
#include "widgets/ProportionalLayout.h"
#include "widgets/Twips.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

namespace {

void addClient(const QString& first, const QString& middle, const QString& last, const QString& company, int active = 1,
               qint64 id = 0)
{
    CLsDataBaseConnection connection;
    connection.Execute(QStringLiteral("INSERT INTO \"Personal Information\" (PersonalInformationId, \"First Name\", "
                                      "\"Middle Name\", \"Last Name\", Company, Active) VALUES (?, ?, ?, ?, ?, ?)"),
                       {id > 0 ? QVariant(id) : QVariant(), first, middle, last, company, active});
}

void addGroup(const QString& name)
{
    CLsDataBaseConnection connection;
    connection.Execute(QStringLiteral("INSERT INTO NodeInformation (NodeName, NodeActive) VALUES (?, 1)"), {name});
}

QTreeWidget* tree(FrmDataBaseExplorer& explorer)
{
    return explorer.findChild<QTreeWidget*>(QStringLiteral("TreClassView"));
}

QTreeView* list(FrmDataBaseExplorer& explorer)
{
    return explorer.findChild<QTreeView*>(QStringLiteral("LstStudenInformation"));
}

QString caption(FrmDataBaseExplorer& explorer, const char* label)
{
    return explorer.findChild<QLabel*>(QString::fromLatin1(label))->text();
}

// What a screen reader reads as the label's name.
QString spoken(FrmDataBaseExplorer& explorer, const char* label)
{
    QAccessibleInterface* face =
        QAccessible::queryAccessibleInterface(explorer.findChild<QLabel*>(QString::fromLatin1(label)));
    return face ? face->text(QAccessible::Name) : QString();
}

QTreeWidgetItem* node(FrmDataBaseExplorer& explorer, const QString& group)
{
    QTreeWidget* view = tree(explorer);
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        if (view->topLevelItem(i)->data(0, FrmDataBaseExplorer::KeyRole).toString() ==
            QStringLiteral("ClientManager") + group)
            return view->topLevelItem(i);
    }
    return nullptr;
}

void click(FrmDataBaseExplorer& explorer, QTreeWidgetItem* item)
{
    QVERIFY(item);
    QTreeWidget* view = tree(explorer);
    view->scrollToItem(item);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualItemRect(item).center());
}

void clickGroup(FrmDataBaseExplorer& explorer, const QString& group)
{
    click(explorer, node(explorer, group));
}

void clickHeader(FrmDataBaseExplorer& explorer, int section)
{
    QHeaderView* header = list(explorer)->header();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// A real double click: press and release, then the double-click press and its release.
void doubleClick(QTreeView* view, QPoint at)
{
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

QStringList column(FrmDataBaseExplorer& explorer, int section)
{
    QStringList values;
    QAbstractItemModel* model = list(explorer)->model();
    for (int row = 0; row < model->rowCount(); ++row)
        values.append(model->index(row, section).data().toString());
    return values;
}

void trigger(FrmDataBaseExplorer& explorer, const char* name)
{
    auto* action = explorer.findChild<QAction*>(QString::fromLatin1(name));
    QVERIFY2(action, name);
    QVERIFY2(action->isEnabled(), name);
    action->trigger();
}

QString sortedCaption(const char* header, const char* order)
{
    return QStringLiteral("Client Information : Currently the list is sorted by the field %1 in %2 order")
        .arg(QLatin1String(header), QLatin1String(order));
}

// Clients of a long group, added at once: last names prefix + "0000", "0001", ... in the order
// added, first names running the other way, identifiers from `firstId`.
void addNumberedClients(const QString& prefix, int count, qint64 firstId)
{
    CLsDataBaseConnection connection;
    Transaction transaction(connection.database());
    for (int i = 0; i < count; ++i)
        connection.Execute(
            QStringLiteral("INSERT INTO \"Personal Information\" (PersonalInformationId, \"First Name\", "
                           "\"Last Name\", Company) VALUES (?, ?, ?, ?)"),
            {firstId + i, QStringLiteral("F%1").arg(count - 1 - i, 4, 10, QLatin1Char('0')),
             prefix + QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("Co")});
    transaction.commit();
}

QStringList numbered(const QString& prefix, int count, bool descending = false)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(prefix + QStringLiteral("%1").arg(descending ? count - 1 - i : i, 4, 10, QLatin1Char('0')));
    return names;
}

// Rows of the long group and the rows read per slice: many slices.
constexpr int LongGroup = 600;
constexpr int SliceRows = 50;

// Notes how many rows the list held when `watched` received an event of `type`.
class RowsWhenSeen : public QObject
{
public:
    RowsWhenSeen(QObject* watched, QEvent::Type type, const QAbstractItemModel* model) : m_type(type), m_model(model)
    {
        watched->installEventFilter(this);
    }

    int rows = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == m_type && rows < 0)
            rows = m_model->rowCount();
        return false;
    }

private:
    QEvent::Type m_type;
    const QAbstractItemModel* m_model;
};

} // namespace

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
    QCOMPARE(explorer.sortClause().text(), QStringLiteral(" ORDER BY \"First Name\" DESC"));
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

void TestExplorer::longListShowsFirstRowsAtOnce_data()
{
    QTest::addColumn<QList<int>>("headerClicks");
    QTest::addColumn<bool>("descending");
    QTest::newRow("unsorted") << QList<int>{} << false;
    QTest::newRow("sorted by the grouping column, descending") << QList<int>{3, 3} << true;
}

void TestExplorer::longListShowsFirstRowsAtOnce()
{
    QFETCH(QList<int>, headerClicks);
    QFETCH(bool, descending);
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 1);
    FrmDataBaseExplorer explorer;
    explorer.setListSliceRows(SliceRows);
    explorer.show();
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

void TestExplorer::inputIsHandledWhileListFills_data()
{
    QTest::addColumn<bool>("key");
    QTest::newRow("a key pressed in the list") << true;
    QTest::newRow("a timer") << false;
}

void TestExplorer::inputIsHandledWhileListFills()
{
    QFETCH(bool, key);
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 1);
    FrmDataBaseExplorer explorer;
    explorer.setListSliceRows(SliceRows);
    explorer.show();
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

void TestExplorer::anotherGroupOvertakesFill_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("lastNames");
    QTest::newRow("a short group") << "T" << numbered(QStringLiteral("T"), 30);
    QTest::newRow("another long group") << "R" << numbered(QStringLiteral("R"), LongGroup);
    QTest::newRow("an empty group") << "Q" << QStringList();
    QTest::newRow("the same group") << "S" << numbered(QStringLiteral("S"), LongGroup);
}

void TestExplorer::anotherGroupOvertakesFill()
{
    QFETCH(QString, group);
    QFETCH(QStringList, lastNames);
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 1);
    addNumberedClients(QStringLiteral("T"), 30, 1001);
    addNumberedClients(QStringLiteral("R"), LongGroup, 2001);
    FrmDataBaseExplorer explorer;
    explorer.setListSliceRows(SliceRows);
    explorer.show();
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

void TestExplorer::sortOvertakesFill_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("text");
    QTest::newRow("by another column") << QList<int>{1} << sortedCaption("First Name", "ascending");
    QTest::newRow("by the grouping column, twice") << QList<int>{3, 3} << sortedCaption("Last Name", "descending");
}

void TestExplorer::sortOvertakesFill()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QString, text);
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 1);
    FrmDataBaseExplorer explorer;
    explorer.setListSliceRows(SliceRows);
    explorer.show();
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

void TestExplorer::doubleClickWhileListFills()
{
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 500);
    FrmDataBaseExplorer explorer;
    explorer.setListSliceRows(SliceRows);
    explorer.show();
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

void TestExplorer::writerIsNotBlockedWhileListFills()
{
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 1);
    FrmDataBaseExplorer explorer;
    explorer.setListSliceRows(SliceRows);
    explorer.show();
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

void TestExplorer::databaseErrorWhileListFills()
{
    TestAppFolder folder;
    addNumberedClients(QStringLiteral("S"), LongGroup, 1);
    FrmDataBaseExplorer explorer;
    explorer.setListSliceRows(SliceRows);
    explorer.show();
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

void TestExplorer::closeWhileListFills_data()
{
    QTest::addColumn<bool>("closeCommand");
    QTest::newRow("the Close command") << true;
    QTest::newRow("the window deleted") << false;
}

void TestExplorer::closeWhileListFills()
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

QTEST_MAIN(TestExplorer)
#include "tst_explorer.moc"
