#include "DatabaseRows.h"
#include "LoggedInSession.h"
#include "TestSupport.h"
#include "WindowChecks.h"
#include "app/BackgroundWork.h"
#include "app/DatabaseMaintenance.h"
#include "app/DocumentIndexingStatus.h"
#include "app/MDIBaseForm.h"
#include "clients/ui/FrmDataBaseExplorer.h"
#include "store/BackupSettings.h"
#include "store/DatabaseBackup.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseUsers.h"
#include "store/PrivateFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <sys/stat.h>

namespace {

const QDateTime Now(QDate(2026, 3, 2), QTime(14, 5));

bool onServer()
{
    return PgTestDatabase::wanted();
}

// Gives the main window's command `name` as a person would: it must be shown and reachable.
void give(MDIBaseForm& main, const QString& name)
{
    WindowChecks::triggerVisible(main.menuItem(name));
}

// The main window of a user of `level`, shown, with its clock at `now`. A level with an explorer
// also gets an options window, whose activation brings the main window's own menu bar back.
void showMain(MDIBaseForm& main, int level, const QDateTime& now = Now)
{
    main.UserLevel = level;
    main.maintenance()->setClock([now] { return now; });
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    if (level != UserLevels::BuiltIn)
        main.openOptions();
}

int modeOf(const QString& path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? static_cast<int>(info.st_mode & 0777) : -1;
}

QStringList lastNames()
{
    QStringList names;
    for (const QVariantList& row :
         DatabaseRows::rows(QStringLiteral("SELECT [Last Name] FROM [Personal Information] ORDER BY 1")))
        names << row.at(0).toString();
    return names;
}

void addDocument(qint64 client, const QByteArray& bytes)
{
    DatabaseRows::execute(QStringLiteral("INSERT INTO Attachments (PersonalInformationId, AttachmentsName, "
                                         "AttachmentVersion, Attachments) VALUES (?, 'notes.txt', 1, longbinary(?))"),
                          {client, bytes});
}

// A backup of the database as it is now, in the backup folder under the name of `taken`.
QString backUpNowIn(const TestAppFolder& folder, const QDateTime& taken)
{
    const QString backups = folder.file(QStringLiteral("Backups"));
    PrivateFiles::ensureFolder(backups);
    const QString file = QDir(backups).filePath(DatabaseBackup::fileNameFor(taken));
    DatabaseBackup(folder.location(), file).run();
    return file;
}

int explorersOpen(const MDIBaseForm& main)
{
    int count = 0;
    for (QMdiSubWindow* child : main.mdiArea()->subWindowList())
        count += qobject_cast<FrmDataBaseExplorer*>(child->widget()) != nullptr;
    return count;
}

// Presses Cancel of the progress dialog as soon as it shows, while alive.
class CancelWhenShown
{
public:
    CancelWhenShown()
    {
        BackgroundWork::setShownHook([](QProgressDialog* dialog) {
            WindowChecks::clickVisible(dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel")));
        });
    }
    ~CancelWhenShown() { BackgroundWork::setShownHook({}); }
    CancelWhenShown(const CancelWhenShown&) = delete;
    CancelWhenShown& operator=(const CancelWhenShown&) = delete;
};

const QStringList Commands{QStringLiteral("mnuSepBackup"), QStringLiteral("mnuBackup"), QStringLiteral("mnuRestore"),
                           QStringLiteral("mnuCompact"),   QStringLiteral("mnuCheck"),  QStringLiteral("mnuCheckFull")};

} // namespace

class TestDatabaseMaintenance : public QObject
{
    Q_OBJECT

private slots:
    void commandsForLevel_data();
    void commandsForLevel();
    void explorerOffersTheCommands();
    void backUpNow_data();
    void backUpNow();
    void restoreFromBackup_data();
    void restoreFromBackup();
    void compactKeepsTheRows();
    void checkFindsDamageAndOffersTheNewestBackup_data();
    void checkFindsDamageAndOffersTheNewestBackup();
    void automaticBackupOncePerDay();
    void automaticBackupNeverKeepsTheProgramOpen_data();
    void automaticBackupNeverKeepsTheProgramOpen();
};

void TestDatabaseMaintenance::commandsForLevel_data()
{
    QTest::addColumn<int>("level");
    QTest::newRow("ordinary user") << int(UserLevels::Ordinary);
    QTest::newRow("administrator") << int(UserLevels::Administrator);
    QTest::newRow("built-in account") << int(UserLevels::BuiltIn);
}

void TestDatabaseMaintenance::commandsForLevel()
{
    QFETCH(int, level);
    TestAppFolder folder;
    MDIBaseForm main;
    showMain(main, level);
    for (const QString& name : Commands) {
        QAction* command = main.menuItem(name);
        QVERIFY2(command, qPrintable(name));
        QVERIFY2(command->isVisible() == (level != UserLevels::Ordinary), qPrintable(name));
        if (level != UserLevels::Ordinary && !command->isSeparator())
            QVERIFY2(WindowChecks::actionProblem(command).isEmpty(), qPrintable(WindowChecks::actionProblem(command)));
    }
    QCOMPARE(main.menuItem(QStringLiteral("mnuBackup"))->text(), QStringLiteral("&Back Up Now..."));
    QCOMPARE(main.menuItem(QStringLiteral("mnuRestore"))->text(), QStringLiteral("&Restore from Backup..."));
    QCOMPARE(main.menuItem(QStringLiteral("mnuCompact"))->text(), QStringLiteral("Co&mpact Database"));
    QCOMPARE(main.menuItem(QStringLiteral("mnuCheck"))->text(), QStringLiteral("C&heck Database..."));
    // The last items of the Tools menu.
    const QList<QAction*> tools = main.menuItem(QStringLiteral("mnuAdministrator"))->menu()->actions();
    QCOMPARE(tools.mid(tools.size() - Commands.size()), [&main] {
        QList<QAction*> commands;
        for (const QString& name : Commands)
            commands << main.menuItem(name);
        return commands;
    }());
}

// While the explorer is active its menu bar covers the main window's: an administrator finds the
// same commands in its Tools menu.
void TestDatabaseMaintenance::explorerOffersTheCommands()
{
    if (onServer())
        QSKIP("Checks a database file.");
    TestAppFolder folder;
    MDIBaseForm main;
    showMain(main, UserLevels::Administrator);
    FrmDataBaseExplorer* explorer = nullptr;
    for (QMdiSubWindow* child : main.mdiArea()->subWindowList()) {
        if (auto* window = qobject_cast<FrmDataBaseExplorer*>(child->widget())) {
            explorer = window;
            main.mdiArea()->setActiveSubWindow(child);
        }
    }
    QVERIFY(explorer);
    for (const QString& name : Commands) {
        auto* command = explorer->menuBar()->findChild<QAction*>(name);
        QVERIFY2(command && command->isVisible(), qPrintable(name));
    }
    WindowChecks::triggerVisible(explorer->menuBar()->findChild<QAction*>(QStringLiteral("mnuCheck")));
    QTRY_COMPARE(folder.messages->shown().size(), 1);
    QCOMPARE(folder.messages->last().text, QStringLiteral("No problems found in the database %1.")
                                               .arg(QDir::toNativeSeparators(CLsDataBaseConnection::databasePath())));
}

void TestDatabaseMaintenance::backUpNow_data()
{
    QTest::addColumn<QString>("chosen"); // empty: the dialog cancelled
    QTest::addColumn<bool>("cancelAtProgress");
    QTest::newRow("backed up") << "Monday.mdb" << false;
    QTest::newRow("cancelled while backing up") << "Monday.mdb" << true;
    QTest::newRow("no file chosen") << "" << false;
}

void TestDatabaseMaintenance::backUpNow()
{
    QFETCH(QString, chosen);
    QFETCH(bool, cancelAtProgress);
    TestAppFolder folder;
    const qint64 client = LoggedInSession::addClient(QStringLiteral("Lee"), QStringLiteral("Ann"));
    LoggedInSession::addClient(QStringLiteral("Moss"), QStringLiteral("Bo"));
    addDocument(client, QByteArray(100000, 'd'));
    const QString file = chosen.isEmpty() ? QString() : folder.file(chosen);
    folder.files->setNextFileName(file);
    MDIBaseForm main;
    showMain(main, UserLevels::BuiltIn);
    std::optional<CancelWhenShown> cancel;
    if (cancelAtProgress)
        cancel.emplace();

    give(main, QStringLiteral("mnuBackup"));

    // The dialog offers a name for the time in the backup folder, made for its owner alone.
    const QString backups = folder.file(QStringLiteral("Backups"));
    QCOMPARE(folder.files->suggested(),
             QStringList{QDir(backups).filePath(QStringLiteral("Dravolin-2026-03-02-1405.mdb"))});
    QCOMPARE(folder.files->filters(), QStringList{QStringLiteral("Orvanta backups (*.mdb)")});
    QCOMPARE(modeOf(backups), 0700);
    if (chosen.isEmpty() || cancelAtProgress) {
        QVERIFY(folder.messages->shown().isEmpty());
        // Nothing under the name chosen, nor half a copy beside it.
        QCOMPARE(QDir(folder.path()).entryList({QStringLiteral("Monday.mdb*")}, QDir::Files), QStringList());
        return;
    }
    QCOMPARE(folder.messages->shown().size(), 1);
    const ScriptedMessageBox::Shown told = folder.messages->last();
    QCOMPARE(told.title, QStringLiteral("Orvanta"));
    QVERIFY2(told.text.startsWith(QStringLiteral("The database was backed up to %1.\n\n2 clients, 1 document, ")
                                      .arg(QDir::toNativeSeparators(file))),
             qPrintable(told.text));
    QCOMPARE(modeOf(file), 0600);
    QCOMPARE(DatabaseCheck::problems(file, DatabaseCheck::Depth::Full), QStringList());
    const DatabaseCheck::Contents contents = DatabaseCheck::inspect(file);
    QCOMPARE(contents.clients, 2);
    QCOMPARE(contents.documents, 1);
    QVERIFY(main.isVisible());
}

void TestDatabaseMaintenance::restoreFromBackup_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("restored") << "restored";
    QTest::newRow("another copy uses the database") << "in use";
    QTest::newRow("answered no") << "no";
}

