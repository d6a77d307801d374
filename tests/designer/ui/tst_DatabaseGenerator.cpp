#include "DatabaseRows.h"
#include "RefusingTrigger.h"
#include "TestSupport.h"
#include "WindowChecks.h"
#include "clients/ClientRecord.h"
#include "designer/ui/DatabaseGenerator.h"
#include "designer/ui/DesignerCanvas.h"
#include "store/Database.h"
#include "store/SchemaCatalog.h"
#include "store/Statement.h"
#include "widgets/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <memory>

namespace {

using namespace DatabaseRows;

const QString Title = QStringLiteral("Orvanta");

// A designer window, opened as the menus open it.
std::unique_ptr<DatabaseGenerator> openDesigner(bool editMode)
{
    auto window = std::make_unique<DatabaseGenerator>();
    window->EMode = editMode;
    window->setWindowTitle(editMode ? QStringLiteral("Edit Tabs(Forms)") : QStringLiteral("Create Tabs(Forms)"));
    window->show();
    return window;
}

template <typename T>
T* control(QWidget* window, const QString& name)
{
    T* found = window->findChild<T*>(name);
    if (!found)
        qWarning("no control %s", qPrintable(name));
    return found;
}

// Whether a person could see `widget` to click or type into it.
bool seen(const QWidget* widget)
{
    return widget && widget->isVisible() && !widget->size().isEmpty();
}

void click(QWidget* window, const QString& button)
{
    auto* target = control<QPushButton>(window, button);
    if (!seen(target))
        QFAIL(qPrintable(button + QStringLiteral(" cannot be seen")));
    QTest::mouseClick(target, Qt::LeftButton);
}

void type(QWidget* window, const QString& box, const QString& text)
{
    auto* target = control<QLineEdit>(window, box);
    if (!seen(target))
        QFAIL(qPrintable(box + QStringLiteral(" cannot be seen")));
    target->clear();
    QTest::keyClicks(target, text);
}

void addTab(QWidget* window, const QString& name, const QString& description = {})
{
    type(window, QStringLiteral("txtTableName"), name);
    type(window, QStringLiteral("txtTableDescription"), description);
    click(window, QStringLiteral("cmdTableAdd"));
}

void addField(QWidget* window, const QString& name, const QString& description = {})
{
    type(window, QStringLiteral("txtFieldName"), name);
    type(window, QStringLiteral("txtFieldDescription"), description);
    click(window, QStringLiteral("cmdFieldAdd"));
}

bool trigger(QWidget* window, const QString& name)
{
    auto* action = window->findChild<QAction*>(name);
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    return true;
}

// A mouse move over a canvas control with the left button held, the pointer at `offset`.
void drag(QWidget* control, QPoint offset, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent move(QEvent::MouseMove, offset, control->mapToGlobal(offset), Qt::NoButton, Qt::LeftButton, modifiers);
    QApplication::sendEvent(control, &move);
}

QRect twips(const QRect& rect)
{
    return Twips::rect(rect.left(), rect.top(), rect.width(), rect.height());
}

// A tab with fields made by a create-mode window and "Generate Database".
void createTab(const QString& name, const QStringList& fields)
{
    auto window = openDesigner(false);
    addTab(window.get(), name);
    for (const QString& field : fields)
        addField(window.get(), field);
    click(window.get(), QStringLiteral("cmdGenerateDatebase"));
}

// The fields of a tab as the client record window joins them, in display order.
QList<QVariantList> recordWindowFields(const QString& tab)
{
    QList<QVariantList> result;
    for (const QVariantList& row :
         rows(QStringLiteral("SELECT *, TabInfo.TabNam, TabInfo.TabDescription FROM FieldInfo INNER JOIN TabInfo ON "
                             " FieldInfo.TabId = TabInfo.TabId order by FieldDisplayOrder"))) {
        // FieldInfo's ten columns, then TabInfo's five, then the two named again.
        if (row.at(15).toString() == tab)
            result << QVariantList{row.at(1), row.at(3), row.at(4), row.at(5), row.at(6), row.at(7), row.at(8)};
    }
    return result;
}

} // namespace

