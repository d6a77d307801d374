#include "FileSizeLimit.h"
#include "ProcessUmask.h"
#include "TestDatabaseFolder.h"
#include "clients/ClientDocuments.h"
#include "clients/ClientResources.h"
#include "documents/ClsBinaryFunctions.h"
#include "documents/ResourceLibrary.h"
#include "store/Database.h"
#include "store/DatabaseSchema.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

// Copies of stored documents on disk: into files the user chose and into Temp for viewing.
class TestFileCopies : public QObject
{
    Q_OBJECT

private:
    static void writeFile(const QString& path, const QByteArray& bytes, mode_t mode = 0644)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        file.close();
        ::chmod(QFile::encodeName(path).constData(), mode);
    }

    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    static mode_t modeOf(const QString& path)
    {
        struct stat status = {};
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
            return 0;
        return status.st_mode & 07777;
    }

    static bool isLink(const QString& path)
    {
        struct stat status = {};
        return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISLNK(status.st_mode);
    }

    static QStringList entries(const QString& folder)
    {
        QStringList names =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    }

    // Uploads `bytes` as the attachment `name` of client 1.
    static void uploadAttachment(const TestDatabaseFolder& app, const QString& name, const QByteArray& bytes)
    {
        const QString source = app.file(QStringLiteral("sources/") + name);
        writeFile(source, bytes);
        ClientDocuments(1).upload(source);
    }

    static QByteArray pattern(qsizetype size)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 7 + i / 1000) % 253);
        return bytes;
    }