// A backup made earlier takes the database's place: what was added since is gone, the former
// database is kept, and the program closes. Refused, the program goes on as before.
void TestDatabaseMaintenance::restoreFromBackup()
{
    QFETCH(QString, situation);
    TestAppFolder folder;
    if (onServer()) {
        MDIBaseForm main;
        showMain(main, UserLevels::Administrator);
        for (const QString& command :
             {QStringLiteral("mnuRestore"), QStringLiteral("mnuCompact"), QStringLiteral("mnuCheck")}) {
            folder.messages->clear();
            give(main, command);
            QCOMPARE(folder.messages->shown().size(), 1);
            QVERIFY2(folder.messages->last().text.contains(QStringLiteral("with the server's own tools")),
                     qPrintable(folder.messages->last().text));
        }
        QVERIFY(folder.files->filters().isEmpty());
        return;
    }
    LoggedInSession::addClient(QStringLiteral("Before"), QStringLiteral("Ann"));
    const QString backup = backUpNowIn(folder, QDateTime(QDate(2026, 3, 1), QTime(9, 0)));
    LoggedInSession::addClient(QStringLiteral("After"), QStringLiteral("Bo"));
    const QString database = folder.location();
    const QString kept = database + QStringLiteral(".before-restore-2026-03-02-1405");
    std::optional<DatabaseUsers> otherCopy;
    if (situation == QLatin1String("in use"))
        otherCopy.emplace(database);
    MDIBaseForm main;
    showMain(main, UserLevels::Administrator);
    QCOMPARE(main.mdiArea()->subWindowList().size(), 2); // the explorer and the options
    folder.files->setNextFileName(backup);
    folder.messages->setNextAnswer(situation == QLatin1String("no") ? MessageBox::No : MessageBox::Yes);

    give(main, QStringLiteral("mnuRestore"));

    const QList<ScriptedMessageBox::Shown> shown = folder.messages->shown();
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown.first().buttons, MessageBox::YesNoDefaultNo);
    QVERIFY2(shown.first().text.contains(QStringLiteral("(1 client, 0 documents)")), qPrintable(shown.first().text));
    QVERIFY2(shown.first().text.contains(QStringLiteral("kept as %1").arg(QDir::toNativeSeparators(kept))),
             qPrintable(shown.first().text));
    if (situation == QLatin1String("restored")) {
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown.last().text.contains(
                     QStringLiteral("The former database is kept as %1.").arg(QDir::toNativeSeparators(kept))),
                 qPrintable(shown.last().text));
        QVERIFY2(shown.last().text.contains(QStringLiteral("Orvanta closes now")), qPrintable(shown.last().text));
        QVERIFY(!main.isVisible());
        QCOMPARE(lastNames(), QStringList{QStringLiteral("Before")});
        QVERIFY(QFileInfo(kept).isFile());
        QVERIFY(QFileInfo(backup).isFile()); // copied, not moved
        return;
    }
    if (situation == QLatin1String("in use")) {
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.last().icon, MessageBox::Warning);
        QVERIFY2(shown.last().text.startsWith(QStringLiteral("Other copies of Orvanta are using the database")),
                 qPrintable(shown.last().text));
        // Nothing left open is needed to go on: the explorer is back.
        QCOMPARE(explorersOpen(main), 1);
    } else {
        QCOMPARE(shown.size(), 1);
        QCOMPARE(main.mdiArea()->subWindowList().size(), 2);
    }
    QVERIFY(main.isVisible());
    QCOMPARE(lastNames(), (QStringList{QStringLiteral("After"), QStringLiteral("Before")}));
    QVERIFY(!QFileInfo::exists(kept));
}

