#include "AppTestHelpers.h"
#include "ProcessUmask.h"
#include "TestDatabaseFolder.h"
#include "store/BackupFolder.h"
#include "store/BackupSettings.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <sys/stat.h>

namespace {

const QByteArray StartupBytes = "QuickLogin,Yes\r\nStartView,Company\r\n";

QDateTime at(int year, int month, int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

QString name(int year, int month, int day, int hour, int minute)
{
    return QStringLiteral("Dravolin-%1-%2-%3-%4%5.mdb")
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'))
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(minute, 2, 10, QLatin1Char('0'));
}

// What a folder holds: file names, "name/" for a folder, "name@" for a link.
QStringList contents(const QString& path)
{
    QStringList found;
    const QFileInfoList entries =
        QDir(path).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries)
        found << entry.fileName() + (entry.isSymLink() ? QStringLiteral("@")
                                     : entry.isDir()   ? QStringLiteral("/")
                                                       : QString());
    return found;
}

// Fills `folder` with the entries named as contents() names them; each file holds its name.
void fill(const QString& folder, const QStringList& entries)
{
    QDir().mkpath(folder);
    for (const QString& entry : entries) {
        const QString path = QDir(folder).filePath(
            entry.chopped(entry.endsWith(QLatin1Char('/')) || entry.endsWith(QLatin1Char('@')) ? 1 : 0));
        if (entry.endsWith(QLatin1Char('/'))) {
            QVERIFY(QDir().mkpath(path));
            ShellTest::writeAll(QDir(path).filePath(QStringLiteral("inside.txt")), "kept");
        } else if (entry.endsWith(QLatin1Char('@'))) {
            const QString target = QDir(folder).filePath(QStringLiteral("link-target.bin"));
            if (!QFileInfo::exists(target))
                ShellTest::writeAll(target, "target");
            QVERIFY(QFile::link(target, path));
        } else {
            ShellTest::writeAll(path, entry.toUtf8());
        }
    }
}

mode_t modeOf(const QString& path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : mode_t(0);
}

// The local zone of the process for as long as it lives.
class LocalZone
{
public:
    explicit LocalZone(const QByteArray& zone) : m_had(qEnvironmentVariableIsSet("TZ")), m_saved(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        ::tzset();
    }
    ~LocalZone()
    {
        if (m_had)
            qputenv("TZ", m_saved);
        else
            qunsetenv("TZ");
        ::tzset();
    }
    LocalZone(const LocalZone&) = delete;
    LocalZone& operator=(const LocalZone&) = delete;

private:
    bool m_had;
    QByteArray m_saved;
};

} // namespace

class TestBackupFolder : public QObject
{
    Q_OBJECT

private slots:
    void settingsLoad_data();
    void settingsLoad();
    void settingsSaveAndLoadBack_data();
    void settingsSaveAndLoadBack();
    void settingsSaveRefused_data();
    void settingsSaveRefused();
    void settingsFolderPath_data();
    void settingsFolderPath();

    void takenFromName_data();
    void takenFromName();
    void takenFromNameSkippedByTheClock();
    void backupsNewestFirst_data();
    void backupsNewestFirst();
    void pathFor_data();
    void pathFor();
    void isDue_data();
    void isDue();
    void rotate_data();
    void rotate();
    void noPathMeansNoBackups();
};

