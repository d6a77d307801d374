#include "TestSupport.h"

#include "clients/ClientRecord.h"
#include "clients/RecordState.h"
#include "clients/ui/DisplayExtendedInformation.h"
#include "store/Database.h"
#include "store/Identifier.h"
#include "store/SchemaCatalog.h"
#include "store/StoreError.h"
#include "store/Transaction.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTabBar>

namespace {

const QString Personal = QStringLiteral("Personal Information");
const QString Phone = QStringLiteral("Home Phone Number");

qint64 addClient(const QString& firstName, qint64 id = 0)
{
    CLsDataBaseConnection connection;
    const Database& db = connection.database();
    if (id > 0)
        db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (PersonalInformationId, \"First Name\", City) "
                                  "VALUES (?, ?, 'Oldtown')"),
                   {id, firstName});
    else
        db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"First Name\", City) VALUES (?, 'Oldtown')"),
                   {firstName});
    return db.lastInsertRowId();
}

SchemaCatalog::ColumnInfo column(const QString& name, const QString& type)
{
    SchemaCatalog::ColumnInfo info;
    info.name = name;
    info.type = type;
    return info;
}

// A designed tab: its definition, its fields and (unless `columns` is empty) its table,
// whose text columns are `columns`.
void addTab(const QString& name, const QStringList& fields, const QStringList& columns, const QVariant& owner = {})
{
    CLsDataBaseConnection connection;
    const Database& db = connection.database();
    if (!columns.isEmpty()) {
        std::vector<SchemaCatalog::ColumnInfo> definition{
            column(QStringLiteral("TabRowId"), QStringLiteral("INTEGER")),
            column(QStringLiteral("PersonalInformationId"), QStringLiteral("INTEGER"))};
        definition.front().autoIncrement = true;
        for (const QString& name : columns)
            definition.push_back(column(name, QStringLiteral("TEXT")));
        SchemaCatalog(db).createTable(name, definition);
    }
    db.execute(QStringLiteral("INSERT INTO TabInfo (TabNam, TabDescription, PersonalInformationId) VALUES (?, '', ?)"),
               {name, owner});
    const qint64 tabId = db.lastInsertRowId();
    int order = 0;
    for (const QString& field : fields)
        db.execute(QStringLiteral("INSERT INTO FieldInfo (TabId, FieldName, labelLeft, labelTop, fieldLeft, fieldTop, "
                                  "fieldWidth, FieldDisplayOrder) VALUES (?, ?, 240, ?, 2040, ?, 4000, ?)"),
                   {tabId, field, 360 + order * 600, 360 + order * 600, ++order});
}

QVariant stored(const QString& table, const QString& column, qint64 client)
{
    CLsDataBaseConnection connection;
    return connection.database().scalar(QStringLiteral("SELECT %1 FROM %2 WHERE PersonalInformationId = ?")
                                            .arg(quoteIdentifier(column), quoteIdentifier(table)),
                                        {client});
}

qint64 count(const QString& table)
{
    CLsDataBaseConnection connection;
    return connection.database()
        .scalar(QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(table)))
        .toLongLong();
}

std::unique_ptr<DisplayExtendedInformation> open(qint64 client, const QString& mode = {})
{
    auto window = std::make_unique<DisplayExtendedInformation>();
    window->PersonalInformationId = client;
    window->PersonalName =
        mode == QLatin1String("New") ? QStringLiteral("New Client Information") : QStringLiteral("X");
    window->Mode = mode;
    window->load();
    window->show();
    return window;
}

QStringList tabs(const QWidget& window)
{
    const auto* strip = window.findChild<QTabBar*>(QStringLiteral("TabStrip1"));
    QStringList captions;
    for (int i = 0; i < strip->count(); ++i)
        captions.append(strip->tabText(i).replace(QStringLiteral("&&"), QStringLiteral("&")));
    return captions;
}

void selectTab(const QWidget& window, const QString& caption)
{
    auto* strip = window.findChild<QTabBar*>(QStringLiteral("TabStrip1"));
    const int index = tabs(window).indexOf(caption);
    QVERIFY2(index >= 0, qPrintable(caption));
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(index).center());
    QTRY_COMPARE(strip->currentIndex(), index);
}

QLineEdit* box(const QWidget& window, const QString& field)
{
    for (QLineEdit* edit : window.findChildren<QLineEdit*>()) {
        if (edit->accessibleName() == field)
            return edit;
    }
    return nullptr;
}