void TestDatabaseMaintenance::compactKeepsTheRows()
{
    if (onServer())
        QSKIP("A server's database is compacted by the server (restoreFromBackup checks the message).");
    TestAppFolder folder;
    const qint64 client = LoggedInSession::addClient(QStringLiteral("Lee"), QStringLiteral("Ann"));
    for (int i = 0; i < 40; ++i)
        addDocument(client, QByteArray(50000, char('a' + i % 26)));
    MDIBaseForm main;
    bool indexed = false;
    connect(main.indexing(), &DocumentIndexingStatus::finished, this, [&indexed] { indexed = true; });
    showMain(main, UserLevels::Administrator);
    // Half of the documents deleted once their text is indexed leave their pages free.
    QTRY_VERIFY_WITH_TIMEOUT(indexed, 20000);
    DatabaseRows::execute(QStringLiteral("DELETE FROM Attachments WHERE AttachmentsId % 2 = 0"));
    const qint64 sizeBefore = QFileInfo(folder.location()).size();

    give(main, QStringLiteral("mnuCompact"));

    QCOMPARE(folder.messages->shown().size(), 1);
    const QString text = folder.messages->last().text;
    QVERIFY2(text.startsWith(QStringLiteral("The database was compacted: ")) &&
                 text.contains(QStringLiteral(" before, ")) && text.endsWith(QStringLiteral(" now.")),
             qPrintable(text));
    QVERIFY(QFileInfo(folder.location()).size() < sizeBefore);
    QCOMPARE(DatabaseRows::rows(QStringLiteral("SELECT COUNT(*) FROM Attachments")).first().first().toInt(), 20);
    QCOMPARE(lastNames(), QStringList{QStringLiteral("Lee")});
    // The windows were closed for the work; the user goes on as after the login.
    QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
    QCOMPARE(explorersOpen(main), 1);
    QVERIFY(main.isVisible());
}