private slots:
    void failedCopyLeavesTheFileItReplaces_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<qsizetype>("limit");
        QTest::newRow("save as") << QStringLiteral("save") << qsizetype(200 << 10) << qsizetype(64 << 10);
        QTest::newRow("save as, read while written")
            << QStringLiteral("save") << qsizetype(9 << 20) << qsizetype(1 << 20);
        QTest::newRow("save several") << QStringLiteral("batch") << qsizetype(200 << 10) << qsizetype(64 << 10);
        QTest::newRow("view") << QStringLiteral("view") << qsizetype(200 << 10) << qsizetype(64 << 10);
    }

    void failedCopyLeavesTheFileItReplaces()
    {
        QFETCH(QString, kind);
        QFETCH(qsizetype, size);
        QFETCH(qsizetype, limit);
        TestDatabaseFolder app;
        uploadAttachment(app, QStringLiteral("doc.bin"), pattern(size));
        uploadAttachment(app, QStringLiteral("small.txt"), "a small one");
        const QString folder = kind == QLatin1String("view") ? ApplicationFolder::tempPath() : app.file("out");
        const QString target = QDir(folder).filePath(QStringLiteral("doc.bin"));
        const QByteArray old = "the file as it was before";
        writeFile(target, old, 0640);
        const QStringList before = entries(folder);

        const ClientDocuments documents(1);
        QString message;
        try {
            const FileSizeLimit full(static_cast<rlim_t>(limit));
            if (kind == QLatin1String("save"))
                documents.saveCopy(QStringLiteral("doc.bin"), 1, target);
            else if (kind == QLatin1String("batch"))
                documents.saveCopies({{QStringLiteral("doc.bin"), 1, target},
                                      {QStringLiteral("small.txt"), 1, QDir(folder).filePath("small.txt")}});
            else
                documents.fetchForViewing(QStringLiteral("doc.bin"), 1);
            QFAIL("the copy did not fail");
        } catch (const StoreError& error) {
            message = error.message();
        }
        // The failure names the file and the reason.
        QVERIFY2(message.contains(QDir::toNativeSeparators(target)), qPrintable(message));
        QVERIFY2(message.contains(QString::fromLocal8Bit(std::strerror(EFBIG))), qPrintable(message));
        // The file there before is whole, with its mode, and nothing half-written is left beside it.
        QCOMPARE(readFile(target), old);
        QCOMPARE(modeOf(target), mode_t(0640));
        QStringList after = entries(folder);
        after.removeAll(QStringLiteral("small.txt")); // written or not, by the order the helpers took
        QCOMPARE(after, before);

        // Without the limit the same copy replaces the file.
        if (kind == QLatin1String("view"))
            documents.fetchForViewing(QStringLiteral("doc.bin"), 1);
        else
            documents.saveCopy(QStringLiteral("doc.bin"), 1, target);
        QVERIFY(readFile(target) == pattern(size));
    }

    // One object saves copies one after another through a connection it keeps; between them
    // another connection changes what is stored.
    void successiveCopiesSeeWhatIsStoredNow_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QByteArray>("expected"); // empty: the copy fails and leaves the file
        QTest::newRow("contents replaced") << QStringLiteral("replace") << QByteArray("the second contents");
        QTest::newRow("document deleted") << QStringLiteral("delete") << QByteArray();
        QTest::newRow("database file replaced") << QStringLiteral("file") << QByteArray("from the other file");
    }

    void successiveCopiesSeeWhatIsStoredNow()
    {
        QFETCH(QString, change);
        QFETCH(QByteArray, expected);
        if (change == QLatin1String("file") && PgTestDatabase::wanted())
            QSKIP("A PostgreSQL database is no file that another could replace");
        TestDatabaseFolder app;
        uploadAttachment(app, QStringLiteral("doc.bin"), "the first contents");
        const ClientDocuments documents(1);
        const QString target = app.file(QStringLiteral("out/doc.bin"));
        QDir().mkpath(app.file(QStringLiteral("out")));
        documents.saveCopy(QStringLiteral("doc.bin"), 1, target);
        QCOMPARE(readFile(target), QByteArray("the first contents"));

        // The writer does not wait: the copies hold no lock on the file between them.
        Database::setBusyTimeout(0);
        const QString database = CLsDataBaseConnection::databasePath();
        try {
            if (change == QLatin1String("replace")) {
                Database(database).execute(QStringLiteral("UPDATE Attachments SET Attachments = longbinary(?)"),
                                           {QByteArray("the second contents")});
            } else if (change == QLatin1String("delete")) {
                Database(database).execute(QStringLiteral("DELETE FROM Attachments"));
            } else {
                const QString other = app.file(QStringLiteral("other.mdb"));
                DatabaseSchema::ensure(other);
                Database(other).execute(
                    QStringLiteral(
                        "INSERT INTO Attachments (PersonalInformationId, AttachmentsName, AttachmentVersion, "
                        "Attachments) VALUES (1, 'doc.bin', 1, longbinary(?))"),
                    {QByteArray("from the other file")});
                QCOMPARE(::rename(QFile::encodeName(other).constData(), QFile::encodeName(database).constData()), 0);
            }
        } catch (const StoreError& error) {
            Database::setBusyTimeout(-1);
            QFAIL(qPrintable(error.message()));
        }
        Database::setBusyTimeout(-1);

        QString message;
        try {
            documents.saveCopy(QStringLiteral("doc.bin"), 1, target);
        } catch (const StoreError& error) {
            message = error.message();
        }
        if (expected.isEmpty()) {
            QCOMPARE(message, QStringLiteral("Version 1 of doc.bin is no longer stored for this client"));
            QCOMPARE(readFile(target), QByteArray("the first contents"));
        } else {
            QCOMPARE(message, QString());
            QCOMPARE(readFile(target), expected);
        }
    }

    void savedFileGetsTheUsersMode()
    {
        const ProcessUmask mask(027);
        TestDatabaseFolder app;
        uploadAttachment(app, QStringLiteral("doc.bin"), "contents");
        const ClientDocuments documents(1);

        // A new file gets the mode of the user's new files.
        const QString fresh = app.file(QStringLiteral("out/new.bin"));
        QDir().mkpath(app.file(QStringLiteral("out")));
        documents.saveCopy(QStringLiteral("doc.bin"), 1, fresh);
        QCOMPARE(readFile(fresh), QByteArray("contents"));
        QCOMPARE(modeOf(fresh), mode_t(0640));

        // A file replaced keeps its own, wider or narrower.
        for (const mode_t mode : {mode_t(0600), mode_t(0664)}) {
            const QString existing = app.file(QStringLiteral("out/existing.bin"));
            writeFile(existing, "old", mode);
            documents.saveCopy(QStringLiteral("doc.bin"), 1, existing);
            QCOMPARE(readFile(existing), QByteArray("contents"));
            QCOMPARE(modeOf(existing), mode);
        }

        // A link the user chose keeps pointing at its file, which gets the copy.
        const QString linked = app.file(QStringLiteral("elsewhere/real.bin"));
        writeFile(linked, "old", 0644);
        const QString link = app.file(QStringLiteral("out/link.bin"));
        QVERIFY(QFile::link(linked, link));
        documents.saveCopy(QStringLiteral("doc.bin"), 1, link);
        QVERIFY(isLink(link));
        QCOMPARE(readFile(linked), QByteArray("contents"));
        QCOMPARE(modeOf(linked), mode_t(0644));

        // A copy for viewing is the owner's alone.
        const QString viewed = documents.fetchForViewing(QStringLiteral("doc.bin"), 1);
        QCOMPARE(modeOf(viewed), mode_t(0600));
        QCOMPARE(entries(app.file(QStringLiteral("out"))),
                 QStringList({QStringLiteral("existing.bin"), QStringLiteral("link.bin"), QStringLiteral("new.bin")}));
    }

    void tempCopiesNeverFollowLinks_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("attachment") << QStringLiteral("attachment");
        QTest::newRow("search hit") << QStringLiteral("search hit");
        QTest::newRow("library resource") << QStringLiteral("library");
        QTest::newRow("client's resource") << QStringLiteral("client resource");
    }

    void tempCopiesNeverFollowLinks()
    {
        QFETCH(QString, kind);
        TestDatabaseFolder app;
        const QString outside = app.file(QStringLiteral("outside/precious.txt"));
        writeFile(outside, "precious", 0644);
        QDir().mkpath(ApplicationFolder::tempPath());
        const QString link = QDir(ApplicationFolder::tempPath()).filePath(QStringLiteral("link.txt"));
        QVERIFY(QFile::link(outside, link));

        const QString source = app.file(QStringLiteral("sources/link.txt"));
        writeFile(source, "the stored document");
        QString path;
        if (kind == QLatin1String("attachment") || kind == QLatin1String("search hit")) {
            const qint64 id = ClientDocuments(1).upload(source);
            path = kind == QLatin1String("attachment")
                       ? ClientDocuments(1).fetchForViewing(QStringLiteral("link.txt"), 1)
                       : ClsBinaryFunctions().ViewDocument(QString::number(id));
        } else {
            CLsDataBaseConnection connection;
            const ResourceLibrary library(connection.sharedDatabase());
            const qint64 id = library.upload(library.addFolder(QStringLiteral("Forms"), 2), source);
            path = kind == QLatin1String("library") ? library.fetchForViewing(id)
                                                    : ClientResources::fetchForViewing(id, QStringLiteral("link.txt"));
        }

        QCOMPARE(path, link);
        QCOMPARE(readFile(outside), QByteArray("precious"));
        QCOMPARE(modeOf(outside), mode_t(0644));
        QVERIFY(!isLink(link));
        QCOMPARE(readFile(link), QByteArray("the stored document"));
        QCOMPARE(modeOf(link), mode_t(0600));
        QCOMPARE(entries(ApplicationFolder::tempPath()), QStringList({QStringLiteral("link.txt")}));
    }
};

QTEST_MAIN(TestFileCopies)
#include "tst_filecopies.moc"