class TestDatabaseGenerator : public QObject
{
    Q_OBJECT

private slots:
    void generateDatabaseWritesDefinitionsAndTable();
    void refusedNames_data();
    void refusedNames();
    void editModeAddsColumnAndKeepsRows();
    void failureBeforeDefinitionsLeavesNoTable_data();
    void failureBeforeDefinitionsLeavesNoTable();
    void editModeWithoutTabsCloses();
    void fieldsStackOnCanvas();
    void draggedLabelMovesNextLabelRowOnly();
    void lockStopsDragging();
    void alignmentBySelectionOrder();
    void widthTyping_data();
    void widthTyping();
    void gridRepaintsWithChosenStep();
    void pageSwitchKeepsMovedPositions();
    void tabForOneClient();
    void controlsCanBeSeenWhole_data();
    void controlsCanBeSeenWhole();
};

void TestDatabaseGenerator::generateDatabaseWritesDefinitionsAndTable()
{
    TestAppFolder app;
    auto window = openDesigner(false);
    QVERIFY(window->isLoaded());
    QVERIFY(!control<QRadioButton>(window.get(), QStringLiteral("Option1_1"))->isEnabled());
    QVERIFY(!control<QPushButton>(window.get(), QStringLiteral("cmdFieldAdd"))->isEnabled());

    addTab(window.get(), QStringLiteral("Client Notes"), QStringLiteral("What we know"));
    auto* strip = control<QTabBar>(window.get(), QStringLiteral("TabStrip1"));
    QCOMPARE(strip->count(), 1);
    QCOMPARE(strip->tabText(0), QStringLiteral("Client Notes"));
    QCOMPARE(strip->tabToolTip(0), QStringLiteral("What we know"));
    QVERIFY(!control<QPushButton>(window.get(), QStringLiteral("cmdTableAdd"))->isEnabled());
    QVERIFY(control<QPushButton>(window.get(), QStringLiteral("cmdFieldAdd"))->isEnabled());
    QVERIFY(control<QLineEdit>(window.get(), QStringLiteral("txtTableName"))->text().isEmpty());
    addField(window.get(), QStringLiteral("Notes"), QStringLiteral("What was said"));
    addField(window.get(), QStringLiteral("Next Step"));
    click(window.get(), QStringLiteral("cmdGenerateDatebase"));

    QCOMPARE(app.messages->shown().size(), 1);
    QCOMPARE(app.messages->last().title, Title);
    QCOMPARE(app.messages->last().icon, MessageBox::NoIcon);
    QCOMPARE(app.messages->last().text, QStringLiteral("Operation Complete"));
    QCOMPARE(rows(QStringLiteral("SELECT TabDescription FROM TabInfo WHERE TabNam = 'Client Notes'")),
             QList<QVariantList>({{QStringLiteral("What we know")}}));
    QCOMPARE(columnNames(QStringLiteral("Client Notes")),
             QStringList({"ClientNotesId", "PersonalInformationId", "ClientNotesDate", "Notes", "Next Step"}));
    QCOMPARE(recordWindowFields(QStringLiteral("Client Notes")).size(), 2);
}

void TestDatabaseGenerator::refusedNames_data()
{
    QTest::addColumn<bool>("tab"); // a tab's name, else a field's
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");

    const int critical = MessageBox::Critical;
    QTest::newRow("another tab") << true << "Old Tab"
                                 << "A table named \"Old Tab\" exists already.\r\nPlease choose another tab name"
                                 << critical;
    QTest::newRow("empty tab") << true << ""
                               << "Invalid Tab Name" << int(MessageBox::NoIcon);
    QTest::newRow("field twice") << false << "notes"
                                 << "The tab already has a field named \"notes\".\r\nPlease choose another field name"
                                 << critical;
    QTest::newRow("empty field") << false << ""
                                 << "Invalid Field Name" << int(MessageBox::NoIcon);
}

// A refused name is said, and the window stays as it was, the name in its box to be put right.
void TestDatabaseGenerator::refusedNames()
{
    QFETCH(bool, tab);
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(int, icon);

    TestAppFolder app;
    createTab(QStringLiteral("Old Tab"), {QStringLiteral("Notes")});
    app.messages->clear();
    const auto before = rows(QStringLiteral("SELECT * FROM TabInfo"));
    auto window = openDesigner(false);
    if (tab) {
        addTab(window.get(), name);
    } else {
        addTab(window.get(), QStringLiteral("Client Notes"));
        addField(window.get(), QStringLiteral("Notes"));
        addField(window.get(), name);
    }

    QCOMPARE(app.messages->shown().size(), 1);
    QCOMPARE(app.messages->last().text, message);
    QCOMPARE(int(app.messages->last().icon), icon);
    QCOMPARE(app.messages->last().title, Title);
    QCOMPARE(control<QTabBar>(window.get(), QStringLiteral("TabStrip1"))->count(), tab ? 0 : 1);
    QCOMPARE(control<QPushButton>(window.get(), QStringLiteral("cmdTableAdd"))->isEnabled(), tab);
    QCOMPARE(control<QPushButton>(window.get(), QStringLiteral("cmdFieldAdd"))->isEnabled(), !tab);
    QVERIFY(!window->findChild<QLineEdit*>(QStringLiteral("Text1_2")));
    QCOMPARE(
        control<QLineEdit>(window.get(), tab ? QStringLiteral("txtTableName") : QStringLiteral("txtFieldName"))->text(),
        name);
    if (tab) {
        click(window.get(), QStringLiteral("cmdGenerateDatebase"));
        QCOMPARE(rows(QStringLiteral("SELECT * FROM TabInfo")), before);
    }
}