void TestBackupFolder::settingsLoad_data()
{
    QTest::addColumn<QByteArray>("content"); // "-" for no file at all
    QTest::addColumn<bool>("automatic");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("keep");

    const QString backups = QStringLiteral("Backups");
    QTest::newRow("no file") << QByteArray("-") << false << backups << 7;
    QTest::newRow("empty file") << QByteArray() << false << backups << 7;
    QTest::newRow("all given") << QByteArray("Automatic=true\nFolder=/srv/copies\nKeep=30\n") << true
                               << QStringLiteral("/srv/copies") << 30;
    QTest::newRow("CR LF, blanks, any case")
        << QByteArray("  automatic = TRUE \r\n\r\nFOLDER = Old Copies \r\nkeep= 1\r\n") << true
        << QStringLiteral("Old Copies") << 1;
    QTest::newRow("section, comments, byte-order mark")
        << QByteArray("\xef\xbb\xbf[General]\n; made by hand\n# another note\nAutomatic=true\nKeep=999\n") << true
        << backups << 999;
    QTest::newRow("quoted folder keeps its blanks")
        << QByteArray("Folder=\" spaced \"\n") << false << QStringLiteral(" spaced ") << 7;
    QTest::newRow("folder with = and ;") << QByteArray("Folder=a=b;c\n") << false << QStringLiteral("a=b;c") << 7;
    QTest::newRow("non-ASCII folder") << QByteArray("Folder=Sicherungsk\xc3\xb6pie\n") << false
                                      << QStringLiteral("Sicherungsk\u00f6pie") << 7;
    QTest::newRow("the last of a repeated key") << QByteArray("Keep=3\nKeep=4\n") << false << backups << 4;
    QTest::newRow("empty values") << QByteArray("Automatic=\nFolder=\nKeep=\n") << false << backups << 7;
    QTest::newRow("blank folder") << QByteArray("Folder=   \n") << false << backups << 7;
    QTest::newRow("automatic yes") << QByteArray("Automatic=yes\n") << false << backups << 7;
    QTest::newRow("automatic 1") << QByteArray("Automatic=1\n") << false << backups << 7;
    QTest::newRow("automatic false") << QByteArray("Automatic=false\n") << false << backups << 7;
    QTest::newRow("keep 0") << QByteArray("Keep=0\n") << false << backups << 7;
    QTest::newRow("keep 1000") << QByteArray("Keep=1000\n") << false << backups << 7;
    QTest::newRow("keep -3") << QByteArray("Keep=-3\n") << false << backups << 7;
    QTest::newRow("keep 7.5") << QByteArray("Keep=7.5\n") << false << backups << 7;
    QTest::newRow("keep words") << QByteArray("Keep=ten\n") << false << backups << 7;
    QTest::newRow("keep too large for a number") << QByteArray("Keep=99999999999999999999\n") << false << backups << 7;
    QTest::newRow("unknown keys and lines without =")
        << QByteArray("Colour=blue\nAutomatic\n=true\nKeep 5\n") << false << backups << 7;
    QTest::newRow("garbage bytes") << QByteArray("\x00\xff\xfe=\x01\n\x80", 7) << false << backups << 7;
    QTest::newRow("good beside bad") << QByteArray("Automatic=maybe\nFolder=Kept\nKeep=12\n") << false
                                     << QStringLiteral("Kept") << 12;
}

void TestBackupFolder::settingsLoad()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, automatic);
    QFETCH(QString, folder);
    QFETCH(int, keep);
    TestDatabaseFolder app(false);
    if (content != "-")
        ShellTest::writeAll(app.file(QStringLiteral("Backup.ini")), content);

    const BackupSettings settings = BackupSettings::load();

    QCOMPARE(settings.automatic, automatic);
    QCOMPARE(settings.folder, folder);
    QCOMPARE(settings.keep, keep);
}

void TestBackupFolder::settingsSaveAndLoadBack_data()
{
    QTest::addColumn<bool>("automatic");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("keep");
    QTest::addColumn<bool>("existing"); // a Backup.ini readable by all was there before

    QTest::newRow("defaults, new file") << false << QStringLiteral("Backups") << 7 << false;
    QTest::newRow("absolute folder, over a file") << true << QStringLiteral("/srv/orvanta copies") << 999 << true;
    QTest::newRow("keep 1") << true << QStringLiteral("Copies") << 1 << true;
    QTest::newRow("blanks around the folder") << true << QStringLiteral("  two sides  ") << 5 << false;
    QTest::newRow("quotes in the folder") << false << QStringLiteral("\"quoted\"") << 5 << true;
    QTest::newRow("a leading quote") << false << QStringLiteral("\"half") << 5 << false;
    QTest::newRow("=, ; and # in the folder") << true << QStringLiteral("#a=b;c") << 12 << false;
    QTest::newRow("non-ASCII folder") << true << QStringLiteral("Kopien \u00e4\u00df \u65e5\u672c") << 30 << false;
    QTest::newRow("backslashes") << true << QStringLiteral("C:\\Orvanta\\Backups") << 3 << true;
}

