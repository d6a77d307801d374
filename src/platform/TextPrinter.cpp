#include "platform/TextPrinter.h"

#include "platform/Platform.h"

TextPrinter& TextPrinter::instance()
{
    return Platform::textPrinter();
}
