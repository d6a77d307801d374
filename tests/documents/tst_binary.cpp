#include "TestDatabaseFolder.h"
#include "documents/ClsBinaryFunctions.h"
#include "documents/ContentMatcher.h"
#include "documents/ContentSearch.h"
#include "store/Database.h"
#include "store/Recordset.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestBinary : public QObject
{
    Q_OBJECT

private:
    static QString writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        file.write(bytes);
        return path;
    }

    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    // Stores `bytes` as a document named `name` of client `client`; returns its AttachmentsId.
    static qint64 upload(const TestDatabaseFolder& app, const QString& name, const QByteArray& bytes, int client = 1)
    {
        const QString source = writeFile(app.file(QStringLiteral("upload.bin")), bytes);
        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(QStringLiteral("select * from Attachments"));
        ClsBinaryFunctions binary;
        if (!binary.UpLoadBinary(name, source, rs, true, QString::number(client), QStringLiteral("note")))
            qFatal("upload failed");
        return rs.newKey();
    }

    // Stores many documents at once (named doc0, doc1, ...); returns their AttachmentsIds.
    static QList<qint64> storeMany(const QList<QByteArray>& documents)
    {
        CLsDataBaseConnection connection;
        Database& db = connection.database();
        Transaction transaction(db);
        QList<qint64> ids;
        for (qsizetype i = 0; i < documents.size(); ++i) {
            db.execute(QStringLiteral("insert into Attachments (PersonalInformationId, AttachmentsName, "
                                      "AttachmentVersion, Attachments) values (1, ?, 1, longbinary(?))"),
                       {QStringLiteral("doc%1").arg(i), documents.at(i)});
            ids.append(db.lastInsertRowId());
        }
        transaction.commit();
        return ids;
    }

    static const QString& allDocuments()
    {
        static const QString sql = QStringLiteral(
            "select AttachmentsId, AttachmentsName, AttachmentVersion, Attachments from Attachments order by "
            "AttachmentsId");
        return sql;
    }

