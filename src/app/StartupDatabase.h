#pragma once

#include <QString>

// The database check at program start, before any window opens.
class StartupDatabase
{
public:
    // Makes sure the database at `path` exists and is this program's (DatabaseSchema::ensure).
    // While another program holds it locked, says so and offers to try again. True when the
    // program can go on; false when it must end: the user chose Cancel, or the file is not a
    // usable database (reported, and left as it is).
    static bool open(const QString& path);
};
