#pragma once

#include <QString>

// Where a database is: the path of a file, or the connection URI of a database on a
// PostgreSQL server ("postgresql://…" or "postgres://…"). The URI names the server, the
// database and the role; passwords stay out of it and come from the server's client
// configuration (~/.pgpass, PGPASSWORD, a service file, peer or certificate authentication).
class DatabaseLocation
{
public:
    static bool isServer(const QString& location);
    // For messages: a file's native path, or "database D on server H" (never a password).
    static QString describe(const QString& location);
};
