#pragma once

#include "clients/ImportTable.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// A file of clients to import, CSV or vCard, read whole into a table.
class ClientImportFile
{
public:
    static constexpr qint64 MaxBytes = 64LL * 1024 * 1024;

    enum class Format
    {
        Csv,
        VCard
    };

    // Reads a CSV or a vCard file, told apart by its content (first non-blank line BEGIN:VCARD,
    // in any case); the extension is not trusted. Text is UTF-8, with or without its byte order
    // mark; text that is not valid UTF-8 is read as Windows-1252. Throws ImportFileError with a
    // message that names the file (and the line): a file above MaxBytes (read not at all), a file
    // that is not text (NUL bytes or mostly control characters), an empty file, a CSV row of
    // another number of fields than the header, a quoted field never closed, a vCard not well
    // formed.
    static ImportTable read(const QString& path, Format* format = nullptr);

    // The text of a file's bytes, as read() decodes them.
    static QString decode(const QByteArray& bytes);
    static Format formatOf(const QString& text);
    // The line (from 1) of the first character that makes `text` no text file, or 0 when it is text.
    static qint64 binaryLine(const QString& text);
};
