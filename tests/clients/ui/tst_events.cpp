#include "TestSupport.h"
#include "clients/EventEntry.h"
#include "clients/EventNotesPdf.h"
#include "clients/EventTime.h"
#include "clients/ui/frmMeeting.h"
#include "clients/ui/frmSelectClient.h"
#include "platform/QtTextPrinter.h"
#include "store/Database.h"
#include "store/StoreError.h"
#include "store/Transaction.h"
#include "widgets/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

namespace {

const QDateTime Now(QDate(2024, 3, 5), QTime(10, 30, 15));

Database database()
{
    return Database(CLsDataBaseConnection::databasePath());
}

qint64 addClient(const QString& last, const QVariant& middle, const QString& first, int active = 1)
{
    const Database db = database();
    db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"Last Name\", \"Middle Name\", \"First Name\", "
                              "Active) VALUES (?, ?, ?, ?)"),
               {last, middle, first, active});
    return db.lastInsertRowId();
}

qint64 addAttachment(qint64 clientId, const QString& name, int version)
{
    const Database db = database();
    db.execute(QStringLiteral("INSERT INTO Attachments (PersonalInformationId, AttachmentsName, AttachmentVersion) "
                              "VALUES (?, ?, ?)"),
               {clientId, name, version});
    return db.lastInsertRowId();
}

qint64 meetingCount()
{
    return database().scalar(QStringLiteral("SELECT count(*) FROM MeetingInfo")).toLongLong();
}

// The columns of the one stored event, all but the entry date.
QVariantList storedMeeting()
{
    const Database db = database();
    QVariantList row;
    for (const char* column : {"PersonalInformationId", "MeetingDate", "MeetingType", "MeetingCatagory",
                               "MeetingSubject", "MeetingStartTime", "MeetingEndTime", "MeetingNotes"})
        row.append(db.scalar(QStringLiteral("SELECT %1 FROM MeetingInfo").arg(QString::fromLatin1(column))));
    return row;
}

template <typename T>
T* control(QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

void type(QWidget& window, const char* box, const QString& text)
{
    auto* edit = control<QLineEdit>(window, box);
    edit->clear();
    QTest::keyClicks(edit, text);
}

void click(QWidget& window, const char* button)
{
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

} // namespace

class TestEvents : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        EventTime::setClock([] { return Now; });
    }
    void cleanup()
    {
        EventTime::setClock({});
        QLocale::setDefault(QLocale::system());
    }
    void parsesTypedDatesAndTimes_data();
    void parsesTypedDatesAndTimes();
    void entryModeDefaults();
    void viewModeIsReadOnly();
    void saveRefused_data();
    void saveRefused();
    void endTimeFilledAtSave();
    void lockedDatabaseKeepsTheEvent();
    void handOverCarriesEventUntilOk();
    void lockedDatabaseKeepsThePickersChoice_data();
    void lockedDatabaseKeepsThePickersChoice();
    void pickerWithoutActiveClient();
    void pickerOffersActiveClientsOnly();
    void reassignMovesOneVersion();
    void printsNoteLineByLine();
    void savesNotesAsPdf();
};

void TestEvents::parsesTypedDatesAndTimes_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    const auto row = [](const char* name, const char* locale, const char* text, QDate date, QTime time) {
        QTest::newRow(name) << QString::fromLatin1(locale) << QString::fromLatin1(text) << date << time;
    };
    row("iso date", "en_US", "2024-01-05", QDate(2024, 1, 5), QTime());
    row("two-digit year", "en_US", "1/5/24", QDate(2024, 1, 5), QTime());
    row("four-digit year", "en_US", "1/5/1999", QDate(1999, 1, 5), QTime());
    row("german", "de_DE", "05.01.24", QDate(2024, 1, 5), QTime());
    row("pm", "en_US", "3:04 PM", QDate(), QTime(15, 4));
    row("pm with seconds", "en_US", "3:04:05 PM", QDate(), QTime(15, 4, 5));
    row("iso time", "en_US", "09:05", QDate(), QTime(9, 5));
    row("with seconds", "de_DE", "9:05:30", QDate(), QTime(9, 5, 30));
    row("neither", "de_DE", "tomorrow", QDate(), QTime());
    row("bad hour", "de_DE", "25:00", QDate(), QTime());
}

