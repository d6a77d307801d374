#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The plain text of a stored document, for finding words in it.
//
// Reads PDF, Office Open XML (.docx, .xlsx, .pptx), OpenDocument (.odt, .ods, .odp), HTML,
// XML, RTF, and plain text in UTF-8, UTF-16 (either byte order, with or without a byte-order
// mark) or, for bytes that are not UTF-8, Windows-1252. Paragraphs, table cells and slides
// end in line breaks. Anything else (images, other archives, programs) has no text; so has a
// document that cannot be read: damaged, encrypted, or one that would unpack past the limits
// below. Such a failure is noted in the log ("orvanta.documents.text"), never thrown.
//
// The kind of a document is told from its first bytes; the extension of its name only tells
// HTML from other markup when the bytes leave it open. Safe to call from any thread.
class TextExtractor
{
public:
    // Documents larger than this are not read for text; the byte scan still covers them.
    static constexpr qsizetype InputLimit = 32 << 20;
    // Text beyond this many characters is dropped.
    static constexpr qsizetype TextLimit = 8 << 20;
    // An archive's parts are not unpacked past this many bytes in all.
    static constexpr qint64 UnpackLimit = 256LL << 20;

    // The text of `bytes`, a document stored under a name with extension `extension` (lower
    // case, without the dot, possibly empty); nothing when it has none.
    static std::optional<QString> extract(const QByteArray& bytes, const QString& extension);
};
