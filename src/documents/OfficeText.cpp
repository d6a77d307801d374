#include "documents/OfficeText.h"

std::optional<QString> OfficeText::extract(const QByteArray& bytes)
{
    Q_UNUSED(bytes);
    return std::nullopt;
}
