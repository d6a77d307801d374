#include "DatabaseRows.h"
#include "RefusingTrigger.h"
#include "TestDatabaseFolder.h"
#include "designer/DesignSession.h"
#include "store/Database.h"
#include "store/SchemaCatalog.h"
#include "store/Statement.h"
#include "store/Transaction.h"

#include <QDate>
#include <QTest>

// The designer's session without a window: the tabs and fields it defines, what it writes to
// the database and what it has to tell the user.
namespace {

using namespace DatabaseRows;

using Notice = DesignSession::Notice;
using Kind = DesignSession::Notice::Kind;

// FieldName, labelLeft, labelTop, fieldLeft, fieldTop, fieldWidth, FieldDisplayOrder of the
// fields of `tab`, in display order, as the client record window reads them.
QList<QVariantList> storedFields(const QString& tab)
{
    return rows(QStringLiteral("SELECT FieldName, labelLeft, labelTop, fieldLeft, fieldTop, fieldWidth, "
                               "FieldDisplayOrder FROM FieldInfo INNER JOIN TabInfo ON FieldInfo.TabId = "
                               "TabInfo.TabId WHERE TabNam = ? ORDER BY FieldDisplayOrder"),
                {tab});
}

// What an action had to say, as "kind: text"; empty when it had nothing to say.
QString said(const DesignSession::Outcome& outcome)
{
    if (!outcome)
        return {};
    const char* kinds[] = {"plain", "information", "critical"};
    return QLatin1String(kinds[static_cast<int>(outcome->kind)]) + QStringLiteral(": ") + outcome->text;
}

// A tab with fields, made by a create-mode session and "Generate Database".
void createTab(const QString& name, const QStringList& fields)
{
    DesignSession session;
    QCOMPARE(said(session.addTab(name, {})), QString());
    for (const QString& field : fields)
        QCOMPARE(said(session.addField(field, {})), QString());
    QCOMPARE(said(session.generate()), said(Notice{QStringLiteral("Operation Complete")}));
}

} // namespace

// PostgreSQL's plan of `sql` over "Client Notes" with the notes of many clients in it, which
// are taken out again: its planner weighs the table's statistics.
static QString serverPlan(const QString& sql)
{
    Database db(CLsDataBaseConnection::databasePath());
    Transaction undone(db);
    db.execute(QStringLiteral("INSERT INTO \"Client Notes\" (PersonalInformationId, Notes) "
                              "SELECT n % 2000 + 1, 'note' FROM generate_series(1, 20000) AS n"));
    db.execute(QStringLiteral("ANALYZE \"Client Notes\""));
    QStringList lines;
    Statement plan = db.prepare(QStringLiteral("EXPLAIN (FORMAT TEXT) ") + sql);
    while (plan.step())
        lines.append(plan.value(0).toString());
    // The keys the notes took are not given back with them: the next note is the first again.
    db.scalar(QStringLiteral("SELECT setval(pg_get_serial_sequence('\"Client Notes\"', 'ClientNotesId'), 1, false)"));
    return lines.join(QLatin1Char('\n'));
}

class TestDesignSession : public QObject
{
    Q_OBJECT

private slots:
    void generateWritesDefinitionsAndTable();
    void reloadShowsSavedTabs();
    void refusedTabNames_data();
    void refusedTabNames();
    void refusedFieldNames_data();
    void refusedFieldNames();
    void unusualNames_data();
    void unusualNames();
    void secondSaveReplacesFirst();
    void editModeAddsColumnAndKeepsRows();
    void pageSwitchKeepsMovedPositions();
    void failedSaveKeepsPreviousDefinitions();
    void failureBeforeDefinitionsLeavesNoTable_data();
    void failureBeforeDefinitionsLeavesNoTable();
    void nothingToEdit();
    void tabForOneClient();
    void clientThatIsNoNumberIsRefused();
    void positionsThatAreNoNumbersAreStoredAsNull();
    void tablesWithoutDefinitions();
    void alignmentNeedsSelection();
};