void type(const QWidget& window, const QString& field, const QString& text)
{
    QLineEdit* edit = box(window, field);
    QVERIFY2(edit, qPrintable(field));
    edit->clear();
    QTest::keyClicks(edit, text);
}

void click(const QWidget& window, const char* name)
{
    auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY(button && button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
}

// What the second of two editors of one client types after the first saved the phone.
void concurrentEditRows()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("saved");
    QTest::newRow("another field") << QStringLiteral("City") << QStringLiteral("typed later") << true;
    QTest::newRow("the same field") << Phone << QStringLiteral("typed later") << false;
    QTest::newRow("the same field, same text") << Phone << QStringLiteral("555 0101") << true;
}

QString saveError()
{
    return QStringLiteral("Error saving information to this form.\nPlease regenerate database and try again");
}

} // namespace

class TestRecordWindow : public QObject
{
    Q_OBJECT

private slots:
    void clientSpecificTab_data()
    {
        QTest::addColumn<int>("who"); // 0 the owner, 1 another client, 2 a new client
        QTest::addColumn<bool>("shown");
        QTest::newRow("owner") << 0 << true;
        QTest::newRow("other client") << 1 << false;
        QTest::newRow("new client") << 2 << false;
    }

    void clientSpecificTab()
    {
        QFETCH(int, who);
        QFETCH(bool, shown);
        TestAppFolder app;
        const qint64 owner = addClient(QStringLiteral("Ann"));
        const qint64 other = addClient(QStringLiteral("Bob"));
        addTab(QStringLiteral("Private"), {QStringLiteral("Note")}, {QStringLiteral("Note")}, owner);
        addTab(QStringLiteral("Shared"), {QStringLiteral("Hobby")}, {QStringLiteral("Hobby")});

        auto window = who == 2 ? open(0, QStringLiteral("New")) : open(who == 0 ? owner : other);
        QStringList expected{Personal, QStringLiteral("Shared")};
        if (shown)
            expected.insert(1, QStringLiteral("Private"));
        if (who != 2)
            expected << QStringLiteral("Resources") << QStringLiteral("Attachments")
                     << QStringLiteral("Conferences/Meetings");
        QCOMPARE(tabs(*window), expected);
    }

    void tabWithoutTableGivesNoTab()
    {
        TestAppFolder app;
        addTab(QStringLiteral("Ghost"), {QStringLiteral("Spirit")}, {});
        ClientRecord record(addClient(QStringLiteral("Ann")));
        record.load();
        QCOMPARE(record.tabs().size(), size_t(1));
        QCOMPARE(record.tabs().front().name, Personal);
    }

    void fieldsArePlacedAndBound()
    {
        TestAppFolder app;
        const qint64 client = addClient(QStringLiteral("Ann"));
        auto window = open(client);
        auto* first = window->findChild<QLineEdit*>(QStringLiteral("Text1_1"));
        QVERIFY(first);
        QCOMPARE(first->toolTip(), QStringLiteral("First Name"));
        QCOMPARE(first->text(), QStringLiteral("Ann"));
        QVERIFY(first->isReadOnly());
        QCOMPARE(first->geometry(), Twips::rect(2040, 360, 4560, 375));
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label1_1"))->buddy(), first);
        QCOMPARE(window->findChildren<QLineEdit*>().size(), 16);
    }

    void nonNumericWidthKeepsPatternWidth()
    {
        if (PgTestDatabase::wanted())
            QSKIP("Only SQLite keeps a text in an integer column; PostgreSQL refuses it");
        TestAppFolder app;
        addTab(QStringLiteral("Extra"), {QStringLiteral("Note")}, {QStringLiteral("Note")});
        CLsDataBaseConnection().Execute(
            QStringLiteral("UPDATE FieldInfo SET fieldWidth = 'wide' WHERE FieldName = 'Note'"));
        auto window = open(addClient(QStringLiteral("Ann")));
        selectTab(*window, QStringLiteral("Extra"));
        QCOMPARE(box(*window, QStringLiteral("Note"))->width(), Twips::toPixelsX(8775));
    }

