#pragma once

#include "store/ClientId.h"

#include <QString>

// The PDF copy of a client event's printed notes: the file the save dialog suggests (a name
// made from the client, the date and the title, in the folder last saved into), and the
// name the user chose made into a PDF file's.
class EventNotesPdf
{
public:
    // The save dialog's filter.
    static QString filter();

    // "<client> - <date> - <title>.pdf", leaving out empty parts: the date in ISO form when it
    // reads as a date, blanks and line breaks as single blanks, characters that file systems
    // refuse as "_", no leading or trailing dot or blank, at most MaximumNameLength characters
    // before ".pdf". "Event notes.pdf" when nothing is left; a device name gets a leading "_".
    static QString suggestedName(const QString& client, const QString& date, const QString& title);
    static constexpr int MaximumNameLength = 80;

    // The folder a PDF file was last saved into while the program runs, when it still exists;
    // else the user's documents folder, else the home folder.
    static QString suggestedFolder();
    static QString suggestedPath(const QString& client, const QString& date, const QString& title);
    // Remembers the folder of `savedPath` for the next suggestion.
    static void remember(const QString& savedPath);
    // Forgets it, as at start-up.
    static void forget();

    // `path` with ".pdf" appended when its file name has no extension (one to five letters or
    // digits after its last dot).
    static QString withExtension(const QString& path);

    // The client's last, first and middle name, as the file name starts; empty for NoClient
    // or a client that is not stored. Throws StoreError.
    static QString clientName(ClientId clientId);
};
