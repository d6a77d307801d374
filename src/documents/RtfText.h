#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The text of an RTF document: control words and groups that hold no text dropped.
//
// Paragraphs, lines, table cells and rows end in line breaks; tabs stay tabs. Bytes written
// as hexadecimal escapes or raw are read in the document's code page (Windows-1252 unless
// it names another that this Qt can decode), Unicode escapes as themselves with their
// stand-in characters skipped. Font, colour and style tables, document information,
// pictures, field instructions and every group marked as optional are left out.
class RtfText
{
public:
    static std::optional<QString> extract(const QByteArray& bytes);

    // Groups nested deeper than this are left out, text and all.
    static constexpr int DepthLimit = 256;
};
