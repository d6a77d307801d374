#pragma once

#include <QString>

// Where a database is: the path of a file, or the connection URI of a database on a
// PostgreSQL server ("postgresql://…" or "postgres://…"). The URI names the server, the
// database and the role; passwords stay out of it and come from the server's client
// configuration (~/.pgpass, PGPASSWORD, a service file, peer or certificate authentication).
class DatabaseLocation
{
public:
    // The database the program works on: the one given on the command line (--database),
    // else the one named by the only line of Database.conf in the application folder, else
    // Dravolin.mdb there. Throws StoreError when Database.conf names no database.
    static QString current();
    // The location given on the command line; empty leaves the choice to Database.conf.
    static void setCommandLine(const QString& location);
    // The value of "--database" in the program's arguments, empty when there is none.
    static QString fromArguments(const QStringList& arguments);
    // What a line of Database.conf names; StoreError when it is not a server URI or a path.
    static QString parseConfiguration(const QByteArray& contents, const QString& fileName);

    static bool isServer(const QString& location);
    // For messages: a file's native path, or "database D on server H" (never a password).
    static QString describe(const QString& location);
};