void TestDatabaseGenerator::editModeAddsColumnAndKeepsRows()
{
    TestAppFolder app;
    createTab(QStringLiteral("Client Notes"), {QStringLiteral("Notes"), QStringLiteral("Next Step")});
    execute(QStringLiteral("INSERT INTO \"Client Notes\" (PersonalInformationId, Notes) VALUES (7, 'kept')"));
    app.messages->clear();

    auto window = openDesigner(true);
    QCOMPARE(control<QTabBar>(window.get(), QStringLiteral("TabStrip1"))->count(), 1);
    for (const char* name : {"cmdTableAdd", "cmdTabeClear", "txtTableName", "txtTableDescription"})
        QVERIFY2(!control<QWidget>(window.get(), QString::fromLatin1(name))->isEnabled(), name);
    QCOMPARE(control<QLineEdit>(window.get(), QStringLiteral("Text1_2"))->toolTip(), QStringLiteral("Next Step"));
    addField(window.get(), QStringLiteral("Follow Up"));
    QCOMPARE(control<QLineEdit>(window.get(), QStringLiteral("Text1_3"))->geometry(),
             twips(QRect(3120, 1660, 2895, 375)));
    click(window.get(), QStringLiteral("cmdSave"));

    QVERIFY(app.messages->shown().isEmpty());
    QCOMPARE(rows(QStringLiteral("SELECT Notes, \"Follow Up\" FROM \"Client Notes\"")),
             QList<QVariantList>({{QStringLiteral("kept"), QVariant()}}));
    QCOMPARE(recordWindowFields(QStringLiteral("Client Notes")).size(), 3);
}

void TestDatabaseGenerator::failureBeforeDefinitionsLeavesNoTable_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Generate Database") << QStringLiteral("cmdGenerateDatebase");
    QTest::newRow("Save Layout") << QStringLiteral("cmdSave");
}

// The program stops (here: the database refuses) after the tab's table is made and before
// its fields are defined; the window says so, and says nothing was done.
void TestDatabaseGenerator::failureBeforeDefinitionsLeavesNoTable()
{
    QFETCH(QString, button);
    TestAppFolder app;
    RefusingTrigger::add(QStringLiteral("StopHere"), QStringLiteral("INSERT"), QStringLiteral("FieldInfo"),
                         QStringLiteral("stopped before the fields"));
    auto window = openDesigner(false);
    addTab(window.get(), QStringLiteral("Client Notes"));
    addField(window.get(), QStringLiteral("Notes"));
    click(window.get(), button);

    QCOMPARE(app.messages->shown().size(), 1);
    QCOMPARE(app.messages->last().icon, MessageBox::Critical);
    QVERIFY(app.messages->last().text.startsWith(QStringLiteral("The tab definitions could not be saved")));
    QVERIFY(app.messages->last().text.contains(QStringLiteral("stopped before the fields")));
    QVERIFY(columnNames(QStringLiteral("Client Notes")).isEmpty());
    QVERIFY(rows(QStringLiteral("SELECT * FROM TabInfo WHERE TabNam = 'Client Notes'")).isEmpty());
}

void TestDatabaseGenerator::editModeWithoutTabsCloses()
{
    TestAppFolder app;
    auto* window = new DatabaseGenerator;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->EMode = true;
    QPointer<DatabaseGenerator> guard(window);
    window->load();
    window->show();

    QCOMPARE(app.messages->shown().size(), 1);
    QCOMPARE(app.messages->last().title, Title);
    QCOMPARE(app.messages->last().icon, MessageBox::Information);
    QCOMPARE(app.messages->last().text, QStringLiteral("Currently there are no tabs that can be edited\r\n"
                                                       "Please use the NEW TABS menu option to add a new tab(s)"));
    QTRY_VERIFY(guard.isNull());
}

