#include "SampleOfficeFiles.h"
#include "documents/OfficeText.h"
#include "documents/TextExtractor.h"

#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QtEndian>
#include <cstring>

using namespace SampleOfficeFiles;

Q_DECLARE_METATYPE(std::optional<QString>)

// The text of office documents kept in ZIP archives.
class TestOfficeText : public QObject
{
    Q_OBJECT

private:
    static QByteArray& part(QList<Entry>& entries, const QString& name)
    {
        for (Entry& entry : entries) {
            if (entry.name == name)
                return entry.data;
        }
        qFatal("no part %s", qPrintable(name));
    }

    static QList<Entry> without(QList<Entry> entries, const QStringList& names)
    {
        entries.removeIf([&](const Entry& entry) { return names.contains(entry.name); });
        return entries;
    }

    // A document of each kind, with a few paragraphs, cells and slides.
    static QList<std::pair<const char*, QByteArray>> samples()
    {
        const QList<Paragraph> paragraphs{{QStringLiteral("Müller & Söhne")},
                                          {QStringLiteral("Ελλάδα\t"), QStringLiteral("日本 <b>")}};
        const Table table{{QStringLiteral("A1"), QStringLiteral("B1")}, {QStringLiteral("A2"), QStringLiteral("7")}};
        const QList<Slide> slides{{{QStringLiteral("Title")}}, {{QStringLiteral("Second"), QStringLiteral(" slide")}}};
        return {{"docx", docx(paragraphs, table)}, {"xlsx", xlsx({table, table})}, {"pptx", pptx(slides)},
                {"odt", odt(paragraphs, table)},   {"ods", ods({table, table})},   {"odp", odp(slides)}};
    }

    // `entries`, then entry `name` of `size` bytes: `head`, then `pattern` over and over.
    static QByteArray packWithRepeats(const QList<Entry>& entries, const QString& name, const QByteArray& head,
                                      const QByteArray& pattern, qint64 size);

private slots:
    void text_data();
    void text();
    void noText_data();
    void noText();
    void failure_data();
    void failure();
    void unpackLimit_data();
    void unpackLimit();
    void textLimit();
    void truncated();
    void damaged();
};

