#pragma once

#include <QString>

class Database;

// The installed content of the database file: every fixed table and its first rows.
class DatabaseSchema
{
public:
    // Fixed tables, in creation order.
    static const QStringList& fixedTables();

    // Creates the tables and installed rows in an empty database.
    static void install(const Database& db);
    // The same within the caller's write transaction, after the engine prepared the database
    // (EngineConnection::prepareEmptyDatabase()).
    static void createContent(const Database& db);

    // `path` may also name a database on a server (see DatabaseLocation): an empty one gets
    // the installed content, one made by an earlier build is upgraded, any other is refused.
    // Creates the file with its installed content when it is missing, and brings a file made
    // by an earlier build up to this build's schema. Throws StoreError with a clear message
    // when the file exists but is not a database of this program, or was made by a newer
    // build; such a file is never written. A file another program holds locked throws a busy
    // StoreError that names the file instead.
    static void ensure(const QString& path);

    // Creates the tables and installed rows in an empty database on a server, or checks and
    // upgrades one made before.
    static void ensureOnServer(const QString& location);

    // Throws StoreError when `db` lacks one of the fixed tables.
    static void verify(const Database& db);

    static constexpr const char* BuiltInUserName = "Admin";
    static constexpr const char* BuiltInPassword = "Vemla";
};
