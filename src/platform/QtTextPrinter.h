#pragma once

#include "platform/TextPrinter.h"

// Prints through QPrinter, one printed line per text line.
class QtTextPrinter : public TextPrinter
{
public:
    bool printLines(QWidget* parent, const QStringList& lines) override;
};