void TestBackupFolder::settingsSaveAndLoadBack()
{
    QFETCH(bool, automatic);
    QFETCH(QString, folder);
    QFETCH(int, keep);
    QFETCH(bool, existing);
    TestDatabaseFolder app(false);
    const QString settingsIni = app.file(QStringLiteral("Settings.ini"));
    ShellTest::writeAll(settingsIni, StartupBytes);
    const QString path = app.file(QStringLiteral("Backup.ini"));
    if (existing) {
        ShellTest::writeAll(path, "Automatic=maybe\nKeep=2\nFolder=Old\n");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther |
                                                QFile::WriteOther));
    }
    const ProcessUmask noMask(0);
    BackupSettings settings;
    settings.automatic = automatic;
    settings.folder = folder;
    settings.keep = keep;

    settings.save();

    QCOMPARE(BackupSettings::filePath(), path);
    QCOMPARE(modeOf(path), mode_t(0600));
    const BackupSettings loaded = BackupSettings::load();
    QCOMPARE(loaded.automatic, automatic);
    QCOMPARE(loaded.folder, folder);
    QCOMPARE(loaded.keep, keep);
    // Nothing else written: Settings.ini as it was, no temporary file left beside.
    QCOMPARE(ShellTest::readAll(settingsIni), StartupBytes);
    QCOMPARE(contents(app.path()), QStringList({QStringLiteral("Backup.ini"), QStringLiteral("Settings.ini")}));
}

void TestBackupFolder::settingsSaveRefused_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("keep");
    QTest::addColumn<bool>("unwritable"); // Backup.ini is a folder

    QTest::newRow("line break in the folder") << QStringLiteral("two\nlines") << 7 << false;
    QTest::newRow("carriage return in the folder") << QStringLiteral("two\rlines") << 7 << false;
    QTest::newRow("keep 0") << QStringLiteral("Backups") << 0 << false;
    QTest::newRow("keep 1000") << QStringLiteral("Backups") << 1000 << false;
    QTest::newRow("file cannot be replaced") << QStringLiteral("Backups") << 7 << true;
}

void TestBackupFolder::settingsSaveRefused()
{
    QFETCH(QString, folder);
    QFETCH(int, keep);
    QFETCH(bool, unwritable);
    TestDatabaseFolder app(false);
    ShellTest::writeAll(app.file(QStringLiteral("Settings.ini")), StartupBytes);
    const QString path = app.file(QStringLiteral("Backup.ini"));
    const QByteArray before = "Automatic=true\nFolder=Earlier\nKeep=9\n";
    if (unwritable)
        QVERIFY(QDir().mkpath(path));
    else
        ShellTest::writeAll(path, before);
    BackupSettings settings;
    settings.automatic = true;
    settings.folder = folder;
    settings.keep = keep;

    QVERIFY_THROWS_EXCEPTION(StoreError, settings.save());

    if (unwritable) {
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(contents(app.path()), QStringList({QStringLiteral("Backup.ini/"), QStringLiteral("Settings.ini")}));
    } else {
        QCOMPARE(ShellTest::readAll(path), before);
        QCOMPARE(contents(app.path()), QStringList({QStringLiteral("Backup.ini"), QStringLiteral("Settings.ini")}));
    }
    QCOMPARE(ShellTest::readAll(app.file(QStringLiteral("Settings.ini"))), StartupBytes);
}

void TestBackupFolder::settingsFolderPath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("underApp"); // relative to the application folder; "" for as given

    QTest::newRow("default") << QStringLiteral("Backups") << QStringLiteral("Backups");
    QTest::newRow("nested, untidy") << QStringLiteral("./a//b/") << QStringLiteral("a/b");
    QTest::newRow("beside the folder") << QStringLiteral("../Copies") << QStringLiteral("../Copies");
    QTest::newRow("empty") << QString() << QStringLiteral("Backups");
    QTest::newRow("absolute") << QStringLiteral("/srv/copies/") << QString();
}

