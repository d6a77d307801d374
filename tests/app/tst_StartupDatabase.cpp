#include "AppTestHelpers.h"
#include "LoggedInSession.h"
#include "TestSupport.h"
#include "app/StartupDatabase.h"
#include "store/Database.h"
#include "store/DatabaseBackup.h"
#include "store/DatabaseCheck.h"
#include "store/PrivateFiles.h"
#include "store/StoreError.h"

#include <QDir>
#include <QScopeGuard>
#include <functional>

namespace {

// Answers like the scripted box, after running `beforeAnswer` with the number of the box
// (from 0): what another program does while the box is up.
class ReleasingMessageBox : public ScriptedMessageBox
{
public:
    Button show(QWidget* parent, const QString& title, const QString& text, Icon icon, Buttons buttons) override
    {
        if (beforeAnswer)
            beforeAnswer(static_cast<int>(shown().size()));
        return ScriptedMessageBox::show(parent, title, text, icon, buttons);
    }

    std::function<void(int)> beforeAnswer;
};

} // namespace

class TestStartupDatabase : public QObject
{
    Q_OBJECT

private slots:
    void lockedDatabaseIsInUse_data();
    void lockedDatabaseIsInUse();
    void damagedFileKeepsItsMessage();
    void damagedDatabaseOffersTheNewestBackup_data();
    void damagedDatabaseOffersTheNewestBackup();
};

void TestStartupDatabase::lockedDatabaseIsInUse_data()
{
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<int>("releasedAtBox"); // -1: the lock stays
    QTest::addColumn<bool>("opened");

    QTest::newRow("cancel") << QList<int>{MessageBox::Cancel} << -1 << false;
    QTest::newRow("retry while still locked, then cancel")
        << QList<int>{MessageBox::Retry, MessageBox::Cancel} << -1 << false;
    QTest::newRow("retry after the other program let go") << QList<int>{MessageBox::Retry} << 0 << true;
    QTest::newRow("cancel though the other program let go") << QList<int>{MessageBox::Cancel} << 0 << false;
}

void TestStartupDatabase::lockedDatabaseIsInUse()
{
    QFETCH(QList<int>, answers);
    QFETCH(int, releasedAtBox);
    QFETCH(bool, opened);
    if (PgTestDatabase::wanted())
        QSKIP("A PostgreSQL database opens while another program writes to it: only a SQLite file is held whole");
    TestAppFolder folder;
    Database::setBusyTimeout(50);
    const auto restore = qScopeGuard([] { Database::setBusyTimeout(-1); });
    const QString path = CLsDataBaseConnection::databasePath();
    const QByteArray before = ShellTest::readAll(path);
    const QStringList filesBefore = QDir(folder.path()).entryList(QDir::Files);

    Database other(path);
    other.execute(QStringLiteral("BEGIN EXCLUSIVE"));
    auto box = std::make_unique<ReleasingMessageBox>();
    ReleasingMessageBox* messages = box.get();
    for (int answer : answers)
        messages->setNextAnswer(static_cast<MessageBox::Button>(answer));
    messages->beforeAnswer = [&other, releasedAtBox](int number) {
        if (number == releasedAtBox)
            other.execute(QStringLiteral("ROLLBACK"));
    };
    Platform::install(std::move(box));

    QCOMPARE(StartupDatabase::open(path), opened);

    QCOMPARE(messages->shown().size(), answers.size());
    for (const ScriptedMessageBox::Shown& shown : messages->shown()) {
        QCOMPARE(shown.title, QStringLiteral("Orvanta"));
        QCOMPARE(shown.buttons, MessageBox::RetryCancel);
        QVERIFY2(shown.text.startsWith(
                     QStringLiteral("Another program is using the database %1.").arg(QDir::toNativeSeparators(path))),
                 qPrintable(shown.text));
        QVERIFY2(!shown.text.contains(QStringLiteral("damaged")), qPrintable(shown.text));
    }
    // Nothing was written, whatever the answer.
    QCOMPARE(ShellTest::readAll(path), before);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), filesBefore);
}