void TestEvents::parsesTypedDatesAndTimes()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(EventTime::parseDate(text), date);
    QCOMPARE(EventTime::parseTime(text), time);
    // What the dialog shows, it reads back.
    QCOMPARE(EventTime::parseDate(EventTime::dateText(Now.date())), Now.date());
    QCOMPARE(EventTime::parseTime(EventTime::timeText(Now.time())), Now.time());
}

void TestEvents::entryModeDefaults()
{
    TestAppFolder app;
    frmMeeting window;
    window.PersonalInformationId = 1;
    window.show();
    QVERIFY(window.isLoaded());
    QCOMPARE(window.size(), Twips::size(9435, 7875));
    QCOMPARE(control<QListWidget>(window, "lstEventType")->count(), 4);
    QCOMPARE(control<QListWidget>(window, "lstEventType")->selectedItems().value(0)->text(), QStringLiteral("Meeting"));
    QCOMPARE(control<QListWidget>(window, "lstCategory")->selectedItems().value(0)->text(), QStringLiteral("General"));
    QCOMPARE(control<QLineEdit>(window, "txtEventDate")->text(), EventTime::dateText(Now.date()));
    QCOMPARE(control<QLineEdit>(window, "txtEventStartTime")->text(), EventTime::timeText(Now.time()));
    QVERIFY(!control<QPushButton>(window, "cmdPrint")->isEnabled());
    QVERIFY(!control<QPushButton>(window, "cmdSavePdf")->isEnabled());
    QCOMPARE(control<QLineEdit>(window, "txtEventPurpose")->accessibleName(), QStringLiteral("Event Title"));
}

void TestEvents::viewModeIsReadOnly()
{
    TestAppFolder app;
    frmMeeting window;
    window.AddView = false;
    EventEntry stored;
    stored.EventType = QStringLiteral("Phone Call");
    stored.EventCategory = QStringLiteral("Billing");
    stored.EventDate = QStringLiteral("2024-01-05");
    window.setEvent(stored);
    window.load();
    for (const char* list : {"lstEventType", "lstCategory"}) {
        QCOMPARE(control<QListWidget>(window, list)->count(), 1);
        QVERIFY(control<QListWidget>(window, list)->selectedItems().isEmpty());
    }
    QCOMPARE(control<QListWidget>(window, "lstEventType")->item(0)->text(), QStringLiteral("Phone Call"));
    QCOMPARE(control<QLineEdit>(window, "txtEventDate")->text(), EventTime::dateText(QDate(2024, 1, 5)));
    for (const char* box : {"txtEventDate", "txtEventPurpose", "txtEventStartTime", "txtEventEndTime"})
        QVERIFY(control<QLineEdit>(window, box)->isReadOnly());
    QVERIFY(control<QPlainTextEdit>(window, "txtEventNotes")->isReadOnly());
    for (const char* button : {"cmdSave", "cmdClear", "cmdStartTime", "cmdEndTime"})
        QVERIFY(!control<QPushButton>(window, button)->isEnabled());
    QVERIFY(control<QPushButton>(window, "cmdPrint")->isEnabled());
    QVERIFY(control<QPushButton>(window, "cmdSavePdf")->isEnabled());
}

void TestEvents::saveRefused_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("message");
    const auto row = [](const char* name, const char* start, const char* title, const char* end, const char* message) {
        QTest::newRow(name) << QString::fromLatin1(start) << QString::fromLatin1(title) << QString::fromLatin1(end)
                            << QString::fromLatin1(message);
    };
    row("neither", "", "", "", "Invalid start time");
    row("no start", "", "Visit", "", "Invalid start time");
    row("no title", "09:00", "", "", "Invalid event title");
    row("start", "noon", "Visit", "", "The Start Time \"noon\" is not a time.");
    row("end", "09:00", "Visit", "25:00", "The End Time \"25:00\" is not a time.");
    row("no type", "09:00", "Visit", "", "There is no event type to choose.");
}