void TestDatabaseMaintenance::checkFindsDamageAndOffersTheNewestBackup_data()
{
    QTest::addColumn<QString>("backup"); // whether a backup is there, and what the user does
    QTest::newRow("no backup") << "none";
    QTest::newRow("backup declined") << "declined";
    QTest::newRow("backup restored") << "restored";
}

void TestDatabaseMaintenance::checkFindsDamageAndOffersTheNewestBackup()
{
    QFETCH(QString, backup);
    if (onServer())
        QSKIP("A server's database is checked by the server (restoreFromBackup checks the message).");
    TestAppFolder folder;
    const QString database = folder.location();
    LoggedInSession::addClient(QStringLiteral("Lee"), QStringLiteral("Ann"));
    if (backup != QLatin1String("none"))
        backUpNowIn(folder, QDateTime(QDate(2026, 3, 1), QTime(9, 0)));
    MDIBaseForm main;
    showMain(main, UserLevels::BuiltIn);

    give(main, QStringLiteral("mnuCheck"));
    QCOMPARE(folder.messages->shown().size(), 1);
    QCOMPARE(folder.messages->last().text,
             QStringLiteral("No problems found in the database %1.").arg(QDir::toNativeSeparators(database)));

    // The index of clients by company, damaged: its root page overwritten.
    main.indexing()->stop();
    {
        const Database db(database);
        const qint64 page = db.scalar(QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE name = "
                                                     "'PersonalInformationCompany'"))
                                .toLongLong();
        const qint64 pageSize = db.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
        QFile file(database);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek((page - 1) * pageSize + 8));
        QCOMPARE(file.write(QByteArray(64, '\xff')), 64);
    }
    folder.messages->clear();
    folder.messages->setNextAnswer(backup == QLatin1String("declined") ? MessageBox::No : MessageBox::Yes);
    folder.messages->setNextAnswer(MessageBox::Yes); // the restore's own question

    give(main, QStringLiteral("mnuCheckFull"));

    const QList<ScriptedMessageBox::Shown> shown = folder.messages->shown();
    QVERIFY(!shown.isEmpty());
    QVERIFY2(shown.first().text.startsWith(
                 QStringLiteral("The database %1 has problems:\n\n").arg(QDir::toNativeSeparators(database))),
             qPrintable(shown.first().text));
    if (backup == QLatin1String("none")) {
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().buttons, MessageBox::OkOnly);
        QVERIFY2(shown.first().text.contains(QStringLiteral("There is no backup")), qPrintable(shown.first().text));
        return;
    }
    QCOMPARE(shown.first().buttons, MessageBox::YesNo);
    QVERIFY2(shown.first().text.contains(QStringLiteral("Restore the newest backup")), qPrintable(shown.first().text));
    if (backup == QLatin1String("declined")) {
        QCOMPARE(shown.size(), 1);
        QVERIFY(main.isVisible());
        return;
    }
    // The restore's question, then its outcome; the program closes.
    QCOMPARE(shown.size(), 3);
    QVERIFY(!main.isVisible());
    QCOMPARE(DatabaseCheck::problems(database, DatabaseCheck::Depth::Full), QStringList());
    QCOMPARE(lastNames(), QStringList{QStringLiteral("Lee")});
}

