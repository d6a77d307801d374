#include "SampleOfficeFiles.h"
#include "SamplePdf.h"
#include "TestDatabaseFolder.h"
#include "documents/ClsBinaryFunctions.h"
#include "documents/ContentMatcher.h"
#include "documents/DocumentIndexer.h"
#include "documents/DocumentText.h"
#include "store/Database.h"
#include "store/DocumentTextIndex.h"
#include "store/EngineConnection.h"
#include "store/Recordset.h"
#include "store/Transaction.h"

#include <QFile>
#include <QStringDecoder>
#include <QTest>

using Source = ContentSearch::Source;
Q_DECLARE_METATYPE(ContentSearch::Source)

// The text of stored documents: kept with them, used by the content search, made for documents
// stored before, and never trusted when it is not this build's.
class TestDocumentText : public QObject
{
    Q_OBJECT

private:
    static qint64 upload(const TestDatabaseFolder& app, const QString& name, const QByteArray& bytes)
    {
        QFile file(app.file(QStringLiteral("upload.bin")));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the file to upload");
        file.close();
        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(QStringLiteral("select * from Attachments"));
        if (!ClsBinaryFunctions().UpLoadBinary(name, file.fileName(), rs, true, QStringLiteral("1"), QString()))
            qFatal("upload failed");
        return rs.newKey();
    }

    // Stores documents as a build without the text index did: no entries.
    static std::vector<qint64> storeUnindexed(int count, const QByteArray& text)
    {
        CLsDataBaseConnection connection;
        const Database& db = connection.database();
        Transaction transaction(db);
        std::vector<qint64> ids;
        for (int i = 0; i < count; ++i) {
            db.execute(QStringLiteral("insert into Attachments (PersonalInformationId, AttachmentsName, "
                                      "AttachmentVersion, Attachments) values (1, ?, 1, longbinary(?))"),
                       {QStringLiteral("old%1.txt").arg(i), text + QByteArray::number(i)});
            ids.push_back(db.lastInsertRowId());
        }
        db.execute(QStringLiteral("DELETE FROM %1").arg(DocumentTextIndex::textTable(db)));
        transaction.commit();
        return ids;
    }

    static QList<qint64> hits(const QString& phrase)
    {
        QList<qint64> ids;
        const auto found = ClsBinaryFunctions().cmdOpendb(
            phrase, QStringLiteral("select AttachmentsId, AttachmentsName, AttachmentVersion from Attachments"));
        for (const ClsBinaryFunctions::SearchHit& hit : found)
            ids.append(hit.DocumentId);
        return ids;
    }

    static Source sourceOf(qint64 id, const QString& phrase)
    {
        CLsDataBaseConnection connection;
        return ClsBinaryFunctions::sourcesOf(connection.database(), {id}, ContentMatcher(phrase, false).phrase())
            .front();
    }

    static qint64 entries()
    {
        CLsDataBaseConnection connection;
        const Database& db = connection.database();
        return db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(DocumentTextIndex::textTable(db))).toLongLong();
    }

    // On SQLite, the engine compares the full-text index with the text it was made from.
    static void checkFullTextIndex()
    {
        CLsDataBaseConnection connection;
        const Database& db = connection.database();
        if (!db.isServer())
            db.execute(QStringLiteral(
                "INSERT INTO orvanta_document_words (orvanta_document_words) VALUES ('integrity-check')"));
    }

