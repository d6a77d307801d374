#pragma once

#include "clients/ImportTable.h"

#include <QString>

// Comma-separated values as RFC 4180 writes them, and as spreadsheet programs of other
// countries do: quoted fields may hold separators, doubled quotes and line breaks (CRLF, LF or
// CR); the separator is the one of ',', ';' and tab found most often in the first line outside
// quotes. The first row is the header; blank lines are skipped; every row keeps the line on
// which it starts.
class CsvReader
{
public:
    // Throws ImportFileError for a row with another number of fields than the header, or a
    // quoted field that is never closed (naming the line where it starts).
    static ImportTable read(const QString& text);

    static QChar separatorOf(const QString& text);
};
