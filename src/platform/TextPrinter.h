#pragma once

#include <QStringList>

class QWidget;

// Prints lines of text on the default printer (with no default printer, asks with the print dialog).
class TextPrinter
{
public:
    virtual ~TextPrinter() = default;
    // False when nothing was printed (no printer, or the user cancelled the dialog).
    virtual bool printLines(QWidget* parent, const QStringList& lines) = 0;
    static TextPrinter& instance();
};
