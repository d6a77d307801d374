#pragma once

#include <QString>
#include <memory>

class PgConnection;

// Connections to a server kept for the next action. The program opens a connection per action
// (a click, a save, a list read in slices), which costs a file almost nothing; to a server it
// costs a new server process, the session's settings and the catalog's names, tens of
// milliseconds each time. A connection given back idle is kept for a while and handed to the
// next action that opens the same database, after a round trip that shows it still works and
// whether another connection changed the schema meanwhile (then its names are read again).
class PgConnectionPool
{
public:
    // A connection to `uri`, kept or new; it comes back here when the last user lets it go.
    static std::shared_ptr<PgConnection> connect(const QString& uri, int busyTimeoutMs);

    // Kept connections, at most, and how long one is kept unused.
    static constexpr int MaxIdle = 4;
    static constexpr int MaxIdleSeconds = 30;
};
