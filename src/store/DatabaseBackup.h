#pragma once

#include "store/WorkProgress.h"

#include <QDateTime>
#include <QString>

// A consistent copy of a whole database in a file of its own, taken while other copies of the
// program go on working.
//
// From a database file the engine's online backup copies its pages a few megabytes at a time,
// letting other connections write in between (and starting again when they did). From a server
// the program's own copy (DatabaseCopy) writes a database file. Either way the copy is built
// under a temporary name beside the target, readable by its owner only, synced to the disk and
// checked (the engine's integrity check, and the row count of every table compared with the
// database at the moment the copy was taken) before it takes the target's name. A copy that is
// cancelled or fails, a full disk included, leaves nothing under the target's name.
class DatabaseBackup
{
public:
    struct Result
    {
        QString file;
        qint64 bytes = 0;
        qint64 clients = 0;
        qint64 documents = 0; // client documents and resource documents
    };

    DatabaseBackup(const QString& from, const QString& to);

    // Told in pages (file) or rows and bytes (server); may cancel.
    void setProgress(WorkProgress progress) { m_progress = std::move(progress); }
    // Pages copied per step of the online backup (tests make it small to let writers in).
    void setPagesPerStep(int pages) { m_pagesPerStep = pages; }

    // Throws StoreError: cancelled, or with a message for the user. An existing file under
    // the target's name is replaced only by a verified copy.
    Result run() const;

    // "Dravolin-YYYY-MM-DD-HHMM.mdb": the name a backup made at `when` is given by default.
    static QString fileNameFor(const QDateTime& when);

private:
    Result fromFile(const QString& building) const;
    Result fromServer(const QString& building) const;

    QString m_from;
    QString m_to;
    WorkProgress m_progress;
    int m_pagesPerStep = 256;
};