void TestBackupFolder::settingsFolderPath()
{
    QFETCH(QString, folder);
    QFETCH(QString, underApp);
    TestDatabaseFolder app(false);
    BackupSettings settings;
    settings.folder = folder;

    const QString expected =
        underApp.isEmpty() ? QStringLiteral("/srv/copies") : QDir::cleanPath(app.path() + QLatin1Char('/') + underApp);
    QCOMPARE(settings.folderPath(), expected);
}

void TestBackupFolder::takenFromName_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QDateTime>("taken"); // invalid: not a backup's name

    QTest::newRow("morning") << name(2024, 1, 5, 9, 7) << at(2024, 1, 5, 9, 7);
    QTest::newRow("last minute of a year") << name(2023, 12, 31, 23, 59) << at(2023, 12, 31, 23, 59);
    QTest::newRow("midnight") << name(2024, 1, 1, 0, 0) << at(2024, 1, 1, 0, 0);
    QTest::newRow("leap day") << name(2024, 2, 29, 12, 0) << at(2024, 2, 29, 12, 0);
    QTest::newRow("with its folder") << QStringLiteral("/srv/copies/") + name(2024, 6, 1, 18, 30)
                                     << at(2024, 6, 1, 18, 30);
    QTest::newRow("no leap day") << QStringLiteral("Dravolin-2023-02-29-1200.mdb") << QDateTime();
    QTest::newRow("month 13") << QStringLiteral("Dravolin-2024-13-01-1200.mdb") << QDateTime();
    QTest::newRow("hour 24") << QStringLiteral("Dravolin-2024-01-01-2400.mdb") << QDateTime();
    QTest::newRow("minute 60") << QStringLiteral("Dravolin-2024-01-01-1260.mdb") << QDateTime();
    QTest::newRow("year 0") << QStringLiteral("Dravolin-0000-01-01-1200.mdb") << QDateTime();
    QTest::newRow("seconds") << QStringLiteral("Dravolin-2024-01-01-120000.mdb") << QDateTime();
    QTest::newRow("short") << QStringLiteral("Dravolin-2024-1-1-1200.mdb") << QDateTime();
    QTest::newRow("lower case") << QStringLiteral("dravolin-2024-01-01-1200.mdb") << QDateTime();
    QTest::newRow("upper-case extension") << QStringLiteral("Dravolin-2024-01-01-1200.MDB") << QDateTime();
    QTest::newRow("being built") << QStringLiteral("Dravolin-2024-01-01-1200.mdb.part-a1B2c3") << QDateTime();
    QTest::newRow("copy") << QStringLiteral("Dravolin-2024-01-01-1200 (2).mdb") << QDateTime();
    QTest::newRow("prefixed") << QStringLiteral("Old-Dravolin-2024-01-01-1200.mdb") << QDateTime();
    QTest::newRow("the database") << QStringLiteral("Dravolin.mdb") << QDateTime();
    QTest::newRow("other digits") << QStringLiteral("Dravolin-\u0662\u0660\u0662\u0664-01-01-1200.mdb") << QDateTime();
    QTest::newRow("empty") << QString() << QDateTime();
}

void TestBackupFolder::takenFromName()
{
    QFETCH(QString, fileName);
    QFETCH(QDateTime, taken);
    const QDateTime found = BackupFolder::takenFromName(fileName);
    QCOMPARE(found.isValid(), taken.isValid());
    if (taken.isValid()) {
        QCOMPARE(found, taken);
        QCOMPARE(found.timeSpec(), Qt::LocalTime);
    }
}

void TestBackupFolder::takenFromNameSkippedByTheClock()
{
    const LocalZone zone("Europe/Berlin");
    const QDate spring(2024, 3, 31);
    if (QDateTime(spring, QTime(2, 30)).isValid())
        QSKIP("This system's local time has no gap at 02:00 on 31 March 2024 in Europe/Berlin");
    QTemporaryDir dir;
    fill(dir.path(), {name(2024, 3, 31, 2, 30), name(2024, 3, 30, 23, 0)});
    QTemporaryDir after;
    fill(after.path(), {name(2024, 3, 31, 2, 30), name(2024, 3, 31, 3, 10)});

    const QDateTime taken = BackupFolder::takenFromName(name(2024, 3, 31, 2, 30));

    QVERIFY(taken.isValid());
    QCOMPARE(taken.date(), spring);
    const BackupFolder folder(dir.path());
    QCOMPARE(folder.newest().path, QDir(dir.path()).filePath(name(2024, 3, 31, 2, 30)));
    QVERIFY(!folder.isDue(QDateTime(spring, QTime(12, 0))));
    // Ordered as their names are.
    QCOMPARE(BackupFolder(after.path()).newest().path, QDir(after.path()).filePath(name(2024, 3, 31, 3, 10)));
}

