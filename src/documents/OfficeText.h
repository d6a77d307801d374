#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The text of an office document kept in a ZIP container: Office Open XML (.docx, .xlsx,
// .pptx) or OpenDocument (.odt, .ods, .odp). Nothing for any other ZIP archive.
class OfficeText
{
public:
    static std::optional<QString> extract(const QByteArray& bytes);
};
