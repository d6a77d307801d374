#include "TestSupport.h"
#include "documents/ClsBinaryFunctions.h"
#include "documents/ContentMatcher.h"
#include "store/Database.h"
#include "store/Recordset.h"
#include "store/StoreError.h"

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
    static qint64 upload(const TestAppFolder& app, const QString& name, const QByteArray& bytes, int client = 1)
    {
        const QString source = writeFile(app.file(QStringLiteral("upload.bin")), bytes);
        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(QStringLiteral("select * from Attachments"));
        ClsBinaryFunctions binary;
        if (!binary.UpLoadBinary(name, source, rs, true, QString::number(client), QStringLiteral("note")))
            qFatal("upload failed");
        return rs.newKey();
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
    }

    void storedBytesComeBackExactly()
    {
        QFETCH(QByteArray, bytes);
        TestAppFolder app;
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
        TestAppFolder app;
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
        TestAppFolder app;
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
        TestAppFolder app;
        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(QStringLiteral("select * from Attachments"));
        ClsBinaryFunctions binary;
        QVERIFY(!binary.UpLoadBinary(QStringLiteral("x"), app.file(QStringLiteral("missing")), rs, true,
                                     QStringLiteral("1"), QString()));
        rs.close();
        connection.DbClose();
        QCOMPARE(connection.database().scalar(QStringLiteral("select count(*) from Attachments")).toInt(), 0);
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

    void phraseMatching_data()
    {
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("found");
        QTest::newRow("ignores case") << "contract" << false << QByteArray("THE CONTRACT IS") << true;
        QTest::newRow("match case") << "contract" << true << QByteArray("THE CONTRACT IS") << false;
        QTest::newRow("overlapping start") << "ab" << false << QByteArray("aab") << true;
        QTest::newRow("in the last bytes") << "end" << false << QByteArray("the very END") << true;
        QTest::newRow("absent") << "missing" << false << QByteArray("nothing here") << false;
        QTest::newRow("quoted phrase") << "\"two words\"" << false << QByteArray("has two words in it") << true;
        QTest::newRow("two quotes alone") << "\"\"" << false << QByteArray("say \"\" here") << true;
        QTest::newRow("blanks trimmed") << "  fee  " << false << QByteArray("coffee") << true;
        QTest::newRow("empty phrase") << "   " << false << QByteArray() << true;
        QTest::newRow("accented upper") << QStringLiteral("MÜLLER") << false << QStringLiteral("Herr Müller").toUtf8()
                                        << true;
        QTest::newRow("cyrillic") << QStringLiteral("ДОГОВОР") << false << QStringLiteral("новый договор").toUtf8()
                                  << true;
        QTest::newRow("phrase longer than text") << "longer" << false << QByteArray("long") << false;
    }

    void phraseMatching()
    {
        QFETCH(QString, phrase);
        QFETCH(bool, matchCase);
        QFETCH(QByteArray, text);
        QFETCH(bool, found);
        ContentMatcher matcher(phrase, matchCase);
        QCOMPARE(matcher.matches(text), found);
        // The same answer when the text arrives one byte at a time (matches across pieces,
        // and a two-byte letter split between pieces).
        matcher.reset();
        for (const char c : text)
            matcher.feed(&c, 1);
        QCOMPARE(matcher.finish(), found);
    }

    void contentSearchFindsStoredDocuments()
    {
        TestAppFolder app;
        upload(app, QStringLiteral("a.txt"), "Invoice for Frau MÜLLER");
        upload(app, QStringLiteral("b.txt"), "nothing relevant");
        QByteArray big(3 * (1 << 20), 'x');
        big.append("müller at the end");
        upload(app, QStringLiteral("c.txt"), big);
        ClsBinaryFunctions binary;
        int calls = 0;
        const auto hits = binary.cmdOpendb(
            QStringLiteral("müller"),
            QStringLiteral("select AttachmentsId, AttachmentsName, AttachmentVersion, Attachments from Attachments "
                           "order by AttachmentsId"),
            {}, [&](int done, int total) {
                ++calls;
                return done <= total;
            });
        QCOMPARE(hits.size(), 2);
        QCOMPARE(hits.at(0).DocumentName, QStringLiteral("a.txt"));
        QCOMPARE(hits.at(1).DocumentName, QStringLiteral("c.txt"));
        QCOMPARE(hits.at(1).Version, 1);
        QCOMPARE(calls, 3);
        QCOMPARE(binary.Check1Value, 0);
    }

    void oversizedFileIsRefusedNamingIt()
    {
        TestAppFolder app;
        CLsDataBaseConnection connection;
        try {
            ClsBinaryFunctions::checkStorable(connection.database(), QStringLiteral("/data/huge.iso"), 2'000'000'000LL);
            QFAIL("no error");
        } catch (const StoreError& error) {
            QVERIFY(error.message().contains(QStringLiteral("huge.iso")));
        }
        ClsBinaryFunctions::checkStorable(connection.database(), QStringLiteral("/data/small"), 10'000'000);
    }
};

QTEST_MAIN(TestBinary)
#include "tst_binary.moc"