void TestBackupFolder::backupsNewestFirst_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("backups"); // newest first

    QTest::newRow("missing folder") << QStringList{QStringLiteral("-")} << QStringList();
    QTest::newRow("empty folder") << QStringList() << QStringList();
    QTest::newRow("across days, years and hours")
        << QStringList{name(2024, 1, 2, 0, 5), name(2023, 12, 31, 23, 59), name(2024, 1, 10, 9, 0),
                       name(2024, 1, 2, 13, 0), name(2024, 1, 2, 9, 30)}
        << QStringList{name(2024, 1, 10, 9, 0), name(2024, 1, 2, 13, 0), name(2024, 1, 2, 9, 30),
                       name(2024, 1, 2, 0, 5), name(2023, 12, 31, 23, 59)};
    QTest::newRow("foreign entries left out") << QStringList{name(2024, 5, 1, 10, 0),
                                                             QStringLiteral("Dravolin-2025-01-01-0000.mdb.part-x1y2"),
                                                             name(2025, 2, 2, 0, 0) + QLatin1Char('/'),
                                                             name(2025, 3, 3, 0, 0) + QLatin1Char('@'),
                                                             QStringLiteral("dravolin-2025-04-04-0000.mdb"),
                                                             QStringLiteral("Dravolin.mdb"),
                                                             QStringLiteral("notes.txt")}
                                              << QStringList{name(2024, 5, 1, 10, 0)};
}

void TestBackupFolder::backupsNewestFirst()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, backups);
    QTemporaryDir dir;
    QString path = dir.path();
    if (entries == QStringList{QStringLiteral("-")})
        path += QStringLiteral("/missing");
    else
        fill(path, entries);
    const BackupFolder folder(path);

    QStringList found;
    QDateTime later;
    for (const BackupFolder::Entry& entry : folder.backups()) {
        QCOMPARE(QFileInfo(entry.path).absolutePath(), QFileInfo(path).absoluteFilePath());
        QVERIFY(entry.taken.isValid());
        QVERIFY(!later.isValid() || entry.taken < later);
        later = entry.taken;
        found << QFileInfo(entry.path).fileName();
    }
    QCOMPARE(found, backups);
    QCOMPARE(QFileInfo(folder.newest().path).fileName(), backups.value(0));
    QCOMPARE(folder.newest().path.isEmpty(), backups.isEmpty());
}

void TestBackupFolder::pathFor_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("seconds dropped") << at(2024, 1, 5, 9, 7, 59) << name(2024, 1, 5, 9, 7);
    QTest::newRow("last minute of the day") << at(2024, 2, 29, 23, 59, 59) << name(2024, 2, 29, 23, 59);
    QTest::newRow("first minute of the year") << at(2025, 1, 1, 0, 0, 1) << name(2025, 1, 1, 0, 0);
    QTest::newRow("given in UTC, named in local time") << at(2024, 7, 1, 12, 0).toUTC() << name(2024, 7, 1, 12, 0);
}

void TestBackupFolder::pathFor()
{
    QFETCH(QDateTime, now);
    QFETCH(QString, fileName);
    QTemporaryDir dir;
    const BackupFolder folder(dir.path());

    const QString path = folder.pathFor(now);

    QCOMPARE(path, QDir(dir.path()).filePath(fileName));
    QCOMPARE(BackupFolder::takenFromName(path).date(), now.toLocalTime().date());
    // A backup under that name is the folder's newest, and today is done.
    fill(dir.path(), {name(2000, 1, 1, 0, 0), fileName});
    QCOMPARE(folder.newest().path, path);
    QVERIFY(!folder.isDue(now));
}