void TestEvents::saveRefused()
{
    QFETCH(QString, start);
    QFETCH(QString, title);
    QFETCH(QString, end);
    QFETCH(QString, message);
    TestAppFolder app;
    if (QByteArray(QTest::currentDataTag()) == "no type")
        database().execute(QStringLiteral("UPDATE EventInfo SET EventActive = 0"));
    frmMeeting window;
    window.PersonalInformationId = 1;
    window.show();
    type(window, "txtEventStartTime", start);
    type(window, "txtEventPurpose", title);
    type(window, "txtEventEndTime", end);
    click(window, "cmdSave");
    QCOMPARE(app.messages->shown().size(), 1);
    QVERIFY(app.messages->last().text.startsWith(message));
    QCOMPARE(app.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(app.messages->last().icon, MessageBox::Critical);
    QVERIFY(window.isVisible());
    QCOMPARE(meetingCount(), 0);
}

void TestEvents::endTimeFilledAtSave()
{
    TestAppFolder app;
    const qint64 client = addClient(QStringLiteral("Smith"), QStringLiteral("J"), QStringLiteral("Ann"));
    frmMeeting window;
    window.PersonalInformationId = client;
    window.show();
    QSignalSpy saved(&window, &frmMeeting::eventSaved);
    control<QListWidget>(window, "lstCategory")->setCurrentRow(1);
    type(window, "txtEventStartTime", QStringLiteral("9:00"));
    type(window, "txtEventPurpose", QStringLiteral("O'Brien's visit"));
    QTest::keyClicks(control<QPlainTextEdit>(window, "txtEventNotes"), QStringLiteral("Brought papers"));
    click(window, "cmdSave");
    QCOMPARE(control<QLineEdit>(window, "txtEventEndTime")->text(), EventTime::timeText(Now.time()));
    QVERIFY(app.messages->shown().isEmpty());
    QCOMPARE(saved.size(), 1);
    QCOMPARE(saved.at(0).at(0).toLongLong(), client);
    QTRY_VERIFY(!window.isVisible());
    QCOMPARE(storedMeeting(),
             (QVariantList{client, QStringLiteral("2024-03-05"), QStringLiteral("Meeting"), QStringLiteral("Billing"),
                           QStringLiteral("O'Brien's visit"), QStringLiteral("09:00:00"), QStringLiteral("10:30:15"),
                           QStringLiteral("Brought papers")}));
}

// Another program holding the database locked is not a fault of the database: the user is
// told so, nothing is written, and the dialog keeps what was typed so that Save can be
// tried again.
// Writes as another program in the middle of its work does: the windows' writes wait for it.
// On PostgreSQL a lone statement on another table would not wait, so the tables the windows
// write are held too.
static void holdWrites(const Database& db)
{
    db.execute(QStringLiteral("UPDATE Security SET UserName = UserName"));
    if (PgTestDatabase::wanted())
        db.execute(QStringLiteral("LOCK TABLE MeetingInfo, Attachments IN EXCLUSIVE MODE"));
}

void TestEvents::lockedDatabaseKeepsTheEvent()
{
    TestAppFolder app;
    const qint64 client = addClient(QStringLiteral("Smith"), QStringLiteral("J"), QStringLiteral("Ann"));
    frmMeeting window;
    window.PersonalInformationId = client;
    window.show();
    QSignalSpy saved(&window, &frmMeeting::eventSaved);
    type(window, "txtEventPurpose", QStringLiteral("Visit"));
    type(window, "txtEventEndTime", QStringLiteral("11:00"));
    QTest::keyClicks(control<QPlainTextEdit>(window, "txtEventNotes"), QStringLiteral("Brought papers"));
    auto* save = control<QPushButton>(window, "cmdSave");
    QVERIFY(save->isVisible() && !save->size().isEmpty());

    Database::setBusyTimeout(50);
    const auto restore = qScopeGuard([] { Database::setBusyTimeout(-1); });
    {
        CLsDataBaseConnection holder;
        Transaction hold(holder.database());
        holdWrites(holder.database());
        click(window, "cmdSave");
        QCOMPARE(app.messages->shown().size(), 1);
        QVERIFY2(app.messages->last().text.startsWith(
                     QStringLiteral("Another program is using the database. Nothing was saved.")),
                 qPrintable(app.messages->last().text));
        QCOMPARE(app.messages->last().title, QStringLiteral("Orvanta"));
        QVERIFY(window.isVisible());
        QCOMPARE(saved.size(), 0);
        QCOMPARE(control<QLineEdit>(window, "txtEventPurpose")->text(), QStringLiteral("Visit"));
        QCOMPARE(control<QLineEdit>(window, "txtEventEndTime")->text(), QStringLiteral("11:00"));
        QCOMPARE(control<QPlainTextEdit>(window, "txtEventNotes")->toPlainText(), QStringLiteral("Brought papers"));
    }
    QCOMPARE(meetingCount(), 0);

    click(window, "cmdSave");
    QCOMPARE(saved.size(), 1);
    QCOMPARE(meetingCount(), 1);
    QTRY_VERIFY(!window.isVisible());
}

void TestEvents::handOverCarriesEventUntilOk()
{
    TestAppFolder app;
    addClient(QStringLiteral("Smith"), QVariant(), QStringLiteral("Ann"));
    const qint64 second = addClient(QStringLiteral("Brown"), QStringLiteral("A"), QStringLiteral("Cy"));
    QPointer<frmMeeting> window(new frmMeeting);
    window->setAttribute(Qt::WA_DeleteOnClose);
    std::unique_ptr<QWidget> opened;
    window->openWindow = [&opened](QWidget* widget) { opened.reset(widget); };
    window->show();
    control<QListWidget>(*window, "lstEventType")->setCurrentRow(1);
    type(*window, "txtEventPurpose", QStringLiteral("Call back"));
    type(*window, "txtEventEndTime", QStringLiteral("11:00"));
    QTest::keyClicks(control<QPlainTextEdit>(*window, "txtEventNotes"), QStringLiteral("Busy"));
    click(*window, "cmdSave");
    QTRY_VERIFY(!window);

    auto* picker = qobject_cast<frmSelectClient*>(opened.get());
    QVERIFY(picker);
    const QStringList carried{picker->EventType,      picker->EventDate,    picker->EventCategory, picker->EventPurpose,
                              picker->EventStartTime, picker->EventEndTime, picker->EventNotes};
    QCOMPARE(carried, (QStringList{QStringLiteral("Phone Call"), EventTime::dateText(Now.date()),
                                   QStringLiteral("General"), QStringLiteral("Call back"),
                                   EventTime::timeText(Now.time()), QStringLiteral("11:00"), QStringLiteral("Busy")}));
    QCOMPARE(meetingCount(), 0);

    // Closing the picker would lose the event: it asks first.
    picker->show();
    app.messages->setNextAnswer(MessageBox::No);
    QVERIFY(!picker->close());
    QCOMPARE(app.messages->last().text, QStringLiteral("The event has not been saved. Close anyway?"));
    QCOMPARE(app.messages->last().buttons, MessageBox::YesNo);
    QVERIFY(picker->isVisible());
    app.messages->clear();
    QSignalSpy saved(picker, &frmSelectClient::eventSaved);
    control<QListWidget>(*picker, "lstClient")->setCurrentRow(1);
    click(*picker, "cmdOK");
    QCOMPARE(saved.size(), 1);
    QTRY_VERIFY(!picker->isVisible());
    QVERIFY(app.messages->shown().isEmpty());
    QCOMPARE(storedMeeting(),
             (QVariantList{second, QStringLiteral("2024-03-05"), QStringLiteral("Phone Call"),
                           QStringLiteral("General"), QStringLiteral("Call back"), QStringLiteral("10:30:15"),
                           QStringLiteral("11:00:00"), QStringLiteral("Busy")}));
}

void TestEvents::lockedDatabaseKeepsThePickersChoice_data()
{
    QTest::addColumn<bool>("reassign");
    QTest::newRow("handed-over event") << false;
    QTest::newRow("reassignment") << true;
}

// The picker meets another program holding the database locked: the user is told so, nothing
// is written, and the window stays with the chosen client so that OK can be tried again.
void TestEvents::lockedDatabaseKeepsThePickersChoice()
{
    QFETCH(bool, reassign);
    TestAppFolder app;
    const qint64 from = addClient(QStringLiteral("Smith"), QVariant(), QStringLiteral("Ann"));
    const qint64 to = addClient(QStringLiteral("Brown"), QStringLiteral("A"), QStringLiteral("Cy"));
    const qint64 attachment = addAttachment(from, QStringLiteral("a.txt"), 1);
    int reloads = 0;
    frmSelectClient picker;
    if (reassign) {
        picker.SetDocumentId = attachment;
        picker.PopulateListAtt = [&reloads] { ++reloads; };
    } else {
        picker.EventType = QStringLiteral("Meeting");
        picker.EventDate = EventTime::dateText(Now.date());
        picker.EventCategory = QStringLiteral("General");
        picker.EventPurpose = QStringLiteral("Visit");
        picker.EventStartTime = EventTime::timeText(Now.time());
        picker.EventEndTime = QStringLiteral("11:00");
    }
    picker.show();
    QSignalSpy saved(&picker, &frmSelectClient::eventSaved);
    QSignalSpy reassigned(&picker, &frmSelectClient::attachmentReassigned);
    auto* list = control<QListWidget>(picker, "lstClient");
    list->setCurrentRow(1);
    auto* ok = control<QPushButton>(picker, "cmdOK");
    QVERIFY(ok->isVisible() && !ok->size().isEmpty());
    const QString owner = QStringLiteral("SELECT PersonalInformationId FROM Attachments WHERE AttachmentsId = ?");

    Database::setBusyTimeout(50);
    const auto restore = qScopeGuard([] { Database::setBusyTimeout(-1); });
    {
        CLsDataBaseConnection holder;
        Transaction hold(holder.database());
        holdWrites(holder.database());
        click(picker, "cmdOK");
        QCOMPARE(app.messages->shown().size(), 1);
        QCOMPARE(app.messages->last().title, QStringLiteral("Orvanta"));
        QCOMPARE(app.messages->last().icon, MessageBox::Warning);
        QVERIFY2(app.messages->last().text.startsWith(
                     QStringLiteral("Another program is using the database. Nothing was saved.")),
                 qPrintable(app.messages->last().text));
        QVERIFY(picker.isVisible());
        QCOMPARE(list->currentRow(), 1);
        QVERIFY(list->currentItem()->isSelected());
        QCOMPARE(saved.size() + reassigned.size() + reloads, 0);
    }
    QCOMPARE(meetingCount(), 0);
    QCOMPARE(database().scalar(owner, {attachment}).toLongLong(), from);

    click(picker, "cmdOK");
    QCOMPARE(app.messages->shown().size(), 1);
    QTRY_VERIFY(!picker.isVisible());
    if (reassign) {
        QCOMPARE(reassigned.size(), 1);
        QCOMPARE(reloads, 1);
        QCOMPARE(database().scalar(owner, {attachment}).toLongLong(), to);
    } else {
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved.first().first().toLongLong(), to);
        QCOMPARE(meetingCount(), 1);
    }
}

