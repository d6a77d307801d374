#include "clients/FieldEntry.h"

#include <QLocale>
#include <cmath>

std::optional<double> FieldEntry::twips(const QString& text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}