void TestDesignSession::generateWritesDefinitionsAndTable()
{
    TestDatabaseFolder folder;
    DesignSession session;
    QVERIFY(!session.editMode());
    QCOMPARE(said(session.addTab(QStringLiteral("Client Notes"), QStringLiteral("What we know"))), QString());
    QCOMPARE(session.pages().size(), size_t(1));
    QCOMPARE(said(session.addField(QStringLiteral("Notes"), QStringLiteral("What was said"))), QString());
    QCOMPARE(said(session.addField(QStringLiteral("Next Step"), {})), QString());
    QCOMPARE(session.canvas().count(), 2);
    QCOMPARE(session.fields().size(), size_t(2));
    // The one page of create mode keeps its canvas when it is shown again.
    QVERIFY(!session.showPage(0));
    QCOMPARE(session.canvas().count(), 2);
    QCOMPARE(said(session.generate()), said(Notice{QStringLiteral("Operation Complete")}));

    const auto tabs = rows(QStringLiteral("SELECT TabDescription, PersonalInformationId, TabEdit FROM TabInfo "
                                          "WHERE TabNam = 'Client Notes'"));
    QCOMPARE(tabs.size(), 1);
    QCOMPARE(tabs[0][0].toString(), QStringLiteral("What we know"));
    QVERIFY(tabs[0][1].isNull());
    QCOMPARE(tabs[0][2].toInt(), 1);
    QCOMPARE(columnNames(QStringLiteral("Client Notes")),
             QStringList({"ClientNotesId", "PersonalInformationId", "ClientNotesDate", "Notes", "Next Step"}));
    // The record window reads and writes the table one client at a time.
    const QString oneClient = QStringLiteral("SELECT * FROM \"Client Notes\" WHERE PersonalInformationId = 1");
    if (PgTestDatabase::wanted()) {
        const QString plan = serverPlan(oneClient);
        QVERIFY2(plan.contains(QStringLiteral("Index")) && !plan.contains(QStringLiteral("Seq Scan")),
                 qPrintable(plan));
    } else {
        QVERIFY(queryPlan(oneClient).contains(QStringLiteral("USING INDEX")));
    }

    const QList<QVariantList> expected{{"Notes", 240, 830, 3120, 830, 2895, 1},
                                       {"Next Step", 240, 1245, 3120, 1245, 2895, 2}};
    const auto fields = storedFields(QStringLiteral("Client Notes"));
    QCOMPARE(fields.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(fields[i][0].toString(), expected[i][0].toString());
        for (int c = 1; c < 7; ++c)
            QCOMPARE(fields[i][c].toInt(), expected[i][c].toInt());
    }
    QCOMPARE(rows(QStringLiteral("SELECT FieldDescription, FieldEdit FROM FieldInfo WHERE FieldName = 'Notes'")),
             QList<QVariantList>({{QStringLiteral("What was said"), 1}}));

    execute(QStringLiteral("INSERT INTO \"Client Notes\" (PersonalInformationId) VALUES (1)"));
    const auto stored = rows(QStringLiteral("SELECT ClientNotesId, ClientNotesDate, Notes FROM \"Client Notes\""));
    QCOMPARE(stored[0][0].toInt(), 1);
    QCOMPARE(stored[0][1].toString(), QDate::currentDate().toString(Qt::ISODate));
    QVERIFY(stored[0][2].isNull());
}

void TestDesignSession::reloadShowsSavedTabs()
{
    TestDatabaseFolder folder;
    createTab(QStringLiteral("First Tab"), {QStringLiteral("A"), QStringLiteral("B")});
    createTab(QStringLiteral("Second Tab"), {QStringLiteral("C")});

    DesignSession session(true);
    QCOMPARE(said(session.loadEditableTabs()), QString());
    QCOMPARE(said(session.nothingToEdit()), QString());
    QCOMPARE(session.pages().size(), size_t(2));
    QCOMPARE(session.pages()[0].name, QStringLiteral("First Tab"));
    QCOMPARE(session.pages()[1].name, QStringLiteral("Second Tab"));
    QCOMPARE(session.fields().size(), size_t(3));
    QCOMPARE(session.shownPage(), 0);
    QCOMPARE(session.canvas().count(), 2);
    QCOMPARE(session.canvas().field(2).name, QStringLiteral("B"));
    QCOMPARE(session.canvas().field(2).box, QRect(3120, 1245, 2895, 375));
    QCOMPARE(session.canvas().field(2).orderText, QStringLiteral("2"));
}

