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
#include <QRandomGenerator>
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

    // Whether `phrase` is in `text`, by folding the whole text first.
    static bool foldedContains(const QString& phrase, const QByteArray& text)
    {
        const ContentMatcher matcher(phrase, false);
        QByteArray folded;
        unsigned char pending = 0;
        ContentMatcher::fold(text.constData(), text.size(), folded, pending);
        if (pending)
            folded.append(static_cast<char>(pending));
        return folded.contains(matcher.phrase());
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
        QTest::newRow("non-ASCII first letter")
            << QStringLiteral("übersicht") << false << QStringLiteral("DIE ÜBERSICHT").toUtf8() << true;
        // Р and р differ in their first byte as well as in their second.
        QTest::newRow("first byte differs by case")
            << QStringLiteral("рост") << false << QStringLiteral("…РОСТ…").toUtf8() << true;
        QTest::newRow("second byte of a letter is no start")
            << QStringLiteral("\u00BC") << false << QByteArray("\xC3\xBC") << false;
        QTest::newRow("repeated letters")
            << "aaab" << false << QByteArray("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaAAB") << true;
        // Older text files hold the letters of Western European languages in Windows-1252,
        // one byte each.
        QTest::newRow("1252, lower-case phrase")
            << QStringLiteral("müller") << false << QByteArray("Herr M\xDCLLER") << true;
        QTest::newRow("1252, upper-case phrase")
            << QStringLiteral("MÜLLER") << false << QByteArray("Herr M\xFCller") << true;
        QTest::newRow("1252 sharp s") << QStringLiteral("straße") << false
                                      << QByteArray("STRA\xDF"
                                                    "E")
                                      << true;
        QTest::newRow("1252 s caron") << QStringLiteral("štefan") << false
                                      << QByteArray("\x8A"
                                                    "tefan")
                                      << true;
        QTest::newRow("1252 capital s caron") << QStringLiteral("ŠTEFAN") << false
                                              << QByteArray("\x9A"
                                                            "tefan")
                                              << true;
        QTest::newRow("1252 z caron") << QStringLiteral("Žižek") << false
                                      << QByteArray("\x9E"
                                                    "i"
                                                    "\x8E"
                                                    "ek")
                                      << true;
        QTest::newRow("1252 oe ligature") << QStringLiteral("Œuvre") << false
                                          << QByteArray("\x9C"
                                                        "uvre")
                                          << true;
        QTest::newRow("1252 y diaeresis") << QStringLiteral("L'HAŸ") << false << QByteArray("l'ha\xFF") << true;
        QTest::newRow("1252 micro sign") << QStringLiteral("5 µg") << false
                                         << QByteArray("5 \xB5"
                                                       "g")
                                         << true;
        QTest::newRow("1252 euro sign") << QStringLiteral("5 €") << false << QByteArray("Preis 5 \x80") << true;
        QTest::newRow("1252 overlapping partial match") << QStringLiteral("ääb") << false
                                                        << QByteArray("\xE4\xE4\xC4"
                                                                      "B")
                                                        << true;
        QTest::newRow("1252, match case") << QStringLiteral("Müller") << true << QByteArray("Herr M\xFCller") << true;
        QTest::newRow("1252, match case, other case")
            << QStringLiteral("Müller") << true << QByteArray("HERR M\xDCLLER, Herr M\xDCller") << false;
        QTest::newRow("1252, match case, upper-case phrase")
            << QStringLiteral("MÜLLER") << true << QByteArray("M\xFCLLER") << false;
        // The bytes of a UTF-8 letter do not read as Windows-1252 symbols.
        QTest::newRow("1252 symbol inside a UTF-8 letter")
            << QStringLiteral("°C") << false << QStringLiteral("аC").toUtf8() << false;
        QTest::newRow("1252 symbol inside a UTF-8 accented letter")
            << QStringLiteral("©") << true << QStringLiteral("café").toUtf8() << false;
        QTest::newRow("1252 symbol inside a UTF-8 dash")
            << QStringLiteral("€") << false << QStringLiteral("a – b").toUtf8() << false;
        QTest::newRow("1252 symbol after a 1252 letter") << QStringLiteral("…x") << false
                                                         << QByteArray("caf\xE9\x85"
                                                                       "x")
                                                         << true;
        QTest::newRow("1252 symbol after a 1252 degree") << QStringLiteral("°C") << false
                                                         << QByteArray("25\xB0"
                                                                       "C")
                                                         << true;
        // A character without a byte in Windows-1252 leaves only the UTF-8 form.
        QTest::newRow("outside 1252") << QStringLiteral("Ελλάδα") << false << QByteArray("??????") << false;
        QTest::newRow("partly outside 1252") << QStringLiteral("Łódź") << false
                                             << QByteArray("?\xF3"
                                                           "d?")
                                             << false;
        QTest::newRow("ASCII phrase in 1252 text") << "ller" << false << QByteArray("M\xFCLLER") << true;
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
        // And when it arrives in two pieces, cut anywhere.
        for (qsizetype cut = 1; cut < text.size(); ++cut) {
            matcher.reset();
            matcher.feed(text.constData(), cut);
            matcher.feed(text.constData() + cut, text.size() - cut);
            QVERIFY2(matcher.finish() == found, qPrintable(QStringLiteral("cut at %1").arg(cut)));
        }
    }

    void firstOccurrence_data()
    {
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qsizetype>("index");
        QTest::newRow("UTF-8 first") << QStringLiteral("müller") << false << QByteArray("x M\xC3\xBCller M\xFCller")
                                     << qsizetype(2);
        QTest::newRow("1252 first") << QStringLiteral("müller") << false << QByteArray("x M\xFCller M\xC3\xBCller")
                                    << qsizetype(2);
        QTest::newRow("1252, ignoring case")
            << QStringLiteral("Müller") << false << QByteArray("x M\xDCLLER M\xFCller") << qsizetype(2);
        QTest::newRow("1252, match case")
            << QStringLiteral("Müller") << true << QByteArray("x M\xDCLLER M\xFCller") << qsizetype(9);
        QTest::newRow("1252 cut off by the end")
            << QStringLiteral("müller") << false << QByteArray("x M\xFCll") << qsizetype(-1);
    }

    void firstOccurrence()
    {
        QFETCH(QString, phrase);
        QFETCH(bool, matchCase);
        QFETCH(QByteArray, text);
        QFETCH(qsizetype, index);
        QCOMPARE(ContentMatcher(phrase, matchCase).indexIn(text.constData(), text.size()), index);
    }

    void phraseMatchingAgreesWithFoldedText()
    {
        // Random texts of letters that fold in different ways, in UTF-8 and in Windows-1252,
        // stray UTF-8 bytes and filler, fed in random pieces, against folding the whole text
        // and looking for the phrase, and against reading the text as Windows-1252 and
        // looking for a non-ASCII phrase in it, ignoring case. The second finds too much
        // where the text holds UTF-8 characters (their bytes read as Windows-1252 symbols);
        // every other round's texts hold none.
        struct Part
        {
            QByteArray bytes;
            QString asWindows1252;
        };
        // The first parts are single bytes that begin no UTF-8 character.
        const QList<Part> parts = {{"a", QStringLiteral("a")},
                                   {"A", QStringLiteral("A")},
                                   {"b", QStringLiteral("b")},
                                   {"B", QStringLiteral("B")},
                                   {"x", QStringLiteral("x")},
                                   {" ", QStringLiteral(" ")},
                                   {"1", QStringLiteral("1")},
                                   {"\x9C", QStringLiteral("œ")},
                                   {"\xFC", QStringLiteral("ü")},
                                   {"\x8A", QStringLiteral("Š")},
                                   {"\x9A", QStringLiteral("š")},
                                   {"\xFF", QStringLiteral("ÿ")},
                                   {"\x9F", QStringLiteral("Ÿ")},
                                   {"\x80", QStringLiteral("€")},
                                   {"\xDC", QStringLiteral("Ü")},
                                   {"\xDF", QStringLiteral("ß")},
                                   {"\xC3\xBC", QStringLiteral("Ã¼")},
                                   {"\xC3\x9C", QStringLiteral("Ãœ")},
                                   {"\xD0\xA0", QStringLiteral("Ð\u00A0")},
                                   {"\xD1\x80", QStringLiteral("Ñ€")},
                                   {"\xC5\xB8", QStringLiteral("Å¸")},
                                   {"\xC3", QStringLiteral("Ã")},
                                   {"\xE2\x82\xAC", QStringLiteral("â‚¬")}};
        const qsizetype singleBytes = 14;
        const QStringList letters = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("ü"), QStringLiteral("Ü"),
                                     QStringLiteral("Р"), QStringLiteral("x"), QStringLiteral("€"), QStringLiteral("š"),
                                     QStringLiteral("ß"), QStringLiteral("Ÿ"), QStringLiteral(" ")};
        QRandomGenerator random(4711);
        for (int round = 0; round < 3000; ++round) {
            QByteArray text;
            QString asWindows1252;
            const int partCount = random.bounded(1, round % 10 == 0 ? 400 : 60);
            const bool utf8 = round % 2 == 0;
            for (int i = 0; i < partCount; ++i) {
                const Part& part = parts.at(random.bounded(utf8 ? parts.size() : singleBytes));
                text += part.bytes;
                asWindows1252 += part.asWindows1252;
            }
            QString phrase;
            const int phraseLength = random.bounded(1, 5);
            for (int i = 0; i < phraseLength; ++i)
                phrase += letters.at(random.bounded(letters.size()));
            bool ascii = true;
            for (const QChar c : phrase)
                ascii = ascii && c.unicode() < 0x80;
            const bool inUtf8 = foldedContains(phrase, text);
            const bool inWindows1252 =
                !ascii && asWindows1252.contains(ContentMatcher::preparePhrase(phrase), Qt::CaseInsensitive);
            ContentMatcher matcher(phrase, false);
            const bool expected = matcher.matches(text);
            if (utf8)
                QVERIFY2(expected == inUtf8 || (expected && inWindows1252),
                         qPrintable(phrase + QStringLiteral(" in ") + QString::fromLatin1(text.toHex())));
            else
                QVERIFY2(expected == (inUtf8 || inWindows1252),
                         qPrintable(phrase + QStringLiteral(" in ") + QString::fromLatin1(text.toHex())));
            matcher.reset();
            for (qsizetype at = 0; at < text.size();) {
                const qsizetype piece = std::min<qsizetype>(random.bounded(1, 70), text.size() - at);
                matcher.feed(text.constData() + at, piece);
                at += piece;
            }
            QVERIFY2(matcher.finish() == expected,
                     qPrintable(phrase + QStringLiteral(" in pieces of ") + QString::fromLatin1(text.toHex())));
        }
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
