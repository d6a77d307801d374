#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

// Writes clients as a vCard 4.0 file, one card per client, for an export that other programs
// and VCardReader read back.
class VCardWriter
{
public:
    // `clients` holds, per client, its values by client column name ("First Name" …
    // "Company"); a missing or empty value is left out of the card. FN is always written:
    // first, middle and last name, else the company, else empty. Telephone numbers are text
    // values typed home/cell/work/fax. Lines end in CRLF and are folded at 75 octets without
    // splitting a character. Returns the file as UTF-8.
    static QByteArray write(const std::vector<QHash<QString, QString>>& clients);
};