void TestDesignSession::refusedTabNames_data()
{
    QTest::addColumn<QString>("earlier"); // a tab added before in the same session
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("kind");

    const int critical = static_cast<int>(Kind::Critical);
    const QString another = QStringLiteral("\r\nPlease choose another tab name");
    QTest::newRow("users") << ""
                           << "Security"
                           << "A table named \"Security\" exists already." + another << critical;
    QTest::newRow("clients") << ""
                             << "Personal Information"
                             << "A table named \"Personal Information\" exists already." + another << critical;
    QTest::newRow("definitions") << ""
                                 << "tabinfo"
                                 << "A table named \"tabinfo\" exists already." + another << critical;
    QTest::newRow("another tab") << ""
                                 << "Old Tab"
                                 << "A table named \"Old Tab\" exists already." + another << critical;
    QTest::newRow("a tab of this session") << "New Tab"
                                           << "new tab"
                                           << "A tab named \"new tab\" exists already." + another << critical;
    QTest::newRow("empty") << ""
                           << ""
                           << "Invalid Tab Name" << static_cast<int>(Kind::Plain);
    QTest::newRow("blanks only") << ""
                                 << "  "
                                 << "Invalid Tab Name" << critical;
}

void TestDesignSession::refusedTabNames()
{
    QFETCH(QString, earlier);
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(int, kind);

    TestDatabaseFolder folder;
    createTab(QStringLiteral("Old Tab"), {QStringLiteral("Notes")});
    const auto before = rows(QStringLiteral("SELECT * FROM TabInfo"));
    DesignSession session;
    if (!earlier.isEmpty())
        QCOMPARE(said(session.addTab(earlier, {})), QString());
    const size_t pages = session.pages().size();

    QCOMPARE(said(session.addTab(name, {})), said(Notice({message, static_cast<Kind>(kind)})));
    QCOMPARE(session.pages().size(), pages);
    if (earlier.isEmpty()) {
        QCOMPARE(said(session.save()), QString());
        QCOMPARE(rows(QStringLiteral("SELECT * FROM TabInfo")), before);
    }
}

void TestDesignSession::refusedFieldNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("kind");

    const int critical = static_cast<int>(Kind::Critical);
    const QString another = QStringLiteral("\r\nPlease choose another field name");
    const QString own = QStringLiteral("\"%1\" is one of the columns the tab's table keeps for itself.") + another;
    QTest::newRow("client column") << "PersonalInformationId" << own.arg("PersonalInformationId") << critical;
    QTest::newRow("key column") << "ClientNotesId" << own.arg("ClientNotesId") << critical;
    QTest::newRow("twice") << "notes"
                           << "The tab already has a field named \"notes\"." + another << critical;
    QTest::newRow("empty") << ""
                           << "Invalid Field Name" << static_cast<int>(Kind::Plain);
}

void TestDesignSession::refusedFieldNames()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(int, kind);

    TestDatabaseFolder folder;
    DesignSession session;
    QCOMPARE(said(session.addTab(QStringLiteral("Client Notes"), {})), QString());
    QCOMPARE(said(session.addField(QStringLiteral("Notes"), {})), QString());

    QCOMPARE(said(session.addField(name, {})), said(Notice({message, static_cast<Kind>(kind)})));
    QCOMPARE(session.canvas().count(), 1);
    QCOMPARE(session.fields().size(), size_t(1));

    // Without a page on screen no field has a tab to go to.
    DesignSession empty;
    QCOMPARE(said(empty.addField(QStringLiteral("Notes"), {})), said(Notice{QStringLiteral("Invalid Form Name")}));
    QCOMPARE(empty.fields().size(), size_t(0));
}

void TestDesignSession::unusualNames_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("idColumn");

    QTest::newRow("blanks") << "Case  File"
                            << "Opened on"
                            << "CaseFileId";
    QTest::newRow("single quotes") << "O'Brien's"
                                   << "it's due"
                                   << "O'Brien'sId";
    QTest::newRow("double quotes") << "The \"A\" list"
                                   << "say \"when\""
                                   << "The\"A\"listId";
    QTest::newRow("brackets") << "[Legal] matters"
                              << "fee [net]"
                              << "[Legal]mattersId";
}

