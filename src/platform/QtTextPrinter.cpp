#include "platform/QtTextPrinter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QTextLayout>

namespace {

constexpr qreal PointSize = 11;
constexpr qreal MarginMillimetres = 20;
constexpr int TabStopCharacters = 8;

// The paper a PDF file gets: what a printer of the user's country would hold.
QPageSize localPaper()
{
    return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                        : QPageSize::A4);
}

} // namespace

bool QtTextPrinter::printLines(QWidget* parent, const QStringList& lines)
{
    QPrinter printer(QPrinter::HighResolution);
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull()) {
        QPrintDialog dialog(&printer, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
    } else {
        printer.setPrinterName(defaultPrinter.printerName());
    }
    return layOut(printer, lines);
}

QString QtTextPrinter::printLinesToPdf(const QString& title, const QStringList& lines, const QString& path)
{
    // Written under a temporary name beside the file, which takes its place once complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();

    // The document is made in memory and then written out whole: the PDF writer does not
    // report a write cut short by a full disk, and such a write carries no reason.
    QByteArray document;
    {
        QBuffer buffer(&document);
        buffer.open(QIODevice::WriteOnly);
        // The writer finishes the document when it is destroyed.
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QCoreApplication::applicationName());
        writer.setPageSize(localPaper());
        if (!layOut(writer, lines))
            return QStringLiteral("The pages could not be drawn.");
    }
    for (qint64 done = 0; done < document.size();) {
        // What a short write left is written again; the disk then gives its reason.
        const qint64 written = file.write(document.constData() + done, document.size() - done);
        if (written <= 0)
            return file.errorString();
        done += written;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

bool QtTextPrinter::layOut(QPagedPaintDevice& device, const QStringList& lines)
{
    device.setPageMargins(QMarginsF(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres),
                          QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&device))
        return false;

    // The application's font, not the painter's, which is already resolved for the device.
    QFont font;
    font.setPointSizeF(PointSize);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &device);
    // Every line advances by the same height, so a page holds the same number of lines
    // whatever characters they contain.
    const qreal lineHeight = metrics.lineSpacing();
    const QRect page = painter.viewport();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The layout scales tab stops from the application's resolution to the device's.
    option.setTabStopDistance(QFontMetricsF(font).averageCharWidth() * TabStopCharacters);

    qreal y = 0;
    for (const QString& text : lines) {
        QTextLayout layout(text, font, &device);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(page.width());
            line.setPosition(QPointF(0, 0));
        }
        layout.endLayout();

        for (int index = 0; index < layout.lineCount(); ++index) {
            if (y > 0 && y + lineHeight > page.height()) {
                if (!device.newPage()) {
                    painter.end();
                    return false;
                }
                y = 0;
            }
            layout.lineAt(index).draw(&painter, QPointF(0, y));
            y += lineHeight;
        }
    }
    return painter.end();
}
