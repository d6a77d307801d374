#pragma once

#include "documents/TextExtractor.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The text of an office document kept in a ZIP container: Office Open XML (.docx, .xlsx,
// .pptx) or OpenDocument (.odt, .ods, .odp). Nothing for any other ZIP archive, and nothing
// for one that is damaged, encrypted, or would unpack past `unpackLimit` bytes in all.
//
// Paragraphs and table cells end in line breaks; so do a workbook's cells (shared, inline and
// numeric values, sheet by sheet) and each slide. Text past TextExtractor::TextLimit characters
// is dropped.
class OfficeText
{
public:
    static std::optional<QString> extract(const QByteArray& bytes, qint64 unpackLimit = TextExtractor::UnpackLimit);
};