void TestDesignSession::unusualNames()
{
    QFETCH(QString, tab);
    QFETCH(QString, field);
    QFETCH(QString, idColumn);

    TestDatabaseFolder folder;
    DesignSession session;
    QCOMPARE(said(session.addTab(tab, {})), QString());
    QCOMPARE(said(session.addField(field, {})), QString());
    QCOMPARE(said(session.save()), QString());

    QCOMPARE(columnNames(tab).value(0), idColumn);
    QCOMPARE(columnNames(tab).value(3), field);
    const auto fields = storedFields(tab);
    QCOMPARE(fields.size(), 1);
    QCOMPARE(fields[0][0].toString(), field);
}

void TestDesignSession::secondSaveReplacesFirst()
{
    TestDatabaseFolder folder;
    DesignSession session;
    QCOMPARE(said(session.addTab(QStringLiteral("Client Notes"), {})), QString());
    QCOMPARE(said(session.addField(QStringLiteral("Notes"), {})), QString());
    QCOMPARE(said(session.save()), QString());
    QCOMPARE(said(session.addField(QStringLiteral("Next Step"), {})), QString());
    QCOMPARE(said(session.save()), QString());

    QCOMPARE(rows(QStringLiteral("SELECT TabId FROM TabInfo WHERE TabNam = 'Client Notes'")).size(), 1);
    QCOMPARE(rows(QStringLiteral("SELECT * FROM FieldInfo WHERE FieldEdit = 1")).size(), 2);
    QCOMPARE(storedFields(QStringLiteral("Client Notes")).size(), 2);
    QCOMPARE(columnNames(QStringLiteral("Client Notes")).value(4), QStringLiteral("Next Step"));
}

void TestDesignSession::editModeAddsColumnAndKeepsRows()
{
    TestDatabaseFolder folder;
    createTab(QStringLiteral("Client Notes"), {QStringLiteral("Notes"), QStringLiteral("Next Step")});
    execute(QStringLiteral("INSERT INTO \"Client Notes\" (PersonalInformationId, Notes) VALUES (7, 'kept')"));
    const qint64 oldTabId = rows(QStringLiteral("SELECT TabId FROM TabInfo WHERE TabEdit = 1"))[0][0].toLongLong();

    DesignSession session(true);
    QCOMPARE(said(session.loadEditableTabs()), QString());
    QCOMPARE(said(session.addField(QStringLiteral("Follow Up"), {})), QString());
    QCOMPARE(session.canvas().field(3).box.top(), 1660);
    QCOMPARE(said(session.save()), QString());

    const auto stored =
        rows(QStringLiteral("SELECT ClientNotesId, PersonalInformationId, Notes, \"Follow Up\" FROM \"Client Notes\""));
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0][1].toInt(), 7);
    QCOMPARE(stored[0][2].toString(), QStringLiteral("kept"));
    QVERIFY(stored[0][3].isNull());
    Database db(CLsDataBaseConnection::databasePath());
    const auto added = SchemaCatalog(db).columns(QStringLiteral("Client Notes")).back();
    QCOMPARE(added.type, QStringLiteral("TEXT"));
    QVERIFY(added.nullable);

    const auto tabs = rows(QStringLiteral("SELECT TabId FROM TabInfo WHERE TabEdit = 1"));
    QCOMPARE(tabs.size(), 1);
    QVERIFY(tabs[0][0].toLongLong() != oldTabId);
    QCOMPARE(rows(QStringLiteral("SELECT * FROM FieldInfo WHERE TabId = ?"), {tabs[0][0]}).size(), 3);
    QCOMPARE(rows(QStringLiteral("SELECT * FROM FieldInfo WHERE TabId = ?"), {oldTabId}).size(), 0);
}