void TestOfficeText::text_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    const QList<Paragraph> paragraphs{
        {QStringLiteral("Dear Mr "), QStringLiteral("Müller"), QStringLiteral(",")},
        {QStringLiteral("Ελλάδα\t日本")},
        {},
        {QStringLiteral("Fish & chips < 5 > 3 \"quoted\"")},
        {QStringLiteral("first line\nsecond line")},
    };
    const QString paragraphsText = QStringLiteral("Dear Mr Müller,\nΕλλάδα\t日本\n\nFish & chips < 5 > 3 \"quoted\"\n"
                                                  "first line\nsecond line\n");
    const Table table{{QStringLiteral("Name"), QStringLiteral("Town")},
                      {QStringLiteral("Müller"), QStringLiteral("Köln")}};
    QTest::newRow("docx") << docx(paragraphs) << paragraphsText;
    QTest::newRow("docx with a table") << docx({{QStringLiteral("Before")}}, table)
                                       << QStringLiteral("Before\nName\nTown\nMüller\nKöln\n\n");
    QTest::newRow("odt") << odt(paragraphs) << paragraphsText;
    QTest::newRow("odt with a table") << odt({{QStringLiteral("Before")}}, table)
                                      << QStringLiteral("Before\nName\nTown\nMüller\nKöln\n");
    QTest::newRow("odt with runs of spaces")
        << odt({{QStringLiteral("  two  and   three ")}}) << QStringLiteral("  two  and   three \n");

    const QList<Sheet> sheets{
        {{QStringLiteral("Item"), QStringLiteral("Price")}, {QStringLiteral("Tea & cake"), QStringLiteral("3.5")}},
        {{QStringLiteral("Ελλάδα")}, {QStringLiteral("Item"), QStringLiteral("-12")}},
    };
    const QString sheetsText = QStringLiteral("Item\nPrice\nTea & cake\n3.5\nΕλλάδα\nItem\n-12\n");
    QTest::newRow("xlsx, shared strings") << xlsx(sheets) << sheetsText;
    QTest::newRow("xlsx, inline strings") << xlsx(sheets, CellStrings::Inline) << sheetsText;
    QTest::newRow("ods") << ods(sheets) << sheetsText;

    const QList<Slide> slides{
        {{QStringLiteral("Quarterly "), QStringLiteral("report")}, {QStringLiteral("Müller & <Partner>")}},
        {{QStringLiteral("日本\nΕλλάδα")}},
        {},
        {{QStringLiteral("Last")}},
    };
    const QString slidesText = QStringLiteral("Quarterly report\nMüller & <Partner>\n日本\nΕλλάδα\nLast\n");
    QTest::newRow("pptx") << pptx(slides) << slidesText;
    QTest::newRow("odp") << odp(slides) << slidesText;

    // Parts named by number are read in the order of the number, not of the name.
    QList<Slide> many;
    QString manyText;
    for (int i = 1; i <= 11; ++i) {
        many.append({{QStringLiteral("Slide %1").arg(i)}});
        manyText += QStringLiteral("Slide %1\n").arg(i);
    }
    QTest::newRow("pptx, eleven slides") << pptx(many) << manyText;
    QList<Entry> unlisted = without(
        pptxEntries(many), {QStringLiteral("ppt/presentation.xml"), QStringLiteral("ppt/_rels/presentation.xml.rels")});
    std::sort(unlisted.begin(), unlisted.end(), [](const Entry& a, const Entry& b) { return a.name > b.name; });
    QTest::newRow("pptx, slides by number alone") << pack(unlisted) << manyText;

    // A workbook's sheets come in the order the workbook lists them.
    QList<Entry> swapped = xlsxEntries({{{QStringLiteral("first")}}, {{QStringLiteral("second")}}});
    QByteArray& links = part(swapped, QStringLiteral("xl/_rels/workbook.xml.rels"));
    links.replace("sheet1.xml", "sheetX.xml").replace("sheet2.xml", "sheet1.xml").replace("sheetX.xml", "sheet2.xml");
    QTest::newRow("xlsx, sheets in the workbook's order") << pack(swapped) << QStringLiteral("second\nfirst\n");

    // Entities and character references, however written, come out decoded.
    QList<Entry> references = docxEntries({{QStringLiteral("@")}});
    part(references, QStringLiteral("word/document.xml"))
        .replace("@", "&#x65E5;&#26412; &amp;&lt;&gt;&quot;&apos; <![CDATA[<raw> & ]]>");
    QTest::newRow("docx, references") << pack(references) << QStringLiteral("日本 &<>\"' <raw> & \n");

    // A text box is written twice, the second time for older readers; it is read once.
    QList<Entry> textBox = docxEntries({{QStringLiteral("@")}});
    part(textBox, QStringLiteral("word/document.xml"))
        .replace("<w:t xml:space=\"preserve\">@</w:t>",
                 "<mc:AlternateContent xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">"
                 "<mc:Choice Requires=\"wps\"><w:drawing><w:txbxContent><w:p><w:r><w:t>Box</w:t></w:r></w:p>"
                 "</w:txbxContent></w:drawing></mc:Choice><mc:Fallback><w:pict><w:txbxContent><w:p><w:r>"
                 "<w:t>Box</w:t></w:r></w:p></w:txbxContent></w:pict></mc:Fallback></mc:AlternateContent>");
    QTest::newRow("docx, text box") << pack(textBox) << QStringLiteral("Box\n\n");

    // Comments and speaker notes are not the document's text; nor are its properties.
    QList<Entry> notes = odpEntries({{{QStringLiteral("Shown")}}});
    part(notes, QStringLiteral("content.xml"))
        .replace("</draw:page>", "<presentation:notes><draw:frame><draw:text-box><text:p>Notes</text:p>"
                                 "</draw:text-box></draw:frame></presentation:notes></draw:page>")
        .replace("Shown", "Shown<office:annotation><dc:creator>Someone</dc:creator><text:p>Remark</text:p>"
                          "</office:annotation>");
    QTest::newRow("odp, notes and comments") << pack(notes) << QStringLiteral("Shown\n");
}

void TestOfficeText::text()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QVERIFY(!bytes.isEmpty());

    const std::optional<QString> text = OfficeText::extract(bytes);
    QVERIFY(text.has_value());
    QCOMPARE(*text, expected);
    // The extractor finds office documents by their first bytes.
    QCOMPARE(TextExtractor::extract(bytes, QString()), text);
}

void TestOfficeText::noText_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("other archive") << pack(
        {{QStringLiteral("readme.txt"), "Plain words"}, {QStringLiteral("word/document.xml"), "<w:document/>"}});
    QTest::newRow("empty archive") << QByteArray("PK\x05\x06").append(18, '\0');
    QTest::newRow("package without a known main part")
        << pack(without(docxEntries({{QStringLiteral("Words")}}), {QStringLiteral("word/document.xml")}));
    QList<Entry> book = odtEntries({{QStringLiteral("Words")}});
    part(book, QStringLiteral("mimetype")) = "application/epub+zip";
    QTest::newRow("other mimetype") << pack(book);
    QTest::newRow("OpenDocument without content")
        << pack(without(odtEntries({{QStringLiteral("Words")}}), {QStringLiteral("content.xml")}));
}