    void fixedTabsSetTheEditCaption_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("resources") << "Resources"
                                   << "Assign Resource" << QByteArray(SIGNAL(assignResourceRequested()));
        QTest::newRow("attachments") << "Attachments"
                                     << "UpLoad" << QByteArray(SIGNAL(uploadRequested()));
        QTest::newRow("meetings") << "Conferences/Meetings"
                                  << "Add Event" << QByteArray(SIGNAL(addEventRequested()));
    }

    void fixedTabsSetTheEditCaption()
    {
        QFETCH(QString, tab);
        QFETCH(QString, caption);
        QFETCH(QByteArray, signal);
        TestAppFolder app;
        auto window = open(addClient(QStringLiteral("Ann")));
        QSignalSpy spy(window.get(), signal.constData());
        selectTab(*window, tab);
        auto* edit = window->findChild<QPushButton*>(QStringLiteral("cmdEdit"));
        QCOMPARE(edit->text(), caption);
        QVERIFY(!window->findChild<QPushButton*>(QStringLiteral("cmdDelete"))->isVisible());
        QCOMPARE(window->findChild<QCheckBox*>(QStringLiteral("Check1"))->isVisible(), tab == "Attachments");
        click(*window, "cmdEdit");
        QCOMPARE(spy.count(), 1);
        selectTab(*window, Personal);
        QCOMPARE(edit->text(), QStringLiteral("Edit"));
        QVERIFY(window->findChild<QPushButton*>(QStringLiteral("cmdDelete"))->isVisible());
    }

    void newClientKeepsTypedValuesAcrossTabs()
    {
        TestAppFolder app;
        addTab(QStringLiteral("Extra"), {QStringLiteral("Note")}, {QStringLiteral("Note")});
        auto window = open(0, QStringLiteral("New"));
        QSignalSpy saved(window.get(), &DisplayExtendedInformation::clientSaved);
        type(*window, QStringLiteral("Last Name"), QStringLiteral("Zeta"));
        selectTab(*window, QStringLiteral("Extra"));
        type(*window, QStringLiteral("Note"), QStringLiteral("likes tea"));
        selectTab(*window, Personal);
        QCOMPARE(box(*window, QStringLiteral("Last Name"))->text(), QStringLiteral("Zeta"));
        click(*window, "cmdEdit"); // "Save"

        QCOMPARE(saved.count(), 1);
        const qint64 id = saved.at(0).at(0).toLongLong();
        QCOMPARE(stored(Personal, QStringLiteral("Last Name"), id).toString(), QStringLiteral("Zeta"));
        QCOMPARE(stored(Personal, QStringLiteral("Active"), id).toInt(), 1);
        QCOMPARE(stored(QStringLiteral("Extra"), QStringLiteral("Note"), id).toString(), QStringLiteral("likes tea"));
        QTRY_VERIFY(!window->isVisible());
    }

    void newClientFailureStoresNothing()
    {
        TestAppFolder app;
        addTab(QStringLiteral("Broken"), {QStringLiteral("Missing")}, {QStringLiteral("Other")});
        auto window = open(0, QStringLiteral("New"));
        type(*window, QStringLiteral("Last Name"), QStringLiteral("Zeta"));
        click(*window, "cmdEdit");
        QCOMPARE(app.messages->last().text, saveError());
        QCOMPARE(app.messages->last().icon, MessageBox::Critical);
        QCOMPARE(count(Personal), 0);
        QVERIFY(window->isVisible());
        QCOMPARE(window->Mode, QStringLiteral("New"));
    }

    void editSaveChangesTheRow()
    {
        TestAppFolder app;
        addTab(QStringLiteral("Extra"), {QStringLiteral("Note")}, {QStringLiteral("Note")});
        const qint64 client = addClient(QStringLiteral("Ann"));
        auto window = open(client);
        click(*window, "cmdEdit");
        QCOMPARE(window->Mode, QStringLiteral("Edit"));
        QCOMPARE(tabs(*window), QStringList({Personal, QStringLiteral("Extra")}));
        QCOMPARE(window->findChild<QPushButton*>(QStringLiteral("cmdDelete"))->text(), QStringLiteral("Save"));
        type(*window, QStringLiteral("City"), QStringLiteral("Newport"));
        click(*window, "cmdDelete");

        QCOMPARE(stored(Personal, QStringLiteral("City"), client).toString(), QStringLiteral("Newport"));
        QCOMPARE(stored(Personal, QStringLiteral("First Name"), client).toString(), QStringLiteral("Ann"));
        QCOMPARE(count(QStringLiteral("Extra")), 1); // the missing row was added
        QCOMPARE(window->Mode, QString());
        QCOMPARE(tabs(*window).mid(2), QStringList({QStringLiteral("Attachments"), QStringLiteral("Resources"),
                                                    QStringLiteral("Conferences/Meetings")}));
        QVERIFY(box(*window, QStringLiteral("City"))->isReadOnly());
    }

    void cancelKeepsTheStoredRow()
    {
        TestAppFolder app;
        const qint64 client = addClient(QStringLiteral("Ann"));
        auto window = open(client);
        click(*window, "cmdEdit");
        type(*window, QStringLiteral("City"), QStringLiteral("Newport"));
        click(*window, "cmdCancel");
        QCOMPARE(stored(Personal, QStringLiteral("City"), client).toString(), QStringLiteral("Oldtown"));
        QCOMPARE(box(*window, QStringLiteral("City"))->text(), QStringLiteral("Newport"));
        QVERIFY(box(*window, QStringLiteral("City"))->isReadOnly());
        QVERIFY(!window->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->isVisible());
    }

    void deleteRetiresTheClient_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("active");
        QTest::newRow("yes") << int(MessageBox::Yes) << 0;
        QTest::newRow("no") << int(MessageBox::No) << 1;
    }

    void deleteRetiresTheClient()
    {
        QFETCH(int, answer);
        QFETCH(int, active);
        TestAppFolder app;
        addTab(QStringLiteral("Extra"), {QStringLiteral("Note")}, {QStringLiteral("Note")});
        const qint64 client = addClient(QStringLiteral("Ann"));
        CLsDataBaseConnection connection;
        connection.Execute(QStringLiteral("INSERT INTO Extra (PersonalInformationId, Note) VALUES (?, 'x')"), {client});
        connection.DbClose();
        auto window = open(client);
        app.messages->setNextAnswer(static_cast<MessageBox::Button>(answer));
        click(*window, "cmdDelete");
        QCOMPARE(app.messages->last().text,
                 QStringLiteral("You are about to delete this client from the database\nDo you want to continue"));
        QCOMPARE(app.messages->last().buttons, MessageBox::YesNo);
        QCOMPARE(stored(Personal, QStringLiteral("Active"), client).toInt(), active);
        QCOMPARE(count(Personal), 1);
        QCOMPARE(stored(QStringLiteral("Extra"), QStringLiteral("Note"), client).toString(), QStringLiteral("x"));
        QTRY_COMPARE(window->isVisible(), active == 1);
    }

    void failedSaveLeavesEveryTabUnchanged()
    {
        TestAppFolder app;
        addTab(QStringLiteral("Broken"), {QStringLiteral("Missing")}, {QStringLiteral("Other")});
        const qint64 client = addClient(QStringLiteral("Ann"));
        auto window = open(client);
        click(*window, "cmdEdit");
        type(*window, QStringLiteral("First Name"), QStringLiteral("Changed"));
        click(*window, "cmdDelete");
        QCOMPARE(app.messages->last().text, saveError());
        QCOMPARE(app.messages->last().title, QStringLiteral("Orvanta"));
        QCOMPARE(app.messages->last().icon, MessageBox::Critical);
        QCOMPARE(stored(Personal, QStringLiteral("First Name"), client).toString(), QStringLiteral("Ann"));
        QCOMPARE(count(QStringLiteral("Broken")), 0);
        QCOMPARE(window->Mode, QStringLiteral("Edit"));
    }

    void largeIdentifierOpens()
    {
        TestAppFolder app;
        addClient(QStringLiteral("Forty"), 40000);
        auto window = open(40000);
        QCOMPARE(box(*window, QStringLiteral("First Name"))->text(), QStringLiteral("Forty"));
        QSignalSpy spy(window.get(), &DisplayExtendedInformation::activated);
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(window.get(), &activate);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toLongLong(), qint64(40000));
    }

    void activationInsideTheMainArea()
    {
        TestAppFolder app;
        const qint64 client = addClient(QStringLiteral("Ann"));
        QMdiArea area;
        auto* window = new DisplayExtendedInformation;
        window->PersonalInformationId = client;
        QSignalSpy spy(window, &DisplayExtendedInformation::activated);
        QMdiSubWindow* sub = area.addSubWindow(window);
        area.show();
        sub->show();
        area.setActiveSubWindow(sub);
        QTRY_VERIFY(!spy.isEmpty());
        QCOMPARE(spy.last().at(0).toLongLong(), client);
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdClose")), Qt::LeftButton);
        QTRY_VERIFY(area.subWindowList().isEmpty() || !sub->isVisible());
    }

    void tabNameWithBlanksQuotesAndAmpersand()
    {
        TestAppFolder app;
        const QString name = QStringLiteral("Ann's \"R&D\" Tab");
        addTab(name, {QStringLiteral("Pet Name")}, {QStringLiteral("Pet Name")});
        const qint64 client = addClient(QStringLiteral("Ann"));
        auto window = open(client);
        selectTab(*window, name);
        click(*window, "cmdEdit");
        type(*window, QStringLiteral("Pet Name"), QStringLiteral("Rex"));
        click(*window, "cmdDelete");
        QCOMPARE(stored(name, QStringLiteral("Pet Name"), client).toString(), QStringLiteral("Rex"));
        selectTab(*window, Personal);
        selectTab(*window, name);
        QCOMPARE(box(*window, QStringLiteral("Pet Name"))->text(), QStringLiteral("Rex"));
    }

    // Two records of one client, loaded before either saves: the later save writes only what
    // it changed, and refuses when what it changed was changed by the other in the meantime.
    void twoRecordsOfOneClient_data() { concurrentEditRows(); }

    void twoRecordsOfOneClient()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, saved);
        TestAppFolder app;
        addTab(QStringLiteral("Extra"), {QStringLiteral("Note")}, {QStringLiteral("Note")});
        const qint64 client = addClient(QStringLiteral("Ann"));
        ClientRecord first(client);
        ClientRecord second(client);
        for (ClientRecord* record : {&first, &second}) {
            record->load();
            record->loadStoredValues();
        }
        first.setValue(Personal, Phone, QStringLiteral("555 0101"));
        QVERIFY(first.save().saved());

        second.setValue(Personal, field, text);
        second.setValue(QStringLiteral("Extra"), QStringLiteral("Note"), QStringLiteral("noted"));
        const ClientRecord::SaveOutcome outcome = second.save();
        QCOMPARE(outcome.saved(), saved);
        QCOMPARE(stored(Personal, Phone, client).toString(), QStringLiteral("555 0101"));
        QCOMPARE(stored(Personal, QStringLiteral("First Name"), client).toString(), QStringLiteral("Ann"));
        if (saved) {
            QCOMPARE(stored(Personal, field, client).toString(), text);
            QCOMPARE(stored(QStringLiteral("Extra"), QStringLiteral("Note"), client).toString(),
                     QStringLiteral("noted"));
            // Fields neither record changed keep their Null.
            QVERIFY(stored(Personal, QStringLiteral("Last Name"), client).isNull());
        } else {
            QCOMPARE(outcome.changedElsewhere, QStringList{Phone});
            QVERIFY(stored(QStringLiteral("Extra"), QStringLiteral("Note"), client).isNull()); // nothing was written
            QCOMPARE(second.value(Personal, Phone), text);
            // Loading again takes the stored value as the one to compare with.
            second.loadStoredValues();
            second.setValue(Personal, Phone, QStringLiteral("555 0202"));
            QVERIFY(second.save().saved());
            QCOMPARE(stored(Personal, Phone, client).toString(), QStringLiteral("555 0202"));
        }
    }

    // The same through two record windows on one client.
    void twoWindowsOfOneClient_data() { concurrentEditRows(); }

    void twoWindowsOfOneClient()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, saved);
        TestAppFolder app;
        const qint64 client = addClient(QStringLiteral("Ann"));
        auto earlier = open(client);
        click(*earlier, "cmdEdit");
        auto later = open(client);
        click(*later, "cmdEdit");
        type(*later, Phone, QStringLiteral("555 0101"));
        click(*later, "cmdDelete"); // "Save"
        QCOMPARE(later->Mode, QString());
        QCOMPARE(stored(Personal, Phone, client).toString(), QStringLiteral("555 0101"));

        type(*earlier, field, text);
        click(*earlier, "cmdDelete");
        QCOMPARE(stored(Personal, Phone, client).toString(), QStringLiteral("555 0101"));
        if (saved) {
            QVERIFY(app.messages->shown().isEmpty());
            QCOMPARE(stored(Personal, field, client).toString(), text);
            QCOMPARE(earlier->Mode, QString());
            return;
        }
        QCOMPARE(app.messages->shown().size(), 1);
        const QString message = app.messages->last().text;
        QCOMPARE(app.messages->last().title, QStringLiteral("Orvanta"));
        QVERIFY2(message.contains(QStringLiteral("changed elsewhere")) && message.contains(Phone) &&
                     message.contains(QStringLiteral("Nothing was saved")),
                 qPrintable(message));
        // Still editing, with what was typed, until the user loads the record again.
        QCOMPARE(earlier->Mode, QStringLiteral("Edit"));
        QCOMPARE(box(*earlier, Phone)->text(), text);
        QVERIFY(!box(*earlier, Phone)->isReadOnly());
        click(*earlier, "cmdDelete");
        QCOMPARE(app.messages->shown().size(), 2);
        QCOMPARE(stored(Personal, Phone, client).toString(), QStringLiteral("555 0101"));
        click(*earlier, "cmdCancel");
        click(*earlier, "cmdEdit");
        QCOMPARE(box(*earlier, Phone)->text(), QStringLiteral("555 0101"));
    }

    // A database held locked by another program: the user is told, nothing is written, and
    // the window keeps what was typed until Save is tried again.
    void lockedDatabaseKeepsTheTypedValues_data()
    {
        QTest::addColumn<bool>("newClient");
        QTest::newRow("edited client") << false;
        QTest::newRow("new client") << true;
    }

    void lockedDatabaseKeepsTheTypedValues()
    {
        QFETCH(bool, newClient);
        TestAppFolder app;
        const qint64 client = newClient ? 0 : addClient(QStringLiteral("Ann"));
        auto window = open(client, newClient ? QStringLiteral("New") : QString());
        const char* save = newClient ? "cmdEdit" : "cmdDelete";
        if (!newClient)
            click(*window, "cmdEdit");
        type(*window, QStringLiteral("City"), QStringLiteral("Newport"));

        Database::setBusyTimeout(50);
        const auto restore = qScopeGuard([] { Database::setBusyTimeout(-1); });
        {
            CLsDataBaseConnection holder;
            Transaction hold(holder.database());
            holder.database().execute(QStringLiteral("UPDATE Security SET UserName = UserName"));
            click(*window, save);
            QCOMPARE(app.messages->shown().size(), 1);
            QVERIFY2(app.messages->last().text.startsWith(
                         QStringLiteral("Another program is using the database. Nothing was saved.")),
                     qPrintable(app.messages->last().text));
            QCOMPARE(app.messages->last().title, QStringLiteral("Orvanta"));
            QVERIFY(window->isVisible());
            QCOMPARE(window->Mode, newClient ? QStringLiteral("New") : QStringLiteral("Edit"));
            QCOMPARE(box(*window, QStringLiteral("City"))->text(), QStringLiteral("Newport"));
        }
        QCOMPARE(count(Personal), newClient ? 0 : 1);

        click(*window, save);
        QCOMPARE(app.messages->shown().size(), 1);
        QCOMPARE(stored(Personal, QStringLiteral("City"), 1).toString(), QStringLiteral("Newport")); // the one client
    }

    // Definitions named like a list tab, from an older or hand-edited database, with a table
    // of that name ("Resources" is the library's own): no second tab of that name, no fields
    // over the list, and saving the client is not disturbed.
    void tabNamedLikeAListTab()
    {
        TestAppFolder app;
        addTab(QStringLiteral("Resources"), {QStringLiteral("Shelf")}, {});
        addTab(QStringLiteral("Conferences/Meetings"), {QStringLiteral("Room")}, {QStringLiteral("Room")});
        const qint64 client = addClient(QStringLiteral("Ann"));
        ClientRecord record(client);
        record.load();
        QCOMPARE(record.tabs().size(), size_t(1));
        QVERIFY(record.fieldsOf(QStringLiteral("Resources")).empty());

        auto window = open(client);
        QCOMPARE(tabs(*window), QStringList{Personal} + RecordState::fixedTabs());
        for (const QString& tab : RecordState::fixedTabs()) {
            selectTab(*window, tab);
            QVERIFY(!box(*window, QStringLiteral("Shelf")) && !box(*window, QStringLiteral("Room")));
        }
        selectTab(*window, Personal);
        click(*window, "cmdEdit");
        type(*window, QStringLiteral("City"), QStringLiteral("Newport"));
        click(*window, "cmdDelete");
        QVERIFY(app.messages->shown().isEmpty());
        QCOMPARE(window->Mode, QString());
        QCOMPARE(stored(Personal, QStringLiteral("City"), client).toString(), QStringLiteral("Newport"));
        QCOMPARE(count(QStringLiteral("Conferences/Meetings")), 0);
    }
};

QTEST_MAIN(TestRecordWindow)
#include "tst_recordwindow.moc"
