#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Prints lines of text on the default printer (with no default printer, asks with the print
// dialog), or writes them as a PDF file laid out as the printout.
class TextPrinter
{
public:
    virtual ~TextPrinter() = default;
    // False when nothing was printed (no printer, or the user cancelled the dialog).
    virtual bool printLines(QWidget* parent, const QStringList& lines) = 0;
    // Writes `lines` as the PDF file `path`, its document title `title`. An existing file is
    // replaced only by a complete one. Returns why the file could not be written; empty when
    // it was.
    virtual QString printLinesToPdf(const QString& title, const QStringList& lines, const QString& path) = 0;
    static TextPrinter& instance();
};
