#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// Bytes read as text: UTF-8, UTF-16 (either byte order, with or without a byte-order mark),
// or Windows-1252 for bytes that are not UTF-8. Nothing for bytes that are no text at all.
class PlainText
{
public:
    static std::optional<QString> decode(const QByteArray& bytes);

    // Windows-1252 bytes as text. The five bytes that code page leaves undefined keep their
    // Latin-1 meaning (C1 controls).
    static QString fromWindows1252(QByteArrayView bytes);
    // The character of one Windows-1252 byte.
    static char16_t windows1252(uchar byte);
};
