#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Bytes read as text: UTF-8, UTF-16 (either byte order, with or without a byte-order mark),
// or Windows-1252 for bytes that are not UTF-8. Nothing for bytes that are no text at all.
class PlainText
{
public:
    static std::optional<QString> decode(const QByteArray& bytes);
};