void TestBackupFolder::isDue_data()
{
    QTest::addColumn<QStringList>("entries"); // {"-"}: the folder is missing
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("due");

    const QDateTime morning = at(2024, 3, 10, 8, 0);
    QTest::newRow("missing folder") << QStringList{QStringLiteral("-")} << morning << true;
    QTest::newRow("empty folder") << QStringList() << morning << true;
    QTest::newRow("one from the evening before")
        << QStringList{name(2024, 3, 9, 23, 59)} << at(2024, 3, 10, 0, 0) << true;
    QTest::newRow("one from just after midnight")
        << QStringList{name(2024, 3, 10, 0, 0)} << at(2024, 3, 10, 23, 59, 59) << false;
    QTest::newRow("one from later today (the clock was reset)")
        << QStringList{name(2024, 3, 10, 18, 0)} << morning << false;
    QTest::newRow("same time of day, a year before") << QStringList{name(2023, 3, 10, 8, 0)} << morning << true;
    QTest::newRow("same time of day, a month before") << QStringList{name(2024, 2, 10, 8, 0)} << morning << true;
    QTest::newRow("only a future one") << QStringList{name(2024, 3, 11, 7, 0)} << morning << true;
    QTest::newRow("today's among others")
        << QStringList{name(2024, 3, 8, 9, 0), name(2024, 3, 10, 7, 59), name(2024, 3, 9, 9, 0)} << morning << false;
    QTest::newRow("today's only half built")
        << QStringList{name(2024, 3, 10, 7, 0) + QStringLiteral(".part-AbC123")} << morning << true;
    QTest::newRow("today's name on a folder")
        << QStringList{name(2024, 3, 10, 7, 0) + QLatin1Char('/')} << morning << true;
    QTest::newRow("today's name in lower case")
        << QStringList{QStringLiteral("dravolin-2024-03-10-0700.mdb")} << morning << true;
}

void TestBackupFolder::isDue()
{
    QFETCH(QStringList, entries);
    QFETCH(QDateTime, now);
    QFETCH(bool, due);
    QTemporaryDir dir;
    QString path = dir.path();
    if (entries == QStringList{QStringLiteral("-")})
        path += QStringLiteral("/missing");
    else
        fill(path, entries);

    QCOMPARE(BackupFolder(path).isDue(now), due);
    QCOMPARE(QFileInfo::exists(path), entries != QStringList{QStringLiteral("-")});
}

void TestBackupFolder::rotate_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("keep");
    QTest::addColumn<QString>("verified"); // a name in the folder, "" for none
    QTest::addColumn<QStringList>("deleted");

    const QString d1 = name(2024, 1, 1, 22, 0);
    const QString d2 = name(2024, 1, 2, 8, 0);
    const QString d3 = name(2024, 1, 3, 8, 0);
    const QString d4 = name(2024, 1, 4, 8, 0);
    const QString d5 = name(2024, 1, 10, 8, 0);
    const QStringList five{d3, d1, d5, d2, d4}; // in no order
    QTest::newRow("keep 3 of 5") << five << 3 << d5 << QStringList{d2, d1};
    QTest::newRow("keep as many as there are") << five << 5 << d5 << QStringList();
    QTest::newRow("keep more than there are") << five << 999 << d5 << QStringList();
    QTest::newRow("keep 1: the verified one") << five << 1 << d5 << QStringList{d4, d3, d2, d1};
    QTest::newRow("keep 1, the verified one the oldest") << five << 1 << d1 << QStringList{d5, d4, d3, d2};
    QTest::newRow("keep 2, the verified one in the middle") << five << 2 << d3 << QStringList{d4, d2, d1};
    QTest::newRow("keep 0 still spares the verified one") << five << 0 << d5 << QStringList{d4, d3, d2, d1};
    QTest::newRow("keep -5 still spares the verified one") << five << -5 << d2 << QStringList{d5, d4, d3, d1};
    QTest::newRow("keep 0, none verified: the newest stays") << five << 0 << QString() << QStringList{d4, d3, d2, d1};
    QTest::newRow("none verified") << five << 2 << QString() << QStringList{d3, d2, d1};
    QTest::newRow("verified through an untidy path")
        << five << 1 << QStringLiteral("./") + d2 << QStringList{d5, d4, d3, d1};
    QTest::newRow("verified elsewhere") << five << 2 << QStringLiteral("../") + d5 << QStringList{d3, d2, d1};
    QTest::newRow("same day, by the minute")
        << QStringList{name(2024, 1, 2, 8, 1), name(2024, 1, 2, 8, 0), name(2024, 1, 2, 23, 59), name(2024, 1, 2, 0, 0)}
        << 2 << name(2024, 1, 2, 23, 59) << QStringList{name(2024, 1, 2, 8, 0), name(2024, 1, 2, 0, 0)};
    const QStringList foreign{QStringLiteral("Dravolin.mdb"),
                              QStringLiteral("Dravolin-2020-01-01-0000.mdb.part-q9W8e7"),
                              QStringLiteral("dravolin-2020-01-01-0000.mdb"),
                              QStringLiteral("Dravolin-2020-01-01-0000.MDB"),
                              QStringLiteral("Dravolin-2020-01-01-0000.mdb.bak"),
                              name(2019, 1, 1, 0, 0) + QLatin1Char('/'),
                              name(2018, 1, 1, 0, 0) + QLatin1Char('@'),
                              QStringLiteral("notes.txt")};
    QTest::newRow("foreign entries never deleted")
        << QStringList(foreign) + five << 1 << d5 << QStringList{d4, d3, d2, d1};
    QTest::newRow("only foreign entries") << foreign << 1 << QString() << QStringList();
    QTest::newRow("missing folder") << QStringList{QStringLiteral("-")} << 1 << QString() << QStringList();
}