private slots:
    void storedBytesComeBackExactly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray every(256 * 5, '\0');
        for (int i = 0; i < every.size(); ++i)
            every[i] = static_cast<char>(i % 256);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("every byte value") << every;
        QTest::newRow("several pieces") << QByteArray(2 * (1 << 20) + 3, 'x');
        // Large enough to be read and written at the same time; a piece out of order would show.
        QByteArray large(9 * (1 << 20) + 7, Qt::Uninitialized);
        for (qsizetype i = 0; i < large.size(); ++i)
            large[i] = static_cast<char>((i / 4096 + i) % 251);
        QTest::newRow("read while written") << large;
    }

    void storedBytesComeBackExactly()
    {
        QFETCH(QByteArray, bytes);
        TestDatabaseFolder app;
        QDir().mkpath(ApplicationFolder::tempPath());
        // An earlier, longer copy under the same name is replaced completely.
        writeFile(QDir(ApplicationFolder::tempPath()).filePath(QStringLiteral("doc.bin")), QByteArray(5000000, 'z'));
        const qint64 id = upload(app, QStringLiteral("doc.bin"), bytes);
        ClsBinaryFunctions binary;
        const QString path = binary.ViewDocument(QString::number(id));
        QCOMPARE(path, QDir(ApplicationFolder::tempPath()).filePath(QStringLiteral("doc.bin")));
        QVERIFY(readFile(path) == bytes);
        QCOMPARE(QFile::permissions(path) & (QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ReadGroup),
                 QFileDevice::Permissions());
    }

    void uploadRecordsNameVersionAndExtension()
    {
        TestDatabaseFolder app;
        upload(app, QStringLiteral("Report.PDF"), "a", 1);
        upload(app, QStringLiteral("Report.PDF"), "b", 2); // another client: the versions count over all clients
        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(
            QStringLiteral("select * from Attachments where PersonalInformationId = ?"), {2});
        QCOMPARE(rs.field(QStringLiteral("AttachmentVersion")).toInt(), 2);
        QCOMPARE(rs.text(QStringLiteral("AttachmentExtension")), QStringLiteral("pdf"));
        QCOMPARE(rs.text(QStringLiteral("AttachmentDescription")), QStringLiteral("note"));
    }

    void versionRulesAfterADeletedVersion()
    {
        TestDatabaseFolder app;
        for (int i = 0; i < 3; ++i)
            upload(app, QStringLiteral("plan.txt"), "v");
        CLsDataBaseConnection connection;
        Database& db = connection.database();
        db.execute(QStringLiteral("delete from Attachments where AttachmentVersion = 2"));
        QCOMPARE(ClsBinaryFunctions::highestPlusOne(db, QStringLiteral("plan.txt")), 4);
        QCOMPARE(ClsBinaryFunctions::countPlusOne(db, QStringLiteral("plan.txt")), 3);
        QCOMPARE(ClsBinaryFunctions::highestPlusOne(db, QStringLiteral("other.txt")), 1);
        QCOMPARE(ClsBinaryFunctions::countPlusOne(db, QStringLiteral("other.txt")), 1);
    }

    void unreadableFileStoresNothing()
    {
        TestDatabaseFolder app;
        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(QStringLiteral("select * from Attachments"));
        ClsBinaryFunctions binary;
        QVERIFY(!binary.UpLoadBinary(QStringLiteral("x"), app.file(QStringLiteral("missing")), rs, true,
                                     QStringLiteral("1"), QString()));
        rs.close();
        connection.DbClose();
        QCOMPARE(connection.database().scalar(QStringLiteral("select count(*) from Attachments")).toInt(), 0);
    }

    void uploadNeedsAClientIdentifier_data()
    {
        QTest::addColumn<QString>("userId");
        QTest::addColumn<qint64>("client"); // the owner stored, 0 when the upload is refused
        QTest::newRow("a client") << QStringLiteral("7") << qint64(7);
        QTest::newRow("empty") << QString() << qint64(0);
        QTest::newRow("a name") << QStringLiteral("Miller") << qint64(0);
        QTest::newRow("digits and letters") << QStringLiteral("12abc") << qint64(0);
        QTest::newRow("a fraction") << QStringLiteral("1.5") << qint64(0);
        QTest::newRow("zero") << QStringLiteral("0") << qint64(0);
        QTest::newRow("negative") << QStringLiteral("-3") << qint64(0);
        QTest::newRow("out of range") << QStringLiteral("99999999999999999999") << qint64(0);
    }

    void uploadNeedsAClientIdentifier()
    {
        QFETCH(QString, userId);
        QFETCH(qint64, client);
        TestDatabaseFolder app;
        const QString source = writeFile(app.file(QStringLiteral("upload.bin")), "bytes");
        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(QStringLiteral("select * from Attachments"));
        QCOMPARE(ClsBinaryFunctions().UpLoadBinary(QStringLiteral("a.txt"), source, rs, true, userId, QString()),
                 client != 0);
        rs.close();
        const Database& db = connection.database();
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from Attachments")).toInt(), client != 0 ? 1 : 0);
        if (client != 0)
            QCOMPARE(db.scalar(QStringLiteral("select PersonalInformationId from Attachments")).toLongLong(), client);
    }

    void storedNamesStayInsideTheFolder_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("file");
        QTest::newRow("plain") << QStringLiteral("a.txt") << QStringLiteral("a.txt");
        QTest::newRow("parent") << QStringLiteral("../../x") << QStringLiteral("x");
        QTest::newRow("backslashes") << QStringLiteral("..\\..\\evil.exe") << QStringLiteral("evil.exe");
        QTest::newRow("absolute") << QStringLiteral("/etc/passwd") << QStringLiteral("passwd");
        QTest::newRow("dot dot") << QStringLiteral("..") << QStringLiteral("document");
        QTest::newRow("trailing slash") << QStringLiteral("dir/") << QStringLiteral("document");
    }

    void storedNamesStayInsideTheFolder()
    {
        QFETCH(QString, stored);
        QFETCH(QString, file);
        QCOMPARE(ClsBinaryFunctions::safeFilePath(QStringLiteral("/app/Temp"), stored),
                 QStringLiteral("/app/Temp/") + file);
    }

    void contentSearchFindsStoredDocuments()
    {
        TestDatabaseFolder app;
        upload(app, QStringLiteral("a.txt"), "Invoice for Frau MÜLLER");
        upload(app, QStringLiteral("b.txt"), "nothing relevant");
        QByteArray big(3 * (1 << 20), 'x');
        big.append("müller at the end");
        upload(app, QStringLiteral("c.txt"), big);
        ClsBinaryFunctions binary;
        QList<QPair<int, int>> calls;
        const auto hits = binary.cmdOpendb(QStringLiteral("müller"), allDocuments(), {}, [&](int done, int total) {
            calls.append({done, total});
            return true;
        });
        QCOMPARE(hits.size(), 2);
        QCOMPARE(hits.at(0).DocumentName, QStringLiteral("a.txt"));
        QCOMPARE(hits.at(1).DocumentName, QStringLiteral("c.txt"));
        QCOMPARE(hits.at(1).Version, 1);
        QCOMPARE(binary.Check1Value, 0);
        // Progress reaches every document, never goes back, and ends with all of them done.
        QVERIFY(!calls.isEmpty());
        QCOMPARE(calls.last(), qMakePair(3, 3));
        for (qsizetype i = 1; i < calls.size(); ++i)
            QVERIFY(calls.at(i).first >= calls.at(i - 1).first);
    }

    void contentSearchFindsWindows1252Text()
    {
        // Documents in Windows-1252, one of them large enough to be cut into ranges, with the
        // phrase across the border of two of them.
        TestDatabaseFolder app;
        QByteArray large(ContentSearch::RangeSize + 5000, 'q');
        large.replace(ContentSearch::RangeSize - 3, 6, "M\xFCller");
        const QList<qint64> ids =
            storeMany({"Rechnung f\xFCr Frau M\xDCLLER", "Frau M\xFCll", "Frau Mueller", large, "Frau Müller"});
        ContentSearch search(CLsDataBaseConnection::databasePath(), ContentMatcher(QStringLiteral("müller"), false));
        QCOMPARE(search.run({ids.begin(), ids.end()}), std::vector<bool>({true, false, false, true, true}));
    }

    void contentSearchKeepsTheStatementsOrder()
    {
        // Many documents, scanned by several workers, and one large enough to be shared
        // between them, with the phrase across the border of two of its ranges.
        TestDatabaseFolder app;
        QList<QByteArray> documents;
        for (int i = 0; i < 60; ++i) {
            QByteArray text(20000 + 997 * i, 'q');
            if (i % 7 == 3)
                text.replace(text.size() - 30, 6, "Treaty");
            documents.append(text);
        }
        QByteArray large(ContentSearch::RangeSize + 5000, 'q');
        large.replace(ContentSearch::RangeSize - 3, 6, "TREATY");
        documents.append(large);
        const QList<qint64> ids = storeMany(documents);

        ClsBinaryFunctions binary;
        const auto hits = binary.cmdOpendb(
            QStringLiteral("treaty"),
            QStringLiteral("select * from Attachments where AttachmentsId > ? order by AttachmentsId desc"),
            {ids.first()});
        QList<qint64> expected;
        for (qsizetype i = ids.size() - 1; i > 0; --i)
            if (i == ids.size() - 1 || i % 7 == 3)
                expected.append(ids.at(i));
        QList<qint64> found;
        for (const auto& hit : hits)
            found.append(hit.DocumentId);
        QCOMPARE(found, expected);
    }

    void emptyPhraseFindsEveryDocument()
    {
        TestDatabaseFolder app;
        storeMany({"one", "", "three"});
        ClsBinaryFunctions binary;
        QPair<int, int> last;
        const auto hits = binary.cmdOpendb(QStringLiteral("  "), allDocuments(), {}, [&](int done, int total) {
            last = {done, total};
            return true;
        });
        QCOMPARE(hits.size(), 3);
        QCOMPARE(last, qMakePair(3, 3));
    }

    void stoppedSearchEndsEarly()
    {
        TestDatabaseFolder app;
        QList<QByteArray> documents;
        for (int i = 0; i < 200; ++i) {
            QByteArray text(256 * 1024, 'z');
            text.append("needle");
            documents.append(text);
        }
        storeMany(documents);
        ClsBinaryFunctions binary;
        int calls = 0;
        const auto hits = binary.cmdOpendb(QStringLiteral("NEEDLE"), allDocuments(), {}, [&](int, int) {
            ++calls;
            return false;
        });
        QCOMPARE(calls, 1);
        QVERIFY2(hits.size() < 200, qPrintable(QString::number(hits.size())));
        // What was found is in the statement's order.
        for (qsizetype i = 1; i < hits.size(); ++i)
            QVERIFY(hits.at(i).DocumentId > hits.at(i - 1).DocumentId);
    }

    void vanishedDocumentHoldsNothing()
    {
        TestDatabaseFolder app;
        const QList<qint64> ids = storeMany({"xyz", "xyz", "xyz"});
        {
            CLsDataBaseConnection connection;
            connection.Execute(QStringLiteral("UPDATE Attachments SET Attachments = NULL WHERE AttachmentsId = ?"),
                               {ids.at(2)});
        }
        // A key whose row is gone by the time of the scan, or a row without a value, holds
        // nothing; the others are scanned.
        ContentSearch search(CLsDataBaseConnection::databasePath(), ContentMatcher(QStringLiteral("y"), false));
        QCOMPARE(search.run({ids.at(0), 424242, ids.at(2), ids.at(1)}), std::vector<bool>({true, false, false, true}));
        ContentSearch missing(app.file(QStringLiteral("missing.mdb")), ContentMatcher(QStringLiteral("y"), false));
        QVERIFY_THROWS_EXCEPTION(StoreError, missing.run({ids.at(0)}));
    }

    void oversizedFileIsRefusedNamingIt()
    {
        TestDatabaseFolder app;
        CLsDataBaseConnection connection;
        try {
            ClsBinaryFunctions::checkStorable(connection.database(), QStringLiteral("/data/huge.iso"), 2'000'000'000LL);
            QFAIL("no error");
        } catch (const StoreError& error) {
            QVERIFY(error.message().contains(QStringLiteral("huge.iso")));
        }
        ClsBinaryFunctions::checkStorable(connection.database(), QStringLiteral("/data/small"), 10'000'000);
    }

    void unwritableTargetIsReportedNamingIt_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<QString>("target");
        QTest::newRow("no folder") << qsizetype(3) << QStringLiteral("no such folder/doc.bin");
        QTest::newRow("disk full") << qsizetype(3) << QStringLiteral("/dev/full");
        QTest::newRow("disk full, read while written") << qsizetype(20 << 20) << QStringLiteral("/dev/full");
    }

    void unwritableTargetIsReportedNamingIt()
    {
        QFETCH(qsizetype, size);
        QFETCH(QString, target);
        if (target.startsWith(QLatin1Char('/')) && !QFile::exists(target))
            QSKIP("this system has no /dev/full");
        TestDatabaseFolder app;
        const qint64 id = upload(app, QStringLiteral("doc.bin"), QByteArray(size, 'd'));
        const QString path = target.startsWith(QLatin1Char('/')) ? target : app.file(target);
        CLsDataBaseConnection connection;
        try {
            ClsBinaryFunctions::fetchToFile(connection.database(), id, path, false);
            QFAIL("no error");
        } catch (const StoreError& error) {
            QVERIFY2(error.message().contains(QDir::toNativeSeparators(path)), qPrintable(error.message()));
        }
        if (!target.startsWith(QLatin1Char('/')))
            QVERIFY(!QFile::exists(path));
    }
};

QTEST_MAIN(TestBinary)
#include "tst_binary.moc"
