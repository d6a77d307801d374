#include "documents/PdfText.h"

std::optional<QString> PdfText::extract(const QByteArray& bytes)
{
    Q_UNUSED(bytes);
    return std::nullopt;
}