void TestDesignSession::pageSwitchKeepsMovedPositions()
{
    TestDatabaseFolder folder;
    createTab(QStringLiteral("First Tab"), {QStringLiteral("A")});
    createTab(QStringLiteral("Second Tab"), {QStringLiteral("B")});

    DesignSession session(true);
    QCOMPARE(said(session.loadEditableTabs()), QString());
    QVERIFY(session.canvas().moveBox(1, 300, 150));
    const QRect moved = session.canvas().field(1).box;

    QVERIFY(session.showPage(1));
    QCOMPARE(session.canvas().count(), 1);
    QCOMPARE(session.canvas().field(1).name, QStringLiteral("B"));
    QVERIFY(session.showPage(0));
    QCOMPARE(session.canvas().field(1).box, moved);
    QVERIFY(session.showPage(1));
    // The page on screen is saved as the canvas shows it, without leaving it.
    QVERIFY(session.canvas().moveLabel(1, -100, 500));
    QCOMPARE(said(session.save()), QString());

    const auto fields = storedFields(QStringLiteral("First Tab"));
    QCOMPARE(fields.size(), 1);
    QCOMPARE(fields[0][3].toInt(), moved.left());
    QCOMPARE(fields[0][4].toInt(), moved.top());
    const auto shown = storedFields(QStringLiteral("Second Tab"));
    QCOMPARE(shown.size(), 1);
    QCOMPARE(QPoint(shown[0][1].toInt(), shown[0][2].toInt()), QPoint(140, 1330));
}

void TestDesignSession::failedSaveKeepsPreviousDefinitions()
{
    TestDatabaseFolder folder;
    createTab(QStringLiteral("Client Notes"), {QStringLiteral("Notes")});
    RefusingTrigger::add(QStringLiteral("RefuseBoom"), QStringLiteral("INSERT"), QStringLiteral("FieldInfo"),
                         QStringLiteral("no booms here"), QStringLiteral("NEW.FieldName = 'Boom'"));
    const auto tabsBefore = rows(QStringLiteral("SELECT * FROM TabInfo"));
    const auto fieldsBefore = rows(QStringLiteral("SELECT * FROM FieldInfo"));

    DesignSession session(true);
    QCOMPARE(said(session.loadEditableTabs()), QString());
    QCOMPARE(said(session.addField(QStringLiteral("Boom"), {})), QString());
    const DesignSession::Outcome outcome = session.generate();

    QVERIFY(outcome);
    QCOMPARE(outcome->kind, Kind::Critical);
    QVERIFY(outcome->text.startsWith(QStringLiteral("The tab definitions could not be saved")));
    QVERIFY(outcome->text.contains(QStringLiteral("no booms here")));
    QCOMPARE(rows(QStringLiteral("SELECT * FROM TabInfo")), tabsBefore);
    QCOMPARE(rows(QStringLiteral("SELECT * FROM FieldInfo")), fieldsBefore);
    QVERIFY(!columnNames(QStringLiteral("Client Notes")).contains(QStringLiteral("Boom")));
}

void TestDesignSession::failureBeforeDefinitionsLeavesNoTable_data()
{
    QTest::addColumn<bool>("generate");
    QTest::newRow("Generate Database") << true;
    QTest::newRow("Save Layout") << false;
}

// The program stops (here: the database refuses) after the tab's table is made and before
// its fields are defined.
void TestDesignSession::failureBeforeDefinitionsLeavesNoTable()
{
    QFETCH(bool, generate);
    TestDatabaseFolder folder;
    RefusingTrigger::add(QStringLiteral("StopHere"), QStringLiteral("INSERT"), QStringLiteral("FieldInfo"),
                         QStringLiteral("stopped before the fields"));
    {
        DesignSession session;
        QCOMPARE(said(session.addTab(QStringLiteral("Client Notes"), {})), QString());
        QCOMPARE(said(session.addField(QStringLiteral("Notes"), {})), QString());
        const DesignSession::Outcome outcome = generate ? session.generate() : session.save();
        QVERIFY(outcome);
        QCOMPARE(outcome->kind, Kind::Critical);
        QVERIFY(outcome->text.contains(QStringLiteral("stopped before the fields")));
    }
    QVERIFY(!hasTable(QStringLiteral("Client Notes")));
    QVERIFY(rows(QStringLiteral("SELECT * FROM TabInfo WHERE TabNam = 'Client Notes'")).isEmpty());
    QVERIFY(rows(QStringLiteral("SELECT * FROM FieldInfo WHERE FieldEdit = 1")).isEmpty());

    // The name is free for the next try.
    RefusingTrigger::drop(QStringLiteral("StopHere"), QStringLiteral("FieldInfo"));
    createTab(QStringLiteral("Client Notes"), {QStringLiteral("Notes")});
    QCOMPARE(columnNames(QStringLiteral("Client Notes")).value(3), QStringLiteral("Notes"));
    QCOMPARE(storedFields(QStringLiteral("Client Notes")).size(), 1);
}

