#include "FirstSchema.h"
#include "ProcessUmask.h"
#include "TestDatabaseFolder.h"
#include "store/Database.h"
#include "store/DatabaseBackup.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseCompaction.h"
#include "store/DatabaseRestore.h"
#include "store/DatabaseUsers.h"
#include "store/PrivateFiles.h"
#include "store/SchemaUpgrade.h"
#include "store/Statement.h"
#include "store/StoreError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <cstring>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

QByteArray pattern(qint64 size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = 2654435761u * static_cast<quint32>(seed + 1);
    for (char& c : bytes) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

qint64 addClient(const Database& db, const QString& name)
{
    db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"Last Name\") VALUES (?)"), {name});
    return db.scalar(QStringLiteral("SELECT max(PersonalInformationId) FROM \"Personal Information\"")).toLongLong();
}

void addDocument(const Database& db, qint64 client, const QString& name, const QByteArray& bytes)
{
    db.execute(QStringLiteral("INSERT INTO Attachments (PersonalInformationId, AttachmentsName, AttachmentVersion, "
                              "AttachmentExtension, Attachments) VALUES (?, ?, 1, '.bin', longbinary(?))"),
               {client, name, bytes});
}

// Name -> SHA-256 of every stored document of a database file.
QMap<QString, QByteArray> documentDigests(const QString& file)
{
    const Database db(file);
    QMap<QString, QByteArray> digests;
    Statement rows = db.prepare(QStringLiteral("SELECT AttachmentsName, Attachments FROM Attachments"));
    while (rows.step())
        digests.insert(rows.value(0).toString(),
                       QCryptographicHash::hash(rows.value(1).toByteArray(), QCryptographicHash::Sha256));
    return digests;
}

int modeOf(const QString& path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

// A file system that is full once the files being built (".part-") reach a size: wraps the
// engine's own file access for the whole test program.
struct FullDisk
{
    static inline sqlite3_vfs* real = nullptr;
    static inline sqlite3_int64 limit = -1;
    static inline sqlite3_vfs vfs{};
    static inline sqlite3_io_methods methods{};

    struct File
    {
        sqlite3_file base;
        bool building;
        sqlite3_file* inner() { return reinterpret_cast<sqlite3_file*>(this + 1); }
    };

    static int write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset)
    {
        auto* self = reinterpret_cast<File*>(file);
        if (self->building && limit >= 0 && offset + amount > limit)
            return SQLITE_FULL;
        return self->inner()->pMethods->xWrite(self->inner(), data, amount, offset);
    }

    static int open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
    {
        auto* self = reinterpret_cast<File*>(file);
        self->building = name && std::strstr(name, ".part-") != nullptr;
        const int rc = real->xOpen(real, name, self->inner(), flags, outFlags);
        if (rc != SQLITE_OK || !self->inner()->pMethods) {
            self->base.pMethods = nullptr;
            return rc;
        }
        if (!methods.xClose) {
            methods = *self->inner()->pMethods;
            methods.xClose = [](sqlite3_file* f) {
                auto* s = reinterpret_cast<File*>(f);
                return s->inner()->pMethods->xClose(s->inner());
            };
#define FORWARD(name, ...)                                                                                             \
    [](sqlite3_file* f, auto... a) {                                                                                   \
        return reinterpret_cast<File*>(f)->inner()->pMethods->name(reinterpret_cast<File*>(f)->inner(), a...);         \
    }
            methods.xRead = FORWARD(xRead);
            methods.xWrite = write;
            methods.xTruncate = FORWARD(xTruncate);
            methods.xSync = FORWARD(xSync);
            methods.xFileSize = FORWARD(xFileSize);
            methods.xLock = FORWARD(xLock);
            methods.xUnlock = FORWARD(xUnlock);
            methods.xCheckReservedLock = FORWARD(xCheckReservedLock);
            methods.xFileControl = FORWARD(xFileControl);
            methods.xSectorSize = FORWARD(xSectorSize);
            methods.xDeviceCharacteristics = FORWARD(xDeviceCharacteristics);
            methods.xShmMap = FORWARD(xShmMap);
            methods.xShmLock = FORWARD(xShmLock);
            methods.xShmBarrier = FORWARD(xShmBarrier);
            methods.xShmUnmap = FORWARD(xShmUnmap);
            methods.xFetch = FORWARD(xFetch);
            methods.xUnfetch = FORWARD(xUnfetch);
#undef FORWARD
        }
        self->base.pMethods = &methods;
        return rc;
    }

    static void install()
    {
        if (real)
            return;
        real = sqlite3_vfs_find(nullptr);
        vfs = *real;
        vfs.zName = "orvanta_test_full_disk";
        vfs.szOsFile = static_cast<int>(sizeof(File)) + real->szOsFile;
        vfs.xOpen = open;
        sqlite3_vfs_register(&vfs, 1);
    }
};

} // namespace