void TestDatabaseGenerator::fieldsStackOnCanvas()
{
    TestAppFolder app;
    auto window = openDesigner(false);
    addTab(window.get(), QStringLiteral("Client Notes"));
    for (const char* name : {"One", "Two", "Three"})
        addField(window.get(), QString::fromLatin1(name), QStringLiteral("about ") + QLatin1String(name));

    const int tops[] = {830, 1245, 1660};
    for (int i = 1; i <= 3; ++i) {
        const auto* label = control<QLabel>(window.get(), QStringLiteral("Label1_%1").arg(i));
        const auto* box = control<QLineEdit>(window.get(), QStringLiteral("Text1_%1").arg(i));
        const auto* order = control<QLineEdit>(window.get(), QStringLiteral("Text2_%1").arg(i));
        QCOMPARE(label->geometry(), twips(QRect(240, tops[i - 1], 2775, 375)));
        QCOMPARE(box->geometry(), twips(QRect(3120, tops[i - 1], 2895, 375)));
        QVERIFY(label->isVisible() && box->isVisible() && !order->isVisible());
        QCOMPARE(order->text(), QString::number(i));
        QCOMPARE(box->toolTip(), label->text());
        QCOMPARE(label->toolTip(), QStringLiteral("about ") + label->text());
    }
    QVERIFY(control<QLineEdit>(window.get(), QStringLiteral("txtFieldName"))->text().isEmpty());
}

void TestDatabaseGenerator::draggedLabelMovesNextLabelRowOnly()
{
    TestAppFolder app;
    auto window = openDesigner(false);
    addTab(window.get(), QStringLiteral("Client Notes"));
    addField(window.get(), QStringLiteral("One"));
    auto* label = control<QLabel>(window.get(), QStringLiteral("Label1_1"));
    QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, QPoint(0, 0));
    drag(label, QPoint(0, Twips::toPixelsY(1170)));
    QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(0, 0));

    const int moved = window->canvasModel().field(1).label.top();
    QVERIFY(moved > 1900);
    QCOMPARE(window->canvasModel().field(1).box.top(), 830);
    addField(window.get(), QStringLiteral("Two"));
    QCOMPARE(window->canvasModel().field(2).label.top(), moved + 415);
    QCOMPARE(window->canvasModel().field(2).box.top(), 1245);
}

void TestDatabaseGenerator::lockStopsDragging()
{
    TestAppFolder app;
    auto window = openDesigner(false);
    addTab(window.get(), QStringLiteral("Client Notes"));
    addField(window.get(), QStringLiteral("One"));
    auto* box = control<QLineEdit>(window.get(), QStringLiteral("Text1_1"));
    auto* label = control<QLabel>(window.get(), QStringLiteral("Label1_1"));
    const QRect boxAt = box->geometry();
    const QRect labelAt = label->geometry();

    QVERIFY(trigger(window.get(), QStringLiteral("Toolbar1_1")));
    drag(box, QPoint(30, 30));
    drag(label, QPoint(30, 30));
    QCOMPARE(box->geometry(), boxAt);
    QCOMPARE(label->geometry().topLeft(), labelAt.topLeft());
    QCOMPARE(control<QLineEdit>(window.get(), QStringLiteral("txtWidth"))->text(), QStringLiteral("2895"));

    QVERIFY(trigger(window.get(), QStringLiteral("Toolbar1_2")));
    drag(box, QPoint(30, 30));
    QCOMPARE(box->geometry().topLeft(), boxAt.topLeft() + QPoint(30, 30));
    QCOMPARE(label->geometry().topLeft(), labelAt.topLeft());
}

