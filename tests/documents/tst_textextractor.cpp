#include "SamplePdf.h"
#include "documents/TextExtractor.h"

#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QTest>
#include <atomic>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

class TestTextExtractor : public QObject
{
    Q_OBJECT

private:
    static QByteArray utf16(const QString& text, QStringConverter::Encoding encoding, bool byteOrderMark)
    {
        QStringEncoder encoder(encoding,
                               byteOrderMark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
        return encoder.encode(text);
    }

    static QByteArray samplePdf()
    {
        return SamplePdf::document({{u"Hans Müller"_s, u"ÜBER uns"_s}, {u"Zweite Seite"_s, u"Straße 5"_s}});
    }

    static QByteArray sampleRtf()
    {
        return QByteArrayLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
                                 "{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}"
                                 "{\\info{\\title Hidden title}{\\author Nobody}}{\\*\\generator Writer 1.0;}"
                                 "\\f0\\fs20 Hans M\\'fcller\\par\\uc1\\u220?BER\\tab uns\\line "
                                 "{\\*\\bkmkstart b}{\\pict\\pngblip 89504e47}"
                                 "Stra\\u223\\'dfe\\par}");
    }

    static QByteArray sampleHtml()
    {
        return QByteArrayLiteral("<!DOCTYPE html>\n<html><head><title>Kunden</title>"
                                 "<style>p { color: red; }</style>"
                                 "<script type=\"text/javascript\">var x = '<p>not text</p>';</script></head>\n"
                                 "<body><h1>Hans&nbsp;M&uuml;ller</h1>\n<p>Fish &amp; chips &lt;3 &#220;BER "
                                 "&#x20AC;5 &#150; &bogus; A&B</p>\n<!-- a comment <p>hidden</p> -->"
                                 "<ul><li>one</li><li>two<br>three</li></ul>"
                                 "<table><tr><td>cell</td><td>next</td></tr></table>"
                                 "<p title=\"a > b\">St<b>ra</b>&szlig;e</p></body></html>");
    }

    static QByteArray sampleXml()
    {
        return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<clients><client id=\"1\"><name>Hans M\xC3\xBCller</name>"
                                 "<city>K&amp;ln</city><note><![CDATA[<raw> text]]></note></client></clients>\n");
    }