void TestEvents::pickerWithoutActiveClient()
{
    TestAppFolder app;
    frmSelectClient picker;
    picker.SetDocumentId = 1;
    picker.show();
    click(picker, "cmdOK");
    QCOMPARE(app.messages->last().text, QStringLiteral("There is no active client to choose."));
    QVERIFY(picker.isVisible());
}

void TestEvents::pickerOffersActiveClientsOnly()
{
    TestAppFolder app;
    const qint64 smith = addClient(QStringLiteral("Smith"), QVariant(), QStringLiteral("Ann"));
    addClient(QStringLiteral("Jones"), QStringLiteral("Q"), QStringLiteral("Bob"), 0);
    const qint64 brown = addClient(QStringLiteral("Brown"), QStringLiteral("A"), QStringLiteral("Cy"));
    frmSelectClient picker;
    picker.load();
    auto* list = control<QListWidget>(picker, "lstClient");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Smith  Ann"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("Brown A Cy"));
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(picker.clientIdAt(0), smith);
    QCOMPARE(picker.clientIdAt(1), brown);
}

void TestEvents::reassignMovesOneVersion()
{
    TestAppFolder app;
    const qint64 from = addClient(QStringLiteral("Smith"), QVariant(), QStringLiteral("Ann"));
    const qint64 to = addClient(QStringLiteral("Brown"), QStringLiteral("A"), QStringLiteral("Cy"));
    const qint64 first = addAttachment(from, QStringLiteral("a.txt"), 1);
    const qint64 second = addAttachment(from, QStringLiteral("a.txt"), 2);
    int reloads = 0;
    frmSelectClient picker;
    picker.SetDocumentId = second;
    picker.PopulateListAtt = [&reloads] { ++reloads; };
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    auto* list = control<QListWidget>(picker, "lstClient");
    const QPoint secondRow = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, secondRow);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, secondRow);
    QCOMPARE(reloads, 1);
    QTRY_VERIFY(!picker.isVisible());
    QVERIFY(app.messages->shown().isEmpty());
    const QString owner = QStringLiteral("SELECT PersonalInformationId FROM Attachments WHERE AttachmentsId = ?");
    QCOMPARE(database().scalar(owner, {second}).toLongLong(), to);
    QCOMPARE(database().scalar(owner, {first}).toLongLong(), from);
}