void TestDatabaseGenerator::alignmentBySelectionOrder()
{
    TestAppFolder app;
    auto window = openDesigner(false);
    QVERIFY(trigger(window.get(), QStringLiteral("Toolbar1_7")));
    QCOMPARE(app.messages->last().text, QStringLiteral("Please select two or more objects"));
    QCOMPARE(app.messages->last().title, Title);
    app.messages->clear();

    addTab(window.get(), QStringLiteral("Client Notes"));
    for (const char* name : {"One", "Two", "Three"})
        addField(window.get(), QString::fromLatin1(name));
    drag(control<QLineEdit>(window.get(), QStringLiteral("Text1_2")), QPoint(40, 0));
    drag(control<QLineEdit>(window.get(), QStringLiteral("Text1_3")), QPoint(-20, 0));
    for (const int i : {2, 1, 3})
        QTest::mousePress(control<QLineEdit>(window.get(), QStringLiteral("Text1_%1").arg(i)), Qt::LeftButton,
                          Qt::ShiftModifier);
    QCOMPARE(*window->canvasModel().selection(), QList<int>({2, 1, 3}));

    QVERIFY(trigger(window.get(), QStringLiteral("Toolbar1_5")));
    const int left = window->canvasModel().field(2).box.left();
    QVERIFY(left > 3120);
    for (int i = 1; i <= 3; ++i) {
        QCOMPARE(window->canvasModel().field(i).box.left(), left);
        QCOMPARE(control<QLineEdit>(window.get(), QStringLiteral("Text1_%1").arg(i))->x(), Twips::toPixelsX(left));
        QCOMPARE(window->canvasModel().field(i).label.left(), 240);
    }
    QVERIFY(trigger(window.get(), QStringLiteral("Toolbar1_5")));
    QVERIFY(app.messages->shown().isEmpty());
}

void TestDatabaseGenerator::widthTyping_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("width");

    QTest::newRow("number") << "4000" << 4000;
    QTest::newRow("letter") << "x" << 2895;
}

void TestDatabaseGenerator::widthTyping()
{
    QFETCH(QString, typed);
    QFETCH(int, width);

    TestAppFolder app;
    auto window = openDesigner(false);
    addTab(window.get(), QStringLiteral("Client Notes"));
    addField(window.get(), QStringLiteral("One"));
    auto* box = control<QLineEdit>(window.get(), QStringLiteral("Text1_1"));
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::mouseClick(box, Qt::LeftButton);
    QTRY_COMPARE(control<QLineEdit>(window.get(), QStringLiteral("txtWidth"))->text(), QStringLiteral("2895"));
    // Showing the box's width gave its label that width too.
    QCOMPARE(window->canvasModel().field(1).label.width(), 2895);

    type(window.get(), QStringLiteral("txtWidth"), typed);
    QCOMPARE(window->canvasModel().field(1).box.width(), width);
    QCOMPARE(window->canvasModel().field(1).label.width(), width);
    QCOMPARE(box->width(), Twips::toPixelsX(width));
    QVERIFY(app.messages->shown().isEmpty());
}

void TestDatabaseGenerator::gridRepaintsWithChosenStep()
{
    TestAppFolder app;
    auto window = openDesigner(false);
    auto* canvas = control<DesignerCanvas>(window.get(), QStringLiteral("Picture1"));
    const auto isDot = [canvas](int x, int y) {
        return canvas->grab().toImage().pixelColor(Twips::toPixelsX(x), Twips::toPixelsY(y)) == QColor(Qt::black);
    };
    QCOMPARE(canvas->gridStep(), 200);
    QVERIFY(isDot(200, 200));
    QCOMPARE(canvas->dotsDrawn(), 51 * 24);

    control<QListWidget>(window.get(), QStringLiteral("txtGridSize"))->setCurrentRow(9);
    QCOMPARE(canvas->gridStep(), 500);
    QVERIFY(isDot(500, 500));
    QVERIFY(!isDot(200, 200));
    QCOMPARE(canvas->dotsDrawn(), 20 * 9);

    QTest::mouseClick(control<QCheckBox>(window.get(), QStringLiteral("chkGrid")), Qt::LeftButton);
    QVERIFY(!isDot(500, 500));
    QCOMPARE(canvas->dotsDrawn(), 0);
}

void TestDatabaseGenerator::pageSwitchKeepsMovedPositions()
{
    TestAppFolder app;
    createTab(QStringLiteral("First Tab"), {QStringLiteral("A")});
    createTab(QStringLiteral("Second Tab"), {QStringLiteral("B")});

    auto window = openDesigner(true);
    auto* strip = control<QTabBar>(window.get(), QStringLiteral("TabStrip1"));
    QCOMPARE(strip->count(), 2);
    drag(control<QLineEdit>(window.get(), QStringLiteral("Text1_1")), QPoint(60, 30));
    const QRect moved = window->canvasModel().field(1).box;
    QVERIFY(moved.top() > 830);

    QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, strip->tabRect(1).center());
    QCOMPARE(strip->currentIndex(), 1);
    QCOMPARE(control<QLineEdit>(window.get(), QStringLiteral("Text1_1"))->toolTip(), QStringLiteral("B"));
    QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, strip->tabRect(0).center());
    QCOMPARE(window->canvasModel().field(1).box, moved);
    QCOMPARE(control<QLineEdit>(window.get(), QStringLiteral("Text1_1"))->geometry(), twips(moved));
    QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, strip->tabRect(1).center());
    click(window.get(), QStringLiteral("cmdSave"));

    const auto fields = recordWindowFields(QStringLiteral("First Tab"));
    QCOMPARE(fields.size(), 1);
    QCOMPARE(QPoint(fields[0][3].toInt(), fields[0][4].toInt()), moved.topLeft());
}

