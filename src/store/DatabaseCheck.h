#pragma once

#include "store/WorkProgress.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

class SqliteFile;

// The health and the content of a database file, read without writing to it.
class DatabaseCheck
{
public:
    enum class Depth
    {
        Quick, // the structure of every page and row (the engine's quick_check)
        Full   // also every index against its table (integrity_check)
    };

    // The problems the engine reports, one per line, in its words; empty when none. The
    // progress is told with total 0 (the engine cannot say how much is left); it may cancel.
    static QStringList problems(const QString& path, Depth depth, const WorkProgress& progress = {});

    // What a database file holds, for the confirmation before a restore.
    struct Contents
    {
        int schemaVersion = 0;
        qint64 clients = 0;
        qint64 documents = 0; // client documents and resource documents
        qint64 bytes = 0;
        QDateTime taken; // from a backup's default name, else the file's last change
    };

    // Throws StoreError with a message for the user when the file is not a database of this
    // program, is damaged, or was made by a newer build.
    static Contents inspect(const QString& path);

    // The row count of every table of a database file, for comparing a copy with its source;
    // the engine's virtual tables are left out (their rows live in tables counted).
    static QList<QPair<QString, qint64>> rowCounts(const QString& path);
    // The same on an open file, inside the caller's transaction if it has one.
    static QList<QPair<QString, qint64>> rowCounts(SqliteFile& file);
};
