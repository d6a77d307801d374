#include "FileSizeLimit.h"
#include "platform/QtTextPrinter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <poppler-document.h>
#include <poppler-page.h>

#include <memory>

namespace {

QString fromUstring(const poppler::ustring& text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text.data()), qsizetype(text.size()));
}

// What a PDF file shows: its title, and each page's text lines as they stand on the page,
// blanks collapsed, empty lines left out.
struct PdfContent
{
    QString title;
    QList<QStringList> pages;
    bool withinPages = true; // every word lies inside its page
};

std::optional<PdfContent> read(const QString& path)
{
    const std::unique_ptr<poppler::document> document(poppler::document::load_from_file(path.toStdString()));
    if (!document)
        return std::nullopt;
    PdfContent content{fromUstring(document->get_title()), {}, true};
    for (int index = 0; index < document->pages(); ++index) {
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        QStringList lines;
        const QString text = fromUstring(page->text(poppler::rectf(), poppler::page::physical_layout));
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            if (const QString simple = line.simplified(); !simple.isEmpty())
                lines << simple;
        }
        content.pages << lines;
        const poppler::rectf box = page->page_rect();
        for (const poppler::text_box& word : page->text_list()) {
            const poppler::rectf bounds = word.bbox();
            if (bounds.left() < box.left() || bounds.right() > box.right() || bounds.bottom() > box.bottom())
                content.withinPages = false;
        }
    }
    return content;
}

} // namespace

// PDF files of printed lines, read back as a PDF reader reads them.
class TestNotesPdf : public QObject
{
    Q_OBJECT

private slots:
    void pdfShowsTheLinesInOrder();
    void failedPdfLeavesNothing_data();
    void failedPdfLeavesNothing();
};

void TestNotesPdf::pdfShowsTheLinesInOrder()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("notes.pdf"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an older file") > 0);
    old.close();

    QStringList longWords;
    for (int word = 1; word <= 60; ++word)
        longWords << QStringLiteral("word%1").arg(word);
    const QString longLine = longWords.join(QLatin1Char(' '));
    QStringList lines{QStringLiteral("Budget review"),
                      QString(),
                      QStringLiteral("Date : 1/5/24"),
                      QString(),
                      QStringLiteral("Start Time : 9:00 AM\t\tEnd Time : 10:00 AM"),
                      QString(),
                      QStringLiteral("Notes:"),
                      QString(),
                      QStringLiteral("Müller – Zoë"),
                      longLine};
    for (int line = 1; line <= 80; ++line)
        lines << QStringLiteral("Note line %1").arg(line);

    QCOMPARE(QtTextPrinter().printLinesToPdf(QStringLiteral("Budget review"), lines, path), QString());
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("notes.pdf")});
    const std::optional<PdfContent> pdf = read(path);
    QVERIFY2(pdf, "the file is not a PDF document");
    QCOMPARE(pdf->title, QStringLiteral("Budget review"));
    QVERIFY2(pdf->pages.size() >= 2, "long notes go on to a second page");
    QVERIFY(pdf->withinPages);

    // Each line on a line of its own, in order; the long one as several lines that read as it.
    QStringList shown;
    for (const QStringList& page : pdf->pages)
        shown += page;
    qsizetype next = 0;
    for (const QString& line : std::as_const(lines)) {
        const QString expected = line.simplified();
        if (expected.isEmpty())
            continue;
        if (line != longLine) {
            QCOMPARE(shown.value(next++), expected);
            continue;
        }
        QStringList pieces;
        while (next < shown.size() && pieces.join(QLatin1Char(' ')).size() < expected.size())
            pieces << shown.at(next++);
        QVERIFY2(pieces.size() > 1, "the long line wraps");
        QCOMPARE(pieces.join(QLatin1Char(' ')), expected);
    }
    QCOMPARE(next, shown.size());
    QVERIFY(!pdf->pages.first().contains(QStringLiteral("Note line 80")));
    QCOMPARE(pdf->pages.last().last(), QStringLiteral("Note line 80"));
}

void TestNotesPdf::failedPdfLeavesNothing_data()
{
    QTest::addColumn<QString>("name");   // in the test's folder
    QTest::addColumn<bool>("diskFull");  // no file may grow past a few bytes
    QTest::addColumn<QString>("reason"); // part of the reason given
    QTest::newRow("missing folder") << "gone/notes.pdf" << false << "No such file or directory";
    QTest::newRow("folder is a file") << "older.pdf/notes.pdf" << false << "Not a directory";
    QTest::newRow("disk full, an older file kept") << "older.pdf" << true << "File too large";
}

void TestNotesPdf::failedPdfLeavesNothing()
{
    QFETCH(QString, name);
    QFETCH(bool, diskFull);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QFile older(folder.filePath(QStringLiteral("older.pdf")));
    QVERIFY(older.open(QIODevice::WriteOnly) && older.write("kept") == 4);
    older.close();

    QString failure;
    {
        std::unique_ptr<FileSizeLimit> full;
        if (diskFull)
            full = std::make_unique<FileSizeLimit>(64);
        failure =
            QtTextPrinter().printLinesToPdf(QStringLiteral("Notes"), {QStringLiteral("Notes:")}, folder.filePath(name));
    }
    QVERIFY2(!failure.isEmpty(), "a failure gives its reason");
    QVERIFY2(failure.contains(reason), qPrintable(failure));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("older.pdf")});
    QVERIFY(older.open(QIODevice::ReadOnly));
    QCOMPARE(older.readAll(), QByteArray("kept"));
}

QTEST_MAIN(TestNotesPdf)
#include "tst_notespdf.moc"