void TestDesignSession::nothingToEdit()
{
    TestDatabaseFolder folder;
    DesignSession editing(true);
    QCOMPARE(said(editing.loadEditableTabs()), QString());
    QCOMPARE(said(editing.nothingToEdit()),
             said(Notice({QStringLiteral("Currently there are no tabs that can be edited\r\n"
                                         "Please use the NEW TABS menu option to add a new tab(s)"),
                          Kind::Information})));
    QCOMPARE(editing.shownPage(), -1);
    QCOMPARE(said(DesignSession(false).nothingToEdit()), QString());

    createTab(QStringLiteral("Extra"), {});
    DesignSession withTab(true);
    QCOMPARE(said(withTab.loadEditableTabs()), QString());
    QCOMPARE(said(withTab.nothingToEdit()), QString());
}

void TestDesignSession::tabForOneClient()
{
    TestDatabaseFolder folder;
    for (const char* last : {"Abbot", "Baker"})
        execute(
            QStringLiteral("INSERT INTO \"Personal Information\" (\"First Name\", \"Last Name\") VALUES ('Ann', ?)"),
            {QString::fromLatin1(last)});
    execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"First Name\", \"Last Name\", Active) "
                           "VALUES ('Old', 'Gone', 0)"));
    const qint64 baker =
        rows(QStringLiteral("SELECT PersonalInformationId FROM \"Personal Information\" WHERE \"Last Name\" = "
                            "'Baker'"))[0][0]
            .toLongLong();

    DesignSession session;
    QCOMPARE(session.readClients(), QStringList({"Abbot  Ann", "Baker  Ann"}));
    QCOMPARE(session.clientId(1), QString::number(baker));
    QVERIFY(session.clientId(2).isEmpty());
    QCOMPARE(said(session.addTab(QStringLiteral("Private"), {}, 1)), QString());
    QCOMPARE(session.pages()[0].client, QString::number(baker));
    QCOMPARE(said(session.addTab(QStringLiteral("Public"), {})), QString());
    QVERIFY(session.pages()[1].client.isEmpty());
    QCOMPARE(said(session.generate()), said(Notice{QStringLiteral("Operation Complete")}));

    const auto tabs = rows(QStringLiteral("SELECT TabNam, PersonalInformationId FROM TabInfo WHERE TabEdit = 1"));
    QCOMPARE(tabs.size(), 2);
    QCOMPARE(tabs[0][0].toString(), QStringLiteral("Private"));
    QCOMPARE(tabs[0][1].toLongLong(), baker);
    QCOMPARE(tabs[1][0].toString(), QStringLiteral("Public"));
    QVERIFY(tabs[1][1].isNull());
}

// A definition read back for a client that no identifier can name (left by an older version or
// another tool) is not stored again; the message says which tab and client.
void TestDesignSession::clientThatIsNoNumberIsRefused()
{
    if (PgTestDatabase::wanted())
        QSKIP("Only SQLite keeps a text in an integer column; PostgreSQL refuses it");
    TestDatabaseFolder folder;
    createTab(QStringLiteral("Private"), {QStringLiteral("Notes")});
    execute(QStringLiteral("UPDATE TabInfo SET PersonalInformationId = 'Baker' WHERE TabNam = 'Private'"));
    const auto tabsBefore = rows(QStringLiteral("SELECT * FROM TabInfo"));
    const auto fieldsBefore = rows(QStringLiteral("SELECT * FROM FieldInfo"));

    DesignSession session(true);
    QCOMPARE(said(session.loadEditableTabs()), QString());
    QCOMPARE(said(session.save()),
             said(Notice{QStringLiteral("The tab definitions could not be saved; the previous ones are kept.\r\n"
                                        "The tab \"Private\" is meant for the client \"Baker\", which is not a "
                                        "client number."),
                         Kind::Critical}));
    QCOMPARE(rows(QStringLiteral("SELECT * FROM TabInfo")), tabsBefore);
    QCOMPARE(rows(QStringLiteral("SELECT * FROM FieldInfo")), fieldsBefore);
}