private slots:
    void searchReadsTheText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<bool>("found");
        QTest::addColumn<Source>("source");

        const QByteArray letter = "Sehr geehrter Herr M\xC3\x9CLLER,\nanbei die Unterlagen.";
        QTest::newRow("folded letters") << "letter.txt" << letter << "müller" << true << Source::Text;
        QTest::newRow("phrase across a line break") << "letter.txt" << letter << "LER,\nanbei" << true << Source::Text;
        QTest::newRow("not in the text: not read") << "letter.txt" << letter << "Rechnung" << false << Source::Nothing;
        // On a server the index finds the phrase itself, not only its runs.
        QTest::newRow("every run there, phrase not") << "abc.txt" << QByteArray("abcd bcda") << "abcda" << false
                                                     << (PgTestDatabase::wanted() ? Source::Nothing : Source::Text);
        QTest::newRow("too short for the index") << "letter.txt" << letter << "Ü" << true << Source::Text;
        QTest::newRow("quoted phrase") << "letter.txt" << letter << "\"die Unter\"" << true << Source::Text;
        QTest::newRow("quote in the phrase")
            << "q.txt" << QByteArray("he said \"no\" twice") << "\"no\" tw" << true << Source::Text;
        QTest::newRow("percent and underscore")
            << "p.txt" << QByteArray("rate_100% net") << "_100%" << true << Source::Text;
        QTest::newRow("wildcards are literal")
            << "p.txt" << QByteArray("rate 1000 net") << "e_1%0" << false << Source::Nothing;
        QByteArray utf16("\xFF\xFE");
        const QString text = QStringLiteral("Vertrag mit Müller & Söhne");
        utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        QTest::newRow("UTF-16 text") << "vertrag.txt" << utf16 << "MÜLLER & SÖHNE" << true << Source::Text;
        QTest::newRow("Windows-1252 text") << "alt.txt"
                                           << QByteArray("Stra\xDF"
                                                         "e 5, M\xFCnchen")
                                           << "straße 5" << true << Source::Text;
        const QByteArray pdf = SamplePdf::document(
            {{QStringLiteral("Gutachten"), QStringLiteral("Herr Müller")}, {QStringLiteral("ÜBER DIE GRENZE")}});
        QTest::newRow("PDF") << "gutachten.pdf" << pdf << "über die" << true << Source::Text;
        QTest::newRow("PDF, across pages") << "gutachten.pdf" << pdf << "müller\nüber" << true << Source::Text;
        const QList<QStringList> paragraphs = {{QStringLiteral("Mietvertrag für "), QStringLiteral("Frau Özdemir")},
                                               {QStringLiteral("Kaution: 3 Monatsmieten")}};
        QTest::newRow("Word") << "miete.docx" << SampleOfficeFiles::docx(paragraphs) << "für frau özdemir" << true
                              << Source::Text;
        QTest::newRow("OpenDocument") << "miete.odt" << SampleOfficeFiles::odt(paragraphs) << "ÖZDEMIR\nKaution" << true
                                      << Source::Text;
        QTest::newRow("spreadsheet cells")
            << "liste.xlsx"
            << SampleOfficeFiles::xlsx({{{QStringLiteral("Name"), QStringLiteral("Ort")},
                                         {QStringLiteral("Weiß"), QStringLiteral("Köln")}}})
            << "weiß\nköln" << true << Source::Text;
        const QByteArray image = QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) + QByteArray(64, '\0') + "needle";
        QTest::newRow("no text: the bytes are read") << "image.png" << image << "needle" << true << Source::Bytes;
    }

    void searchReadsTheText()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, phrase);
        QFETCH(bool, found);
        QFETCH(Source, source);
        const TestDatabaseFolder app;
        const qint64 id = upload(app, name, bytes);
        QCOMPARE(sourceOf(id, phrase), source);
        QCOMPARE(hits(phrase).contains(id), found);
    }

    // Every letter the search folds is found through the index in either case: the index reads
    // the text's characters of any length, and its runs fold as the search does.
    void everyFoldedLetterIsACandidate()
    {
        const TestDatabaseFolder app;
        // Upper-case letters of two bytes, and characters of three and four bytes.
        QList<char32_t> letters;
        for (char16_t cp = 0xC0; cp < 0x800; ++cp) {
            if (QChar(cp).isLetter() && QChar(cp).toLower() != QChar(cp))
                letters.append(cp);
        }
        letters.append({U'\u1E9E', U'\u65E5', U'\U0001F600'});
        const auto asText = [](char32_t cp) { return QString::fromUcs4(&cp, 1); };
        // The search folds a letter of two bytes whose lower case has two bytes too.
        const auto asTyped = [](char32_t cp) {
            const char32_t lower = QChar::toLower(cp);
            return cp < 0x800 && lower >= 0x80 && lower < 0x800 ? lower : cp;
        };
        const std::vector<qint64> ids = storeUnindexed(static_cast<int>(letters.size()), "x");
        {
            CLsDataBaseConnection connection;
            const Database& db = connection.database();
            Transaction transaction(db);
            for (qsizetype i = 0; i < letters.size(); ++i)
                DocumentTextIndex::put(db, ids[static_cast<size_t>(i)],
                                       DocumentText::folded(QStringLiteral("ab%1cd").arg(asText(letters[i])).toUtf8(),
                                                            QStringLiteral("a.txt")));
            transaction.commit();
        }
        checkFullTextIndex();
        CLsDataBaseConnection connection;
        for (qsizetype i = 0; i < letters.size(); ++i) {
            const QString lower = QStringLiteral("b%1c").arg(asText(asTyped(letters[i])));
            const auto candidates =
                DocumentTextIndex::candidates(connection.database(), ContentMatcher(lower, false).phrase());
            QVERIFY(candidates);
            QVERIFY2(std::find(candidates->begin(), candidates->end(), ids[static_cast<size_t>(i)]) !=
                         candidates->end(),
                     qPrintable(QStringLiteral("U+%1").arg(static_cast<uint>(letters[i]), 4, 16, QLatin1Char('0'))));
        }
    }

    void entriesFollowTheDocuments()
    {
        const TestDatabaseFolder app;
        const qint64 kept = upload(app, QStringLiteral("kept.txt"), "alpha bravo charlie");
        const qint64 deleted = upload(app, QStringLiteral("gone.txt"), "delta echo foxtrot");
        const qint64 replaced = upload(app, QStringLiteral("old.txt"), "golf hotel india");
        QCOMPARE(entries(), 3);
        {
            CLsDataBaseConnection connection;
            Database& db = connection.database();
            db.execute(QStringLiteral("DELETE FROM Attachments WHERE AttachmentsId = ?"), {deleted});
            db.execute(QStringLiteral("UPDATE Attachments SET Attachments = longbinary(?) WHERE AttachmentsId = ?"),
                       {QByteArray("juliett kilo"), replaced});
            // Given to another client: the text stays.
            db.execute(QStringLiteral("UPDATE Attachments SET PersonalInformationId = 2 WHERE AttachmentsId = ?"),
                       {kept});
        }
        QCOMPARE(entries(), 1);
        checkFullTextIndex();
        QCOMPARE(sourceOf(kept, QStringLiteral("bravo")), Source::Text);
        QCOMPARE(sourceOf(replaced, QStringLiteral("juliett")), Source::Bytes);
        QCOMPARE(hits(QStringLiteral("echo")), QList<qint64>{});
        QCOMPARE(hits(QStringLiteral("hotel")), QList<qint64>{});
        QCOMPARE(hits(QStringLiteral("JULIETT")), QList<qint64>{replaced});
        QCOMPARE(hits(QStringLiteral("charlie")), QList<qint64>{kept});
    }

    void earlierDocumentsAreIndexedAndIndexingResumes()
    {
        const TestDatabaseFolder app;
        const std::vector<qint64> ids = storeUnindexed(70, "Angebot Nummer ");
        QCOMPARE(sourceOf(ids.front(), QStringLiteral("Angebot")), Source::Bytes);
        QCOMPARE(hits(QStringLiteral("nummer 6")).size(), 11); // 6 and 60 to 69
        // Stopped after ten documents: those stay indexed, and the next run does the rest.
        qint64 total = 0;
        const qint64 first = DocumentIndexer::run(app.location(), [&](qint64 done, qint64 all) {
            total = all;
            return done < 10;
        });
        QCOMPARE(total, 70);
        QCOMPARE(first, 10);
        QCOMPARE(entries(), 10);
        QList<std::pair<qint64, qint64>> reports;
        QCOMPARE(DocumentIndexer::run(app.location(),
                                      [&](qint64 done, qint64 all) {
                                          reports.append({done, all});
                                          return true;
                                      }),
                 60);
        QCOMPARE(reports.front(), std::make_pair(qint64(0), qint64(60)));
        QCOMPARE(reports.back(), std::make_pair(qint64(60), qint64(60)));
        QCOMPARE(entries(), 70);
        QCOMPARE(sourceOf(ids.back(), QStringLiteral("Nummer 69")), Source::Text);
        QCOMPARE(sourceOf(ids.front(), QStringLiteral("Nummer 69")), Source::Nothing);
        QCOMPARE(hits(QStringLiteral("nummer 6")).size(), 11);
        QCOMPARE(DocumentIndexer::run(app.location()), 0);
    }

    void anIndexNotOfThisBuildIsRebuilt_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("sqliteOnly");
        QTest::newRow("another format") << "UPDATE %1_format SET format = 0" << false;
        QTest::newRow("text table missing") << "DROP TABLE %1" << false;
        QTest::newRow("index missing") << "DROP TABLE orvanta_document_words" << true;
        QTest::newRow("index damaged") << "DELETE FROM orvanta_document_words_data WHERE id > 1" << true;
    }

    void anIndexNotOfThisBuildIsRebuilt()
    {
        QFETCH(QString, damage);
        QFETCH(bool, sqliteOnly);
        if (sqliteOnly && PgTestDatabase::wanted())
            QSKIP("The full-text table is SQLite's.");
        const TestDatabaseFolder app;
        const qint64 id = upload(app, QStringLiteral("a.txt"), "Kaufvertrag Grundstück");
        {
            CLsDataBaseConnection connection;
            const Database& db = connection.database();
            db.engine().executeNative(damage.arg(DocumentTextIndex::textTable(db)));
        }
        // Not trusted meanwhile: the search reads what is there.
        QCOMPARE(hits(QStringLiteral("GRUNDSTÜCK")), QList<qint64>{id});
        {
            CLsDataBaseConnection connection;
            QVERIFY(DocumentIndexer::ensureCurrent(connection.database()));
            QVERIFY(!DocumentIndexer::ensureCurrent(connection.database()));
        }
        QCOMPARE(DocumentIndexer::run(app.location()), 1);
        checkFullTextIndex();
        QCOMPARE(sourceOf(id, QStringLiteral("vertrag")), Source::Text);
        QCOMPARE(hits(QStringLiteral("grundstück")), QList<qint64>{id});
    }
};

QTEST_GUILESS_MAIN(TestDocumentText)
#include "tst_documenttext.moc"
