#pragma once

#include "store/LibraryVersion.h"

#include <QList>

// The libraries of the store, for the About dialog: SQLite, libpq and libsodium, each as the
// version loaded at run time reports itself.
class StoreLibraryVersions
{
public:
    static QList<LibraryVersion> list();

    // libpq's number (PQlibVersion) as text: 150005 is "15.5"; before 10 it had three
    // parts, 90624 is "9.6.24".
    static QString libpqVersionText(int number);
};