void TestDatabaseGenerator::tabForOneClient()
{
    TestAppFolder app;
    for (const char* last : {"Abbot", "Baker"})
        execute(
            QStringLiteral("INSERT INTO \"Personal Information\" (\"First Name\", \"Last Name\") VALUES ('Ann', ?)"),
            {QString::fromLatin1(last)});
    const qint64 baker =
        rows(QStringLiteral("SELECT PersonalInformationId FROM \"Personal Information\" WHERE \"Last Name\" = "
                            "'Baker'"))[0][0]
            .toLongLong();

    auto window = openDesigner(false);
    auto* clients = control<QListWidget>(window.get(), QStringLiteral("lstClient"));
    QCOMPARE(clients->count(), 2);
    QCOMPARE(clients->currentRow(), 0);
    WindowChecks::clickVisible(control<QRadioButton>(window.get(), QStringLiteral("Option1_1")));
    QVERIFY(control<QRadioButton>(window.get(), QStringLiteral("Option1_1"))->isChecked());
    QCOMPARE(clients->item(1)->text(), QStringLiteral("Baker  Ann"));
    clients->setCurrentRow(1);
    addTab(window.get(), QStringLiteral("Private"));
    QVERIFY(control<QRadioButton>(window.get(), QStringLiteral("Option1_0"))->isChecked());
    addField(window.get(), QStringLiteral("Secret"));
    click(window.get(), QStringLiteral("cmdGenerateDatebase"));

    // The record window's view of the clients: only Baker has the tab, and it keeps values.
    const auto hasPrivate = [](qint64 client) {
        for (const ClientRecord::Tab& tab : ClientRecord::readTabs(client)) {
            if (tab.name == QStringLiteral("Private"))
                return true;
        }
        return false;
    };
    QVERIFY(hasPrivate(baker));
    QVERIFY(!hasPrivate(baker - 1));
    ClientRecord record(baker);
    record.load();
    record.setValue(QStringLiteral("Private"), QStringLiteral("Secret"), QStringLiteral("kept here"));
    record.save();
    QCOMPARE(record.storedValues(QStringLiteral("Private")).value(QStringLiteral("Secret")),
             QStringLiteral("kept here"));
}

void TestDatabaseGenerator::controlsCanBeSeenWhole_data()
{
    QTest::addColumn<bool>("editMode");
    QTest::newRow("create mode") << false;
    QTest::newRow("edit mode") << true;
}

// No control lies over another (the toolbar over the tab strip's headers, the client list over
// the caption of its option), and each toolbar button shows its whole picture.
void TestDatabaseGenerator::controlsCanBeSeenWhole()
{
    QFETCH(bool, editMode);
    TestAppFolder app;
    execute(
        QStringLiteral("INSERT INTO \"Personal Information\" (\"First Name\", \"Last Name\") VALUES ('Ann', 'Lee')"));
    if (editMode)
        createTab(QStringLiteral("Extra"), {QStringLiteral("Notes")});
    auto window = openDesigner(editMode);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QCOMPARE(WindowChecks::layoutProblems(window.get()).join(QLatin1Char('\n')), QString());
    auto* toolbar = control<QToolBar>(window.get(), QStringLiteral("Toolbar1"));
    for (QAction* action : toolbar->actions()) {
        if (action->isSeparator())
            continue;
        const QWidget* button = toolbar->widgetForAction(action);
        QVERIFY2(seen(button) && toolbar->rect().contains(button->geometry()), qPrintable(action->toolTip()));
        QVERIFY2(button->width() >= toolbar->iconSize().width() && button->height() >= toolbar->iconSize().height(),
                 qPrintable(action->toolTip()));
    }
}

QTEST_MAIN(TestDatabaseGenerator)
#include "tst_DatabaseGenerator.moc"
