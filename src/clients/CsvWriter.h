#pragma once

#include <QByteArray>
#include <QStringList>
#include <vector>

// Comma-separated values as RFC 4180 writes them, in UTF-8 with a byte order mark so that
// spreadsheet programs take it for UTF-8: ',' between fields, CRLF after each row, a field in
// quotes (its quotes doubled) when it holds ',', '"', CR or LF or begins or ends with a blank.
class CsvWriter
{
public:
    static QByteArray write(const QStringList& header, const std::vector<QStringList>& rows);
    static QString field(const QString& text);
};