void TestStartupDatabase::damagedFileKeepsItsMessage()
{
    TestAppFolder folder(false);
    const QString path = CLsDataBaseConnection::databasePath();
    const QByteArray content("QuickLogin,No\r\nStartView,Client\r\n");
    ShellTest::writeAll(path, content);

    QVERIFY(!StartupDatabase::open(path));

    QCOMPARE(folder.messages->shown().size(), 1);
    QCOMPARE(folder.messages->last().buttons, MessageBox::OkOnly);
    QCOMPARE(folder.messages->last().icon, MessageBox::Critical);
    QVERIFY2(folder.messages->last().text.startsWith(
                 QStringLiteral("The file %1 is not a database of this program.").arg(QDir::toNativeSeparators(path))),
             qPrintable(folder.messages->last().text));
    QCOMPARE(ShellTest::readAll(path), content);
}

void TestStartupDatabase::damagedDatabaseOffersTheNewestBackup_data()
{
    QTest::addColumn<bool>("backup");
    QTest::addColumn<int>("answer");
    QTest::newRow("restored") << true << int(MessageBox::Yes);
    QTest::newRow("declined") << true << int(MessageBox::No);
    QTest::newRow("no backup") << false << int(MessageBox::Ok);
}

void TestStartupDatabase::damagedDatabaseOffersTheNewestBackup()
{
    QFETCH(bool, backup);
    QFETCH(int, answer);
    if (PgTestDatabase::wanted())
        QSKIP("A server's database is looked after by the server");
    TestAppFolder folder;
    const QString path = CLsDataBaseConnection::databasePath();
    LoggedInSession::addClient(QStringLiteral("Kept"), QStringLiteral("Ann"));
    const QString backups = folder.file(QStringLiteral("Backups"));
    if (backup) {
        PrivateFiles::ensureFolder(backups);
        DatabaseBackup(path, QDir(backups).filePath(QStringLiteral("Dravolin-2026-03-01-0900.mdb"))).run();
    }
    LoggedInSession::addClient(QStringLiteral("Lost"), QStringLiteral("Bo"));
    // The table of tables damaged in the middle of the first page, past the file's header.
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(100));
        QCOMPARE(file.write(QByteArray(200, '\x5a')), 200);
    }
    try {
        DatabaseCheck::inspect(path);
        QFAIL("the damage went unnoticed");
    } catch (const StoreError& error) {
        QVERIFY2(error.isDamaged(), qPrintable(error.message()));
    }
    const QByteArray damaged = ShellTest::readAll(path);
    folder.messages->setNextAnswer(static_cast<MessageBox::Button>(answer));

    QCOMPARE(StartupDatabase::open(path), answer == MessageBox::Yes);

    const QList<ScriptedMessageBox::Shown> shown = folder.messages->shown();
    QVERIFY(!shown.isEmpty());
    const QString told = shown.first().text;
    QVERIFY2(told.startsWith(QStringLiteral("The database %1 is damaged: ").arg(QDir::toNativeSeparators(path))),
             qPrintable(told));
    QVERIFY2(!told.contains(QStringLiteral("not a database")), qPrintable(told));
    const QStringList keptFiles =
        QDir(folder.path()).entryList({QStringLiteral("Dravolin.mdb.before-restore-*")}, QDir::Files);
    if (!backup) {
        QCOMPARE(shown.size(), 1);
        QVERIFY2(told.contains(QStringLiteral("There is no backup in %1").arg(QDir::toNativeSeparators(backups))),
                 qPrintable(told));
    }
    if (answer != MessageBox::Yes) {
        QCOMPARE(ShellTest::readAll(path), damaged);
        QVERIFY(keptFiles.isEmpty());
        return;
    }
    QCOMPARE(shown.first().buttons, MessageBox::YesNo);
    QVERIFY2(
        told.contains(QDir::toNativeSeparators(QDir(backups).filePath(QStringLiteral("Dravolin-2026-03-01-0900.mdb")))),
        qPrintable(told));
    QCOMPARE(shown.size(), 2);
    QCOMPARE(keptFiles.size(), 1);
    QVERIFY2(shown.last().text.contains(keptFiles.first()), qPrintable(shown.last().text));
    QCOMPARE(ShellTest::readAll(folder.file(keptFiles.first())), damaged);
    QCOMPARE(DatabaseCheck::problems(path, DatabaseCheck::Depth::Full), QStringList());
    CLsDataBaseConnection db;
    QCOMPARE(db.database().scalar(QStringLiteral("SELECT [Last Name] FROM [Personal Information]")).toString(),
             QStringLiteral("Kept"));
}

QTEST_MAIN(TestStartupDatabase)
#include "tst_StartupDatabase.moc"
