#include "documents/RtfText.h"

std::optional<QString> RtfText::extract(const QByteArray& bytes)
{
    Q_UNUSED(bytes);
    return std::nullopt;
}