void TestEvents::printsNoteLineByLine()
{
    TestAppFolder app;
    frmMeeting window;
    window.AddView = false;
    window.EventDate = QStringLiteral("1/5/24");
    window.EventPurpose = QStringLiteral("Budget");
    window.EventStartTime = QStringLiteral("9:00 AM");
    window.EventEndTime = QStringLiteral("10:00 AM");
    window.EventNotes = QStringLiteral("First\nSecond");
    window.show();
    click(window, "cmdPrint");
    QCOMPARE(app.printed->jobs().size(), 1);
    QCOMPARE(app.printed->jobs().first(),
             (QStringList{QStringLiteral("Budget"), QString(), QStringLiteral("Date : 1/5/24"), QString(),
                          QStringLiteral("Start Time : 9:00 AM\t\tEnd Time : 10:00 AM"), QString(),
                          QStringLiteral("Notes:"), QString(), QStringLiteral("First"), QStringLiteral("Second")}));
}

void TestEvents::savesNotesAsPdf()
{
    TestAppFolder app;
    Platform::install(std::make_unique<QtTextPrinter>());
    EventNotesPdf::forget();
    const auto forget = qScopeGuard([] { EventNotesPdf::forget(); });
    frmMeeting window;
    window.PersonalInformationId = addClient(QStringLiteral("Müller"), QVariant(), QStringLiteral("Zoë"));
    window.AddView = false;
    window.EventDate = QStringLiteral("2024-01-05");
    window.EventPurpose = QStringLiteral("Budget: Q1");
    window.EventNotes = QStringLiteral("Müller – Zoë\nSecond");
    window.show();

    // No two captions of the dialog underline the same letter.
    QStringList captions;
    for (const QPushButton* each : window.findChildren<QPushButton*>())
        captions << each->text();
    for (const QLabel* each : window.findChildren<QLabel*>())
        captions << each->text();
    QStringList letters;
    for (const QString& caption : std::as_const(captions)) {
        if (const qsizetype amp = caption.indexOf(QLatin1Char('&')); amp >= 0 && amp + 1 < caption.size())
            letters << caption.at(amp + 1).toLower();
    }
    QCOMPARE(QSet<QString>(letters.cbegin(), letters.cend()).size(), letters.size());

    auto* button = control<QPushButton>(window, "cmdSavePdf");
    QCOMPARE(button->text(), QStringLiteral("Save as &PDF..."));
    QVERIFY(button->isVisible() && !button->size().isEmpty() && button->isEnabled());

    // A name typed without an extension gets ".pdf".
    app.files->setNextFileName(app.file(QStringLiteral("notes")));
    click(window, "cmdSavePdf");
    QCOMPARE(app.messages->shown().size(), 0);
    QCOMPARE(app.files->filters(), QStringList{QStringLiteral("PDF files (*.pdf)")});
    QCOMPARE(QFileInfo(app.files->suggested().value(0)).fileName(),
             QStringLiteral("Müller Zoë - 2024-01-05 - Budget_ Q1.pdf"));
    QFile written(app.file(QStringLiteral("notes.pdf")));
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray first = written.readAll();
    written.close();
    QVERIFY(first.startsWith("%PDF-"));

    // The same name again: the file with ".pdf" is only replaced when the user says so.
    app.files->setNextFileName(app.file(QStringLiteral("notes")));
    app.messages->setNextAnswer(MessageBox::No);
    click(window, "cmdSavePdf");
    QCOMPARE(QFileInfo(app.files->suggested().value(1)).absolutePath(), QFileInfo(app.path()).absoluteFilePath());
    QCOMPARE(app.messages->shown().size(), 1);
    QVERIFY(app.messages->last().text.contains(QDir::toNativeSeparators(written.fileName())));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), first);
    written.close();

    // A folder that cannot be written (here a file stands in its place): nothing is written
    // and the message names the file and the reason.
    const QString unwritable = app.file(QStringLiteral("notes.pdf/copy.pdf"));
    app.files->setNextFileName(unwritable);
    app.messages->clear();
    click(window, "cmdSavePdf");
    QCOMPARE(app.messages->shown().size(), 1);
    const ScriptedMessageBox::Shown shown = app.messages->last();
    QCOMPARE(shown.title, QStringLiteral("Orvanta"));
    QCOMPARE(shown.icon, MessageBox::Critical);
    QVERIFY2(shown.text.contains(QDir::toNativeSeparators(unwritable)), qPrintable(shown.text));
    QVERIFY2(shown.text.contains(QStringLiteral("Not a directory")), qPrintable(shown.text));
    QVERIFY(QFileInfo(written.fileName()).isFile());
}

QTEST_MAIN(TestEvents)
#include "tst_events.moc"
