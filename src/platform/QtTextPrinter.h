#pragma once

#include "platform/TextPrinter.h"

class QPagedPaintDevice;

// Prints through QPrinter and writes PDF files through QPdfWriter, both laid out by layOut().
class QtTextPrinter : public TextPrinter
{
public:
    bool printLines(QWidget* parent, const QStringList& lines) override;
    QString printLinesToPdf(const QString& title, const QStringList& lines, const QString& path) override;

    // Paints `lines` on `device` (its paper, with margins of 20 mm), one text line per printed
    // line: a line wider than the page wraps (at a word boundary where it has one), and a line
    // that does not fit on the page starts the next. False when painting failed.
    static bool layOut(QPagedPaintDevice& device, const QStringList& lines);
};