void TestBackupFolder::rotate()
{
    QFETCH(QStringList, entries);
    QFETCH(int, keep);
    QFETCH(QString, verified);
    QFETCH(QStringList, deleted);
    QTemporaryDir dir;
    QString path = dir.path() + QStringLiteral("/Backups");
    if (entries == QStringList{QStringLiteral("-")}) {
        path += QStringLiteral("/missing");
        entries.clear();
    } else {
        fill(path, entries);
    }
    const QStringList before = contents(path);

    const QStringList gone =
        BackupFolder(path).rotate(keep, verified.isEmpty() ? QString() : path + QLatin1Char('/') + verified);

    QStringList goneNames;
    for (const QString& file : gone) {
        QCOMPARE(QFileInfo(file).absolutePath(), QFileInfo(path).absoluteFilePath());
        goneNames << QFileInfo(file).fileName();
    }
    QCOMPARE(goneNames, deleted);
    QStringList remaining = before;
    for (const QString& file : deleted)
        remaining.removeOne(file);
    QCOMPARE(contents(path), remaining);
    for (const QString& entry : entries) {
        if (entry.endsWith(QLatin1Char('/')))
            QCOMPARE(ShellTest::readAll(path + QLatin1Char('/') + entry + QStringLiteral("inside.txt")),
                     QByteArray("kept"));
    }
    if (!entries.isEmpty())
        QCOMPARE(ShellTest::readAll(path + QStringLiteral("/link-target.bin")).isEmpty(),
                 !entries.join(QString()).contains(QLatin1Char('@')));
}

void TestBackupFolder::noPathMeansNoBackups()
{
    // An empty path never stands for the working folder.
    QTemporaryDir dir;
    const QString working = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    fill(dir.path(), {name(2024, 1, 1, 0, 0), name(2024, 1, 2, 0, 0)});
    const BackupFolder folder{QString()};

    const bool due = folder.isDue(at(2024, 1, 2, 12, 0));
    const QStringList deleted = folder.rotate(1, QString());
    const QStringList left = contents(dir.path());

    QVERIFY(QDir::setCurrent(working));
    QVERIFY(folder.backups().isEmpty());
    QVERIFY(due);
    QVERIFY(deleted.isEmpty());
    QCOMPARE(left, QStringList({name(2024, 1, 1, 0, 0), name(2024, 1, 2, 0, 0)}));
}

QTEST_GUILESS_MAIN(TestBackupFolder)
#include "tst_backupfolder.moc"
