#pragma once

#include <QString>

// The database check at program start, before any window opens.
class StartupDatabase
{
public:
    // Makes sure the database at `path` exists and is this program's (DatabaseSchema::ensure).
    // While another program holds it locked, says so and offers to try again. A file the
    // engine finds damaged is named as such, and the newest backup of the backup folder is
    // offered in its place (the damaged file is kept under a second name). True when the
    // program can go on; false when it must end: the user chose Cancel or No, or the file is
    // not a usable database (reported, and left as it is).
    static bool open(const QString& path);
};
