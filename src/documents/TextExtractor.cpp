#include "documents/TextExtractor.h"

#include "documents/MarkupText.h"
#include "documents/OfficeText.h"
#include "documents/PdfText.h"
#include "documents/PlainText.h"
#include "documents/RtfText.h"

std::optional<QString> TextExtractor::extract(const QByteArray& bytes, const QString& extension)
{
    if (bytes.size() > InputLimit)
        return std::nullopt;
    if (bytes.startsWith("%PDF-"))
        return PdfText::extract(bytes);
    if (bytes.startsWith("PK\x03\x04"))
        return OfficeText::extract(bytes);
    if (bytes.startsWith("{\\rtf"))
        return RtfText::extract(bytes);
    std::optional<QString> text = PlainText::decode(bytes);
    if (!text)
        return std::nullopt;
    if (extension == QLatin1String("html") || extension == QLatin1String("htm"))
        return MarkupText::fromHtml(*text);
    if (extension == QLatin1String("xml"))
        return MarkupText::fromXml(*text);
    return text;
}