void TestOfficeText::noText()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(bytes.startsWith("PK"));
    QCOMPARE(OfficeText::extract(bytes), std::nullopt);
}

void TestOfficeText::failure_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("note");

    QTest::newRow("no ZIP archive") << QByteArray("PK\x03\x04 and then nothing of a ZIP archive")
                                    << QStringLiteral("cannot be opened");

    QList<Entry> unclosed = docxEntries({{QStringLiteral("Words")}});
    part(unclosed, QStringLiteral("word/document.xml")).chop(20);
    QTest::newRow("unfinished XML") << pack(unclosed) << QStringLiteral("not well-formed");

    QList<Entry> mismatched = odtEntries({{QStringLiteral("Words")}});
    part(mismatched, QStringLiteral("content.xml")).replace("</text:p>", "</text:h>");
    QTest::newRow("mismatched XML") << pack(mismatched) << QStringLiteral("not well-formed");

    QList<Entry> zeros = xlsxEntries({{{QStringLiteral("Words")}}});
    part(zeros, QStringLiteral("xl/sharedStrings.xml")) = QByteArray(4096, '\0');
    QTest::newRow("zeros for XML") << pack(zeros) << QStringLiteral("not well-formed");

    if (canEncrypt()) {
        QList<Entry> encrypted = odtEntries({{QStringLiteral("Secret")}});
        for (Entry& entry : encrypted) {
            if (entry.name == QLatin1String("content.xml"))
                entry.aesPassword = "password";
        }
        QTest::newRow("encrypted OpenDocument") << pack(encrypted) << QStringLiteral("encrypted part");
        QList<Entry> encryptedSlides = pptxEntries({{{QStringLiteral("Secret")}}});
        encryptedSlides.last().aesPassword = "password";
        QTest::newRow("encrypted slide") << pack(encryptedSlides) << QStringLiteral("encrypted part");
    } else {
        qWarning("This libzip cannot write AES encryption; the cases of encrypted entries are left out.");
    }
}

void TestOfficeText::failure()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, note);
    QVERIFY(!bytes.isEmpty());

    // The reason goes to the log.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(note)));
    QCOMPARE(OfficeText::extract(bytes), std::nullopt);
}

QByteArray TestOfficeText::packWithRepeats(const QList<Entry>& entries, const QString& name, const QByteArray& head,
                                           const QByteArray& pattern, qint64 size)
{
    // Makes the bytes as libzip asks for them, never holding them all.
    struct Repeats
    {
        QByteArray head;
        QByteArray pattern;
        qint64 size;
        qint64 at = 0;
    };
    Repeats repeats{head, pattern, size};
    const auto make = [](void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) -> zip_int64_t {
        auto* r = static_cast<Repeats*>(state);
        switch (command) {
        case ZIP_SOURCE_OPEN:
            r->at = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            auto* out = static_cast<char*>(data);
            const qint64 n = std::min(static_cast<qint64>(length), r->size - r->at);
            for (qint64 i = 0; i < n; ++i, ++r->at)
                out[i] =
                    r->at < r->head.size() ? r->head[r->at] : r->pattern[(r->at - r->head.size()) % r->pattern.size()];
            return n;
        }
        case ZIP_SOURCE_STAT: {
            auto* stat = static_cast<zip_stat_t*>(data);
            zip_stat_init(stat);
            stat->size = static_cast<zip_uint64_t>(r->size);
            stat->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            return 0;
        }
    };
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, nullptr);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
    for (const Entry& entry : entries) {
        zip_source_t* data = zip_source_buffer(archive, entry.data.constData(), entry.data.size(), 0);
        zip_file_add(archive, entry.name.toUtf8().constData(), data, 0);
    }
    const zip_int64_t index =
        zip_file_add(archive, name.toUtf8().constData(), zip_source_function(archive, make, &repeats), 0);
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
    QByteArray bytes;
    if (zip_close(archive) != 0) {
        zip_discard(archive);
    } else {
        zip_stat_t stat;
        zip_source_stat(buffer, &stat);
        zip_source_open(buffer);
        bytes.resize(static_cast<qsizetype>(stat.size));
        bytes.resize(
            static_cast<qsizetype>(std::max<zip_int64_t>(zip_source_read(buffer, bytes.data(), stat.size), 0)));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return bytes;
}

