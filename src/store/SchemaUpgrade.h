#pragma once

#include <QString>
#include <functional>
#include <vector>

class Database;

// Brings a database made by an earlier build of the program up to this build's schema.
//
// The database records its schema version (0 in files made before versions were kept).
// Every change to the schema after the first release is a new step here, numbered one past
// the last; a new database is created at the newest version. Steps run on both engines: they
// change the schema through SchemaCatalog, or in SQL that quotes the names of indexes (a
// server matches an unquoted index name only in lower case).
class SchemaUpgrade
{
public:
    struct Step
    {
        int version; // the version the file has once the step has run
        std::function<void(const Database&)> apply;
    };

    // The steps of this build, in order; the last one's version is the current version.
    static const std::vector<Step>& steps();
    static int currentVersion();

    static int version(const Database& db);
    // Records `version` in the file; part of the caller's transaction.
    static void setVersion(const Database& db, int version);

    // Runs every step above the file's version inside one write transaction, so that a
    // start interrupted halfway leaves the file as it was. A file newer than `steps` know
    // is refused with StoreError and left untouched. Returns the version the file had.
    static int upgrade(const Database& db, const std::vector<Step>& steps = SchemaUpgrade::steps());
};
