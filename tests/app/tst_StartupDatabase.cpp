#include "AppTestHelpers.h"
#include "TestSupport.h"
#include "app/StartupDatabase.h"
#include "store/Database.h"

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

QTEST_MAIN(TestStartupDatabase)
#include "tst_StartupDatabase.moc"
