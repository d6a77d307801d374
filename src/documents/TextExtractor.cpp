#include "documents/TextExtractor.h"

#include "documents/MarkupText.h"
#include "documents/OfficeText.h"
#include "documents/PdfText.h"
#include "documents/PlainText.h"
#include "documents/RtfText.h"
#include "documents/TextLog.h"

namespace {

bool isHtmlExtension(const QString& extension)
{
    return extension == QLatin1String("html") || extension == QLatin1String("htm") ||
           extension == QLatin1String("xhtml");
}

std::optional<QString> markupOrPlain(const QByteArray& bytes, const QString& extension)
{
    std::optional<QString> text = PlainText::decode(bytes);
    if (!text)
        return std::nullopt;
    if (MarkupText::looksLikeHtml(*text))
        return MarkupText::fromHtml(*text);
    if (MarkupText::looksLikeXml(*text))
        return MarkupText::fromXml(*text);
    if (isHtmlExtension(extension))
        return MarkupText::fromHtml(*text);
    if (extension == QLatin1String("xml"))
        return MarkupText::fromXml(*text);
    return text;
}

// PDF readers accept a header a little way into the file, after some junk.
bool mayBePdf(const QByteArray& bytes)
{
    return QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), 1024)).contains("%PDF-");
}

// RTF may be preceded by a byte-order mark or white space.
bool isRtf(const QByteArray& bytes)
{
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return QByteArrayView(bytes).sliced(i).startsWith("{\\rtf");
}

std::optional<QString> read(const QByteArray& bytes, const QString& extension)
{
    if (mayBePdf(bytes)) {
        std::optional<QString> text = PdfText::extract(bytes);
        // Text that merely mentions the header near its start is still text.
        if (text || bytes.startsWith("%PDF-"))
            return text;
    }
    if (bytes.startsWith("PK\x03\x04"))
        return OfficeText::extract(bytes);
    if (isRtf(bytes))
        return RtfText::extract(bytes);
    return markupOrPlain(bytes, extension);
}

} // namespace

std::optional<QString> TextExtractor::extract(const QByteArray& bytes, const QString& extension)
{
    if (bytes.size() > InputLimit) {
        qCInfo(textLog) << "A document of" << bytes.size() << "bytes is too large to read for text.";
        return std::nullopt;
    }
    std::optional<QString> text = read(bytes, extension);
    if (text && text->size() > TextLimit) {
        // Never half a surrogate pair at the end.
        const bool splitsPair = text->at(TextLimit - 1).isHighSurrogate();
        text->truncate(splitsPair ? TextLimit - 1 : TextLimit);
    }
    return text;
}