private slots:
    void initTestCase()
    {
        // The PDF library's own chatter on damaged documents would bury the test's output.
        QLoggingCategory::setFilterRules(u"orvanta.documents.text.debug=false"_s);
    }

    void text_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("expected");

        const QString words = u"Hans Müller\nÜBER € 5\r\n"_s;
        QTest::newRow("empty") << QByteArray() << u"txt"_s << QString();
        QTest::newRow("utf-8") << words.toUtf8() << u"txt"_s << words;
        QTest::newRow("utf-8 with byte-order mark") << "\xEF\xBB\xBF" + words.toUtf8() << u"txt"_s << words;
        QTest::newRow("utf-16 le with byte-order mark")
            << utf16(words, QStringConverter::Utf16LE, true) << u"txt"_s << words;
        QTest::newRow("utf-16 be with byte-order mark")
            << utf16(words, QStringConverter::Utf16BE, true) << u"txt"_s << words;
        QTest::newRow("utf-16 le without byte-order mark")
            << utf16(words, QStringConverter::Utf16LE, false) << u"txt"_s << words;
        QTest::newRow("utf-16 be without byte-order mark")
            << utf16(words, QStringConverter::Utf16BE, false) << u"txt"_s << words;
        QTest::newRow("windows-1252") << QByteArray("M\xFCller \x80 5 \x93quoted\x94 \x85") << u"txt"_s
                                      << u"Müller € 5 “quoted” …"_s;
        QTest::newRow("windows-1252 letters only") << QByteArray("M\xFCller") << QString() << u"Müller"_s;
        QTest::newRow("utf-16 cut in the middle of a character")
            << QByteArray("\xFF\xFEH\0i\0!", 7) << u"txt"_s << u"Hi"_s;
        QTest::newRow("text naming the pdf header near its start")
            << QByteArray("Files start with %PDF-1.4 and so on\n") << u"txt"_s
            << u"Files start with %PDF-1.4 and so on\n"_s;
        QTest::newRow("text with a form feed and tabs")
            << QByteArray("page one\f\tpage two\n") << u"log"_s << u"page one\f\tpage two\n"_s;

        QTest::newRow("pdf pages in order")
            << samplePdf() << u"pdf"_s << u"Hans Müller\nÜBER uns\nZweite Seite\nStraße 5\n"_s;
        QTest::newRow("pdf under any name")
            << samplePdf() << QString() << u"Hans Müller\nÜBER uns\nZweite Seite\nStraße 5\n"_s;

        const QString htmlText = u"Kunden\nHans Müller\nFish & chips <3 ÜBER €5 – &bogus; A&B\none\ntwo\nthree\n"
                                 u"cell\nnext\nStraße\n"_s;
        QTest::newRow("html") << sampleHtml() << u"html"_s << htmlText;
        QTest::newRow("html told by its content") << sampleHtml() << u"txt"_s << htmlText;
        QTest::newRow("html numeric references out of range")
            << QByteArray("<p>&#0;&#x110000;&#xD800;&#65x &#150; &#128512;</p>") << u"html"_s
            << u"\uFFFD\uFFFD\uFFFDAx – \U0001F600\n"_s;
        QTest::newRow("html told by its extension")
            << QByteArray("<p>M&uuml;ller</p><p>two</p>") << u"htm"_s << u"Müller\ntwo\n"_s;
        QTest::newRow("html without extension and doctype stays text")
            << QByteArray("<p>M&uuml;ller</p>") << u"txt"_s << u"<p>M&uuml;ller</p>"_s;
        QTest::newRow("xhtml with an xml declaration")
            << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE html><html><body><p>a&nbsp;b</p><p>c</p></body></html>")
            << u"xhtml"_s << u"a b\nc\n"_s;
        QTest::newRow("html in windows-1252")
            << QByteArray("<html><body><p>M\xFCller</p></body></html>") << u"html"_s << u"Müller\n"_s;
        QTest::newRow("html cut short") << QByteArray("<html><body><p>Hans</p><p title=\"open") << u"html"_s
                                        << u"Hans\n"_s;
        QTest::newRow("html script never closed")
            << QByteArray("<html>before<script>if (a < b) x();") << u"html"_s << u"before"_s;

        const QString xmlText = u"Hans Müller\nK&ln\n<raw> text\n"_s;
        QTest::newRow("xml") << sampleXml() << u"xml"_s << xmlText;
        QTest::newRow("xml told by its content") << sampleXml() << QString() << xmlText;
        QTest::newRow("xml not well formed read as markup")
            << QByteArray("<?xml version=\"1.0\"?><a><b>one &amp; two</a><c>three") << u"xml"_s
            << u"one & two\nthree"_s;

        QTest::newRow("rtf") << sampleRtf() << u"rtf"_s << u"Hans Müller\nÜBER\tuns\nStraße\n"_s;
        QTest::newRow("rtf unicode with two stand-ins")
            << QByteArray("{\\rtf1\\uc2 A\\u8364\\'80\\'80B\\uc0\\u252 C}") << u"rtf"_s << u"A€BüC"_s;
        QTest::newRow("rtf escaped braces and surrogates")
            << QByteArray("{\\rtf1 \\{x\\}\\\\ \\u-10179?\\u-8704?}") << u"rtf"_s << u"{x}\\ \U0001F600"_s;
        QTest::newRow("rtf field shows its result")
            << QByteArray("{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt Link}}}") << u"rtf"_s << u"Link"_s;
        QTest::newRow("rtf binary data skipped") << QByteArray("{\\rtf1 a\\bin3 {}\\b}") << u"rtf"_s << u"ab"_s;
        // The code pages besides Windows-1252 come from ICU; a Qt without it reads them as that.
        const bool hasCyrillic = QStringDecoder("windows-1251").isValid();
        QTest::newRow("rtf in another code page")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1}") << u"rtf"_s << (hasCyrillic ? u"Аб"_s : u"Àá"_s);
        QTest::newRow("rtf nested past the depth limit")
            << QByteArray("{\\rtf1 a") + QByteArray(1000, '{') + "lost" + QByteArray(1000, '}') + "b}" << u"rtf"_s
            << u"ab"_s;
    }

    void text()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, extension);
        QFETCH(QString, expected);
        const std::optional<QString> text = TextExtractor::extract(bytes, extension);
        QVERIFY(text.has_value());
        QCOMPARE(*text, expected);
    }

    void noText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("extension");

        QRandomGenerator random(7);
        auto randomBytes = [&random](qsizetype size) {
            QByteArray bytes(size, Qt::Uninitialized);
            for (char& b : bytes)
                b = char(random.bounded(256));
            return bytes;
        };
        QTest::newRow("png") << "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"_ba + randomBytes(4000) << u"txt"_s;
        QTest::newRow("elf") << "\x7F"
                                "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x3E\0"_ba +
                                    randomBytes(2000)
                             << QString();
        QTest::newRow("random bytes") << randomBytes(300) << u"txt"_s;
        QTest::newRow("gzip") << "\x1F\x8B\x08\0\0\0\0\0\0\x03"_ba + randomBytes(1000) << u"gz"_s;
        QTest::newRow("control characters without nul")
            << QByteArray("ab\x01\x02\x03\x04\x05\x06\x07\x0E\x0F\x10\x11\x12\x13\x14 cd") << u"txt"_s;
        QTest::newRow("pdf that is damaged")
            << QByteArray("%PDF-1.4\n1 0 obj << /Type /Catalog >>\nnonsense") << u"pdf"_s;
        QTest::newRow("pdf locked by a password") << SamplePdf::lockedDocument({{u"secret"_s}}) << u"pdf"_s;
        QTest::newRow("larger than the input limit") << QByteArray(TextExtractor::InputLimit + 1, 'a') << u"txt"_s;
    }

    void noText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, extension);
        QCOMPARE(TextExtractor::extract(bytes, extension), std::nullopt);
    }

    void damagedPdfIsNoted_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("note");
        QTest::newRow("damaged") << QByteArray("%PDF-1.4\nnonsense") << u"could not be read"_s;
        QTest::newRow("locked") << SamplePdf::lockedDocument({{u"secret"_s}}) << u"locked by a password"_s;
    }

    void damagedPdfIsNoted()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, note);
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QRegularExpression::escape(note)));
        QCOMPARE(TextExtractor::extract(bytes, u"pdf"_s), std::nullopt);
    }

    // The PDF library's complaints go to the log, at debug level, not to standard error.
    void pdfLibraryMessagesAreLogged()
    {
        static QStringList debugNotes;
        debugNotes.clear();
        QLoggingCategory::setFilterRules(u"orvanta.documents.text.debug=true"_s);
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
                if (type == QtDebugMsg && QLatin1StringView(context.category) == "orvanta.documents.text"_L1)
                    debugNotes.append(message);
            });
        const auto restore = qScopeGuard([previous] {
            qInstallMessageHandler(previous);
            QLoggingCategory::setFilterRules(u"orvanta.documents.text.debug=false"_s);
        });
        QCOMPARE(TextExtractor::extract("%PDF-1.4\nnonsense"_ba, u"pdf"_s), std::nullopt);
        QVERIFY(!debugNotes.isEmpty());
        QVERIFY2(debugNotes.first().startsWith(u"PDF:"_s), qPrintable(debugNotes.first()));
    }

    void textPastTheLimitIsDropped()
    {
        QByteArray bytes(TextExtractor::TextLimit + 100, 'a');
        // A character outside the basic plane straddling the limit is dropped whole.
        bytes.replace(TextExtractor::TextLimit - 1, 4, "\xF0\x9F\x98\x80");
        const std::optional<QString> text = TextExtractor::extract(bytes, u"txt"_s);
        QVERIFY(text.has_value());
        QCOMPARE(text->size(), TextExtractor::TextLimit - 1);
        QVERIFY(!text->back().isHighSurrogate());
    }

    void pdfOnSeveralThreads()
    {
        const QByteArray pdf = samplePdf();
        const QString expected = *TextExtractor::extract(pdf, u"pdf"_s);
        std::atomic<int> mismatches = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&] {
                for (int i = 0; i < 25; ++i) {
                    if (TextExtractor::extract(pdf, u"pdf"_s) != expected)
                        ++mismatches;
                }
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        QCOMPARE(mismatches.load(), 0);
    }

    // Damaged documents of every kind: cut short and with bytes changed, never a crash, a hang
    // or text past the limit.
    void damagedDocuments_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("extension");
        QTest::newRow("pdf") << samplePdf() << u"pdf"_s;
        QTest::newRow("rtf") << sampleRtf() << u"rtf"_s;
        QTest::newRow("html") << sampleHtml() << u"html"_s;
        QTest::newRow("xml") << sampleXml() << u"xml"_s;
        QTest::newRow("utf-16") << utf16(u"Hans Müller ÜBER"_s.repeated(20), QStringConverter::Utf16LE, false)
                                << u"txt"_s;
        QTest::newRow("windows-1252") << QByteArray("M\xFCller \x80 5 ").repeated(20) << u"txt"_s;
    }

    void damagedDocuments()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, extension);
        // The notes on each damaged document are not what this test is about.
        QLoggingCategory::setFilterRules(u"orvanta.documents.text.debug=false\norvanta.documents.text.info=false"_s);
        const auto restoreNotes =
            qScopeGuard([] { QLoggingCategory::setFilterRules(u"orvanta.documents.text.debug=false"_s); });
        QRandomGenerator random(20240611);
        int variants = 0;
        for (qsizetype length = 0; length < bytes.size(); length += std::max<qsizetype>(1, bytes.size() / 40)) {
            const std::optional<QString> text = TextExtractor::extract(bytes.first(length), extension);
            QVERIFY(!text || text->size() <= TextExtractor::TextLimit);
            ++variants;
        }
        for (int round = 0; round < 60; ++round) {
            QByteArray damaged = bytes;
            const int changes = 1 + int(random.bounded(4));
            for (int c = 0; c < changes; ++c)
                damaged[random.bounded(int(damaged.size()))] = char(random.bounded(256));
            const std::optional<QString> text = TextExtractor::extract(damaged, extension);
            QVERIFY(!text || text->size() <= TextExtractor::TextLimit);
            ++variants;
        }
        QVERIFY(variants > 60);
    }
};

QTEST_GUILESS_MAIN(TestTextExtractor)
#include "tst_textextractor.moc"
