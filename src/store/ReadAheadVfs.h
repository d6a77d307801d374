#pragma once

#include <QString>

// A file layer for SQLite connections that read long values from start to end.
//
// SQLite reads a long value one database page at a time, each page with a system call of
// its own. Through this layer a read that continues where the previous one ended fetches
// a growing window of the file (up to 1 MiB) at once, and the following page reads are
// served from it. Reads elsewhere fetch a small window. The window is kept only while the
// connection holds a lock on the database file (then no other process may change it), is
// dropped on every write, and is never used for a database in write-ahead-log mode.
class ReadAheadVfs
{
public:
    // The name under which to open `databasePath` through this layer (a URI naming it),
    // or `databasePath` itself when the engine does not take URIs.
    // Also `databasePath` itself while the layer is switched off.
    static QString openName(const QString& databasePath);

    // Switches the layer on or off for connections opened from now on (on by default), so
    // that its reads can be measured against the engine's own.
    static void setEnabled(bool enabled);

    static constexpr int SmallWindow = 32 * 1024;
    static constexpr int LargeWindow = 256 * 1024;

private:
    static bool registerOnce();
};