void TestOfficeText::unpackLimit_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("limit");

    // Elements without text, packed tightly, unpack to many times the archive's size.
    const qint64 limit = 1 << 20;
    QList<Entry> empty = docxEntries({{QStringLiteral("Words")}});
    QByteArray& document = part(empty, QStringLiteral("word/document.xml"));
    document.replace("<w:sectPr>", QByteArray("<w:bookmarkEnd w:id=\"0\"/>").repeated(4 * limit / 25) + "<w:sectPr>");
    const QByteArray honest = pack(empty);
    QVERIFY(honest.size() < limit / 20);
    QTest::newRow("deep document") << honest << limit;

    // The same, its headers claiming a small size.
    QByteArray lying = honest;
    const QByteArray name("word/document.xml");
    for (const QByteArray& signature : {QByteArray("PK\x03\x04"), QByteArray("PK\x01\x02")}) {
        const int sizeAt = signature[2] == 3 ? 22 : 24;
        const int nameAt = signature[2] == 3 ? 30 : 46;
        for (qsizetype at = lying.indexOf(signature); at >= 0; at = lying.indexOf(signature, at + 1)) {
            if (lying.mid(at + nameAt, name.size()) == name)
                qToLittleEndian<quint32>(1000, lying.data() + at + sizeAt);
        }
    }
    QVERIFY(lying != honest);
    QTest::newRow("lying sizes") << lying << limit;

    // One comment or text longer than a part may hold in one piece (a sixteenth of the limit).
    const QList<Entry> package = without(docxEntries({}), {QStringLiteral("word/document.xml")});
    const QByteArray plain = docxEntries({}).last().data;
    const QByteArray body = plain.left(plain.indexOf("<w:body>") + 8);
    const QString documentName = QStringLiteral("word/document.xml");
    QTest::newRow("long comment") << packWithRepeats(package, documentName, body + "<!--", "-", limit / 2) << limit;
    QTest::newRow("long text") << packWithRepeats(package, documentName, body + "<w:p><w:r><w:t>", "x", limit / 2)
                               << limit;

    // A part of zeros (packed a thousandfold): the XML reader stops at the first zero.
    QTest::newRow("zeros") << packWithRepeats(package, documentName, {}, QByteArray(1, '\0'), 32 << 20)
                           << TextExtractor::UnpackLimit;
}

void TestOfficeText::unpackLimit()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, limit);

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("past the limit|not well-formed|longer than")));
    QCOMPARE(OfficeText::extract(bytes, limit), std::nullopt);
}

void TestOfficeText::textLimit()
{
    // Paragraphs of 1000 characters, past the limit; the last character kept is half a pair.
    const QString line = QString(999, QLatin1Char('x')) + QStringLiteral("😀");
    QList<Paragraph> paragraphs(TextExtractor::TextLimit / (line.size() + 1) + 2, Paragraph{line});
    const std::optional<QString> text = OfficeText::extract(docx(paragraphs));
    QVERIFY(text.has_value());
    QVERIFY(text->size() <= TextExtractor::TextLimit);
    QVERIFY(text->size() >= TextExtractor::TextLimit - 1);
    QVERIFY(text->startsWith(line + QLatin1Char('\n') + line));
    QVERIFY(!text->back().isHighSurrogate());
}

void TestOfficeText::truncated()
{
    for (const auto& [kind, bytes] : samples()) {
        QVERIFY2(OfficeText::extract(bytes).has_value(), kind);
        // Without its central directory at the end, an archive cannot be read.
        for (qsizetype size = 1; size < bytes.size(); size += 1 + size / 16) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot be opened")));
            QVERIFY2(!OfficeText::extract(bytes.left(size)).has_value(), kind);
        }
    }
}

void TestOfficeText::damaged()
{
    // Damaged archives are read or refused, never more. Their many notes are kept out of the log.
    QLoggingCategory::setFilterRules(QStringLiteral("orvanta.documents.text.warning=false"));
    const auto restore = qScopeGuard([] { QLoggingCategory::setFilterRules(QString()); });
    QRandomGenerator random(20261209);
    int refused = 0;
    int read = 0;
    for (const auto& [kind, bytes] : samples()) {
        for (int round = 0; round < 150; ++round) {
            QByteArray damaged = bytes;
            const int flips = 1 + static_cast<int>(random.bounded(8));
            for (int i = 0; i < flips; ++i)
                damaged[random.bounded(damaged.size())] ^= static_cast<char>(1 << random.bounded(8));
            const std::optional<QString> text = OfficeText::extract(damaged);
            ++(text ? read : refused);
            if (text)
                QVERIFY(text->size() <= TextExtractor::TextLimit);
        }
    }
    QVERIFY(refused > 0);
    qInfo("%d damaged archives read, %d refused", read, refused);
}

QTEST_GUILESS_MAIN(TestOfficeText)
#include "tst_officetext.moc"