// Positions are whole twips: a stored position that is no number at all is written back as
// Null, which the canvas and the record window treat as they treat the text (the control
// keeps its starting place); a fraction becomes the nearest whole twip, where the canvas puts it.
void TestDesignSession::positionsThatAreNoNumbersAreStoredAsNull()
{
    if (PgTestDatabase::wanted())
        QSKIP("Only SQLite keeps a text in an integer column; PostgreSQL refuses it");
    TestDatabaseFolder folder;
    createTab(QStringLiteral("First Tab"), {QStringLiteral("A")});
    createTab(QStringLiteral("Second Tab"), {QStringLiteral("B")});
    execute(QStringLiteral("UPDATE FieldInfo SET labelLeft = 'left', labelTop = 240.5, fieldLeft = '', "
                           "fieldWidth = 'wide' WHERE FieldName = 'B'"));

    // The second tab is not on the canvas: its fields are written as the field list holds them.
    DesignSession session(true);
    QCOMPARE(said(session.loadEditableTabs()), QString());
    QCOMPARE(session.shownPage(), 0);
    QCOMPARE(said(session.save()), QString());

    const auto fields = storedFields(QStringLiteral("Second Tab"));
    QCOMPARE(fields.size(), 1);
    QVERIFY(fields[0][1].isNull());                           // labelLeft
    QCOMPARE(fields[0][2].toString(), QStringLiteral("241")); // labelTop
    QVERIFY(fields[0][3].isNull());                           // fieldLeft
    QCOMPARE(fields[0][4].toInt(), 830);                      // fieldTop, as it was
    QVERIFY(fields[0][5].isNull());                           // fieldWidth
}

// Creating the tables alone (the window's CreateAccessTable and Cdcd) writes no definitions.
void TestDesignSession::tablesWithoutDefinitions()
{
    TestDatabaseFolder folder;
    DesignSession session;
    QCOMPARE(said(session.addTab(QStringLiteral("Client Notes"), {})), QString());
    QCOMPARE(said(session.addField(QStringLiteral("Notes"), {})), QString());
    QCOMPARE(said(session.createTables()), QString());
    QCOMPARE(columnNames(QStringLiteral("Client Notes")).value(3), QStringLiteral("Notes"));

    QCOMPARE(said(session.addField(QStringLiteral("Next Step"), {})), QString());
    session.createTable(QStringLiteral("Client Notes")); // exists: left as it is
    QCOMPARE(columnNames(QStringLiteral("Client Notes")).size(), 4);
    QCOMPARE(said(session.createTables()), QString());
    QCOMPARE(columnNames(QStringLiteral("Client Notes")).value(4), QStringLiteral("Next Step"));
    QVERIFY(rows(QStringLiteral("SELECT * FROM TabInfo WHERE TabEdit = 1")).isEmpty());

    session.createTable(QStringLiteral("Loose Table"));
    QCOMPARE(columnNames(QStringLiteral("Loose Table")),
             QStringList({"LooseTableId", "PersonalInformationId", "LooseTableDate"}));
    if (!PgTestDatabase::wanted()) {                           // names beginning with "sqlite_" are SQLite's own
        session.createTable(QStringLiteral("sqlite_refused")); // the engine refuses it, silently
        QVERIFY(!hasTable(QStringLiteral("sqlite_refused")));
    }
}

void TestDesignSession::alignmentNeedsSelection()
{
    TestDatabaseFolder folder;
    DesignSession session;
    QCOMPARE(said(session.addTab(QStringLiteral("Client Notes"), {})), QString());
    for (const char* name : {"One", "Two"})
        QCOMPARE(said(session.addField(QString::fromLatin1(name), {})), QString());
    const Notice select{QStringLiteral("Please select two or more objects")};
    QCOMPARE(said(session.align(DesignerCanvasModel::Alignment::Left)), said(select));

    QVERIFY(session.canvas().moveBox(2, 100, 0));
    session.canvas().select(1);
    session.canvas().select(2);
    QCOMPARE(said(session.align(DesignerCanvasModel::Alignment::Left)), QString());
    QCOMPARE(session.canvas().field(2).box.left(), 3120);
}

QTEST_MAIN(TestDesignSession)
#include "tst_DesignSession.moc"
