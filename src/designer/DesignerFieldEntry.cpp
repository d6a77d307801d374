#include "designer/DesignerFieldEntry.h"

#include <QLocale>
#include <cmath>
#include <limits>

std::optional<int> DesignerFieldEntry::twips(const QString& text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(std::lround(value));
}
