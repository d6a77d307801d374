#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The text of a PDF document, page by page in reading order; nothing when it cannot be read.
class PdfText
{
public:
    static std::optional<QString> extract(const QByteArray& bytes);
};
