#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The text of a PDF document, page by page in reading order, each page ending in a line
// break; nothing when it cannot be read: damaged, or locked by a password.
//
// The PDF library's own messages go to the log at debug level instead of standard error.
// Each call reads a document of its own, so calls on several threads at once are safe.
class PdfText
{
public:
    static std::optional<QString> extract(const QByteArray& bytes);
};
