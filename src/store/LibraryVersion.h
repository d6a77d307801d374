#pragma once

#include <QString>

// A library the program links, as it runs: its name, the version loaded (which may be newer
// than the one it was built with) and the licence it is used under.
struct LibraryVersion
{
    QString name;
    QString version;
    QString licence;
};
