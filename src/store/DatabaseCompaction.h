#pragma once

#include "store/WorkProgress.h"

#include <QString>

// Rebuilds a database file so that every table and every long value lies in one run of pages
// again and the free pages are given back: replaced documents leave their pages scattered, and
// a document read cold from scattered pages reads many times slower.
//
// The engine writes a compact copy beside the file (VACUUM INTO), which is checked (row counts)
// and synced, then takes the file's name in one step. Needs free space for the copy; refused
// (a busy StoreError) while another copy of the program has the database open or a connection
// holds it locked. The program itself must have closed its own connections first.
class DatabaseCompaction
{
public:
    struct Result
    {
        qint64 bytesBefore = 0;
        qint64 bytesAfter = 0;
    };

    explicit DatabaseCompaction(const QString& database);

    // Told in bytes written of the expected size; may cancel.
    void setProgress(WorkProgress progress) { m_progress = std::move(progress); }

    // Throws StoreError: cancelled, busy, not enough space, or with the engine's message.
    Result run() const;

private:
    QString m_database;
    WorkProgress m_progress;
};
