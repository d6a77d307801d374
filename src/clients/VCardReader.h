#pragma once

#include "clients/ImportTable.h"

#include <QString>

// Reads the cards of a vCard file (versions 2.1, 3.0 and 4.0) as a table of clients for an
// import: one row per card, in the columns of the client table.
class VCardReader
{
public:
    // Every card of `text`, in order. The header is the client columns "First Name" …
    // "Company" in the order of the client table; each row's line is the line of its
    // BEGIN:VCARD (counted from 1). Names come from N, else from FN (split at its last blank,
    // a single word being the last name, unless FN only repeats ORG); the address from the
    // home ADR, else the preferred, else the first; telephone numbers by their type, an
    // untyped one in the first empty of the home, work and cell numbers; the preferred e-mail
    // address. Other properties are ignored.
    // Throws ImportFileError naming the line of a card without END:VCARD, of a line outside a
    // card that is not blank, of a card begun inside a card and of a version it cannot read.
    static ImportTable read(const QString& text);
};