class tst_DatabaseBackup : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabaseFolder> m_folder;

    // Three clients with two documents each, one of them a few megabytes.
    void fill() const
    {
        const Database db(m_folder->location());
        for (int c = 0; c < 3; ++c) {
            const qint64 client = addClient(db, QStringLiteral("Client %1").arg(c));
            addDocument(db, client, QStringLiteral("small %1").arg(c), pattern(5000, c));
            addDocument(db, client, QStringLiteral("large %1").arg(c), pattern((3 << 20) + c, 10 + c));
        }
    }

    bool onServer() const { return PgTestDatabase::wanted(); }

private slots:
    void initTestCase() { FullDisk::install(); }
    void init()
    {
        FullDisk::limit = -1;
        Database::setBusyTimeout(-1);
        m_folder = std::make_unique<TestDatabaseFolder>();
        fill();
    }
    void cleanup() { m_folder.reset(); }

    // The copy holds every row and document, readable by its owner only whatever the umask.
    void backupIsVerifiedAndPrivate()
    {
        std::optional<ProcessUmask> open(std::in_place, 0);
        const QString target = m_folder->file(DatabaseBackup::fileNameFor(QDateTime(QDate(2026, 3, 4), QTime(9, 7))));
        QCOMPARE(QFileInfo(target).fileName(), QStringLiteral("Dravolin-2026-03-04-0907.mdb"));
        DatabaseBackup backup(m_folder->location(), target);
        const DatabaseBackup::Result result = backup.run();
        open.reset();
        QCOMPARE(result.file, QFileInfo(target).absoluteFilePath());
        QCOMPARE(result.clients, 3);
        QCOMPARE(result.documents, 6);
        QCOMPARE(modeOf(target), 0600);
        QCOMPARE(DatabaseCheck::problems(target, DatabaseCheck::Depth::Full), QStringList());
        QCOMPARE(documentDigests(target).size(), 6);
        QCOMPARE(documentDigests(target).value(QStringLiteral("large 2")),
                 QCryptographicHash::hash(pattern((3 << 20) + 2, 12), QCryptographicHash::Sha256));
        QCOMPARE(QDir(m_folder->path()).entryList({QStringLiteral("*.part-*")}, QDir::Files | QDir::Hidden),
                 QStringList());
        if (!onServer())
            QCOMPARE(DatabaseCheck::rowCounts(target), DatabaseCheck::rowCounts(m_folder->location()));
    }

    // Another connection stores a large document between the copy's steps: the copy starts
    // again and ends as one moment of the database, each document whole or absent; written to
    // between every step, the last try keeps the writer out and still ends.
    void backupWhileAnotherConnectionWrites_data()
    {
        QTest::addColumn<int>("writes");
        QTest::newRow("a few writes") << 3;
        QTest::newRow("writes at every step") << 1000;
    }
    void backupWhileAnotherConnectionWrites()
    {
        if (onServer())
            QSKIP("The engine's online backup of a database file.");
        QFETCH(int, writes);
        Database::setBusyTimeout(50);
        const Database writer(m_folder->location());
        const qint64 client = addClient(writer, QStringLiteral("Writer"));
        int written = 0;
        int refused = 0;
        const QString target = m_folder->file(QStringLiteral("copy.mdb"));
        DatabaseBackup backup(m_folder->location(), target);
        backup.setPagesPerStep(2);
        backup.setProgress([&](qint64, qint64) {
            if (written < writes && refused == 0) {
                try {
                    addDocument(writer, client, QStringLiteral("new %1").arg(written), pattern(2 << 20, 100 + written));
                    ++written;
                } catch (const StoreError& error) {
                    if (!error.isBusy())
                        throw;
                    ++refused;
                }
            }
            return true;
        });
        backup.run();
        QVERIFY(written > 0);
        QCOMPARE(DatabaseCheck::problems(target, DatabaseCheck::Depth::Full), QStringList());
        const QMap<QString, QByteArray> digests = documentDigests(target);
        int newOnes = 0;
        for (int n = 0; n < written; ++n) {
            const QString name = QStringLiteral("new %1").arg(n);
            if (!digests.contains(name))
                continue;
            ++newOnes;
            QCOMPARE(digests.value(name),
                     QCryptographicHash::hash(pattern(2 << 20, 100 + n), QCryptographicHash::Sha256));
        }
        // What was written before the copy's moment is in it, in order, and nothing after.
        for (int n = 0; n < newOnes; ++n)
            QVERIFY(digests.contains(QStringLiteral("new %1").arg(n)));
        if (writes > 100)
            QVERIFY2(refused > 0, "the last try kept the writer out");
    }

    // Full disk, cancel: nothing under the target's name, an existing backup kept as it was.
    void failedBackupLeavesNoFile_data()
    {
        QTest::addColumn<bool>("full");
        QTest::addColumn<bool>("existing");
        QTest::newRow("disk full") << true << false;
        QTest::newRow("disk full, older backup") << true << true;
        QTest::newRow("cancelled") << false << false;
    }
    void failedBackupLeavesNoFile()
    {
        QFETCH(bool, full);
        QFETCH(bool, existing);
        const QString target = m_folder->file(QStringLiteral("copy.mdb"));
        if (existing) {
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("older backup");
        }
        DatabaseBackup backup(m_folder->location(), target);
        if (full)
            FullDisk::limit = 2 << 20;
        else // the copy fits one step: cancelled all the same
            backup.setProgress([](qint64, qint64) { return false; });
        try {
            backup.run();
            QFAIL("the backup did not fail");
        } catch (const StoreError& error) {
            QCOMPARE(error.isCancelled(), !full);
            if (full)
                QVERIFY2(error.message().contains(QLatin1String("full")), qPrintable(error.message()));
        }
        FullDisk::limit = -1;
        QCOMPARE(QFileInfo::exists(target), existing);
        if (existing)
            QCOMPARE(QFileInfo(target).size(), qint64(12));
        QCOMPARE(QDir(m_folder->path()).entryList({QStringLiteral("copy.mdb.*")}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // A backup of the first release's schema is upgraded as it is put in place; the database
    // it replaces is kept under a dated name.
    void restoreUpgradesAnOlderBackup()
    {
        if (onServer())
            QSKIP("Restores a database file.");
        const QString old = m_folder->file(QStringLiteral("old.mdb"));
        {
            PrivateFiles::createEmpty(old);
            const Database db(old);
            db.executeScript(QString::fromLatin1(FirstSchemaTables));
            db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"Last Name\") VALUES ('Earlier')"));
        }
        QCOMPARE(DatabaseCheck::inspect(old).schemaVersion, 0);
        QCOMPARE(DatabaseCheck::inspect(old).clients, 1);
        const QString database = m_folder->location();
        const QMap<QString, QByteArray> before = documentDigests(database);
        DatabaseRestore restore(old, database);
        restore.setTime(QDateTime(QDate(2026, 12, 1), QTime(8, 30)));
        const QString kept = restore.run();
        QCOMPARE(kept, database + QStringLiteral(".before-restore-2026-12-01-0830"));
        QCOMPARE(documentDigests(kept), before);
        const Database restored(database);
        QCOMPARE(SchemaUpgrade::version(restored), SchemaUpgrade::currentVersion());
        QCOMPARE(restored.scalar(QStringLiteral("SELECT \"Last Name\" FROM \"Personal Information\"")).toString(),
                 QStringLiteral("Earlier"));
        QCOMPARE(modeOf(database), 0600);
        QVERIFY(QFileInfo::exists(old));
    }

    // Another copy of the program, or a connection in the middle of writing: refused, and
    // the database left as it was.
    void restoreAndCompactionRefusedWhileInUse_data()
    {
        QTest::addColumn<bool>("compact");
        QTest::addColumn<bool>("writing");
        QTest::newRow("restore, another copy") << false << false;
        QTest::newRow("restore, a writer") << false << true;
        QTest::newRow("compact, another copy") << true << false;
        QTest::newRow("compact, a writer") << true << true;
    }
    void restoreAndCompactionRefusedWhileInUse()
    {
        if (onServer())
            QSKIP("Replaces a database file.");
        QFETCH(bool, compact);
        QFETCH(bool, writing);
        const QString database = m_folder->location();
        const QString backup = m_folder->file(QStringLiteral("backup.mdb"));
        DatabaseBackup(database, backup).run();
        const QByteArray before = [&database] {
            QFile file(database);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        Database::setBusyTimeout(50);
        std::optional<DatabaseUsers> otherCopy;
        std::optional<Database> writer;
        if (writing) {
            writer.emplace(database);
            writer->execute(QStringLiteral("BEGIN IMMEDIATE"));
        } else {
            otherCopy.emplace(database);
        }
        try {
            if (compact)
                DatabaseCompaction(database).run();
            else
                DatabaseRestore(backup, database).run();
            QFAIL("not refused");
        } catch (const StoreError& error) {
            QVERIFY2(error.isBusy(), qPrintable(error.message()));
        }
        if (writer)
            writer->execute(QStringLiteral("ROLLBACK"));
        QFile file(database);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(QDir(m_folder->path()).entryList({QStringLiteral("Dravolin.mdb.*")}, QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Dravolin.mdb.users")});
    }

    // With a third of the documents replaced the file is rebuilt smaller, every byte kept.
    void compactionKeepsEveryByte()
    {
        if (onServer())
            QSKIP("Compacts a database file.");
        const QString database = m_folder->location();
        {
            const Database db(database);
            db.execute(QStringLiteral("DELETE FROM Attachments WHERE AttachmentsName LIKE 'large%'"));
            addDocument(db, 1, QStringLiteral("replacement"), pattern(1 << 20, 77));
            db.execute(QStringLiteral("BEGIN"));
            for (int n = 0; n < 3000; ++n)
                addClient(db, QStringLiteral("Many %1").arg(n));
            db.execute(QStringLiteral("COMMIT"));
        }
        const QMap<QString, QByteArray> before = documentDigests(database);
        const QList<QPair<QString, qint64>> rows = DatabaseCheck::rowCounts(database);
        qint64 reported = 0;
        DatabaseCompaction compaction(database);
        compaction.setProgress([&reported](qint64, qint64) {
            ++reported;
            return true;
        });
        const DatabaseCompaction::Result result = compaction.run();
        QVERIFY2(result.bytesAfter < result.bytesBefore / 2,
                 qPrintable(QStringLiteral("%1 -> %2").arg(result.bytesBefore).arg(result.bytesAfter)));
        QCOMPARE(result.bytesAfter, QFileInfo(database).size());
        QCOMPARE(documentDigests(database), before);
        QCOMPARE(DatabaseCheck::rowCounts(database), rows);
        QCOMPARE(SchemaUpgrade::version(Database(database)), SchemaUpgrade::currentVersion());
        QCOMPARE(modeOf(database), 0600);
        QCOMPARE(DatabaseCheck::problems(database, DatabaseCheck::Depth::Full), QStringList());
        QVERIFY(reported > 0);
    }

    // A damaged page is found and told in the engine's words; a file of another kind, too.
    void checkFindsDamage()
    {
        if (onServer())
            QSKIP("Checks a database file.");
        const QString database = m_folder->location();
        QCOMPARE(DatabaseCheck::problems(database, DatabaseCheck::Depth::Quick), QStringList());
        int asked = 0;
        QCOMPARE(DatabaseCheck::problems(database, DatabaseCheck::Depth::Full,
                                         [&asked](qint64, qint64 total) {
                                             ++asked;
                                             return total == 0;
                                         }),
                 QStringList());
        QVERIFY(asked > 0);
        try {
            DatabaseCheck::problems(database, DatabaseCheck::Depth::Full, [](qint64, qint64) { return false; });
            QFAIL("not cancelled");
        } catch (const StoreError& error) {
            QVERIFY(error.isCancelled());
        }
        // The index of clients by company, damaged: its root page overwritten.
        const qint64 page = Database(database)
                                .scalar(QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE name = "
                                                       "'PersonalInformationCompany'"))
                                .toLongLong();
        const qint64 pageSize = Database(database).scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
        {
            QFile file(database);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek((page - 1) * pageSize + 8);
            file.write(QByteArray(64, '\xff'));
        }
        QVERIFY(!DatabaseCheck::problems(database, DatabaseCheck::Depth::Full).isEmpty());
        const QString text = m_folder->file(QStringLiteral("notes.mdb"));
        QFile notes(text);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write(QByteArray(8192, 'x'));
        notes.close();
        QCOMPARE(DatabaseCheck::problems(text, DatabaseCheck::Depth::Quick).size(), 1);
        QVERIFY_THROWS_EXCEPTION(StoreError, DatabaseCheck::inspect(text));
    }

    // Whatever the umask: the folders of backups, and the journal of a database being written.
    void privateFilesAndFolders()
    {
        const ProcessUmask open(0);
        const QString folder = m_folder->file(QStringLiteral("Backups/inner"));
        PrivateFiles::ensureFolder(folder);
        QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(modeOf(m_folder->file(QStringLiteral("Backups"))), 0700);
        if (onServer())
            return;
        const QString database = m_folder->location();
        QCOMPARE(modeOf(database), 0600);
        const Database db(database);
        db.execute(QStringLiteral("BEGIN IMMEDIATE"));
        addClient(db, QStringLiteral("Journalled"));
        QCOMPARE(modeOf(database + QStringLiteral("-journal")), 0600);
        db.execute(QStringLiteral("ROLLBACK"));
        const DatabaseUsers users(database);
        QCOMPARE(modeOf(DatabaseUsers::lockPath(database)), 0600);
    }
};

QTEST_GUILESS_MAIN(tst_DatabaseBackup)
#include "tst_DatabaseBackup.moc"