void TestDatabaseMaintenance::automaticBackupOncePerDay()
{
    TestAppFolder folder;
    BackupSettings settings;
    settings.automatic = true;
    settings.keep = 2;
    settings.save();
    const QDir backups(folder.file(QStringLiteral("Backups")));
    QVERIFY(QDir().mkpath(backups.path()));
    const QStringList foreign{QStringLiteral("Dravolin.mdb"), QStringLiteral("notes.txt")};
    for (const QString& name :
         QStringList{QStringLiteral("Dravolin-2026-02-27-0900.mdb"), QStringLiteral("Dravolin-2026-02-28-0900.mdb"),
                     QStringLiteral("Dravolin-2026-03-01-0900.mdb")} +
             foreign)
        ShellTest::writeAll(backups.filePath(name), "kept by someone");
    const auto closeAt = [](const QDateTime& now) {
        MDIBaseForm main;
        showMain(main, UserLevels::BuiltIn, now);
        give(main, QStringLiteral("mnuExit"));
        QVERIFY(!main.isVisible());
    };

    closeAt(QDateTime(QDate(2026, 3, 2), QTime(18, 0)));
    QCOMPARE(backups.entryList(QDir::Files, QDir::Name), QStringList({QStringLiteral("Dravolin-2026-03-01-0900.mdb"),
                                                                      QStringLiteral("Dravolin-2026-03-02-1800.mdb")}) +
                                                             foreign);
    const QString made = backups.filePath(QStringLiteral("Dravolin-2026-03-02-1800.mdb"));
    QCOMPARE(modeOf(made), 0600);
    QCOMPARE(DatabaseCheck::problems(made, DatabaseCheck::Depth::Quick), QStringList());
    QVERIFY(folder.messages->shown().isEmpty());

    // Once a day.
    closeAt(QDateTime(QDate(2026, 3, 2), QTime(23, 59)));
    QCOMPARE(backups.entryList(QDir::Files, QDir::Name).size(), 4);

    closeAt(QDateTime(QDate(2026, 3, 3), QTime(7, 30)));
    QCOMPARE(backups.entryList(QDir::Files, QDir::Name), QStringList({QStringLiteral("Dravolin-2026-03-02-1800.mdb"),
                                                                      QStringLiteral("Dravolin-2026-03-03-0730.mdb")}) +
                                                             foreign);
    QVERIFY(folder.messages->shown().isEmpty());
}

void TestDatabaseMaintenance::automaticBackupNeverKeepsTheProgramOpen_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("cancelled") << "cancelled";
    QTest::newRow("folder cannot be made") << "no folder";
}

void TestDatabaseMaintenance::automaticBackupNeverKeepsTheProgramOpen()
{
    QFETCH(QString, situation);
    TestAppFolder folder;
    BackupSettings settings;
    settings.automatic = true;
    if (situation == QLatin1String("no folder")) {
        ShellTest::writeAll(folder.file(QStringLiteral("Blocked")), "a file, not a folder");
        settings.folder = QStringLiteral("Blocked/Backups");
    }
    settings.save();
    std::optional<CancelWhenShown> cancel;
    if (situation == QLatin1String("cancelled"))
        cancel.emplace();
    MDIBaseForm main;
    showMain(main, UserLevels::BuiltIn);

    give(main, QStringLiteral("mnuExit"));

    QVERIFY(!main.isVisible());
    if (situation == QLatin1String("cancelled")) {
        QVERIFY(folder.messages->shown().isEmpty());
        QCOMPARE(QDir(folder.file(QStringLiteral("Backups"))).entryList(QDir::Files), QStringList());
        return;
    }
    QCOMPARE(folder.messages->shown().size(), 1);
    QCOMPARE(folder.messages->last().icon, MessageBox::Warning);
    QVERIFY2(folder.messages->last().text.startsWith(QStringLiteral("The automatic backup was not made")),
             qPrintable(folder.messages->last().text));
}

QTEST_MAIN(TestDatabaseMaintenance)
#include "tst_DatabaseMaintenance.moc"
