#pragma once

#include "documents/WorkQueue.h"

#include <QByteArray>
#include <QString>
#include <thread>
#include <vector>

// Writes whole files from memory on helper threads while the caller goes on reading the next
// ones from the database, so that a batch of copies keeps the engine and the file system
// busy at the same time. Files are written in no set order. The first failure drops what is
// still queued and is thrown by the caller's next add() or finish().
class BackgroundFileWriter
{
public:
    // Values up to this size are handed over whole; larger ones are better streamed.
    static constexpr qint64 ValueLimit = 1 << 20;

    // `ownerOnly` files are created readable and writable by their owner alone.
    BackgroundFileWriter(int threads, bool ownerOnly);
    // Drops what is still queued and waits for the files being written.
    ~BackgroundFileWriter();

    BackgroundFileWriter(const BackgroundFileWriter&) = delete;
    BackgroundFileWriter& operator=(const BackgroundFileWriter&) = delete;

    // An empty buffer for the next add(): one a writer is done with, when there is one. Its
    // memory is used again rather than taken anew from the system, where fresh pages are
    // slow to touch.
    QByteArray takeBuffer();
    // Queues `contents` to become the file `path`, replacing it. Waits while the queue is full.
    void add(const QString& path, QByteArray contents);
    // Waits until every queued file is written.
    void finish();

private:
    struct Job
    {
        QString path;
        QByteArray contents;
    };

    void write(Job& job);

    const bool m_ownerOnly;
    WorkQueue<Job> m_queue;
    std::vector<std::jthread> m_threads; // last, so that they stop before the rest goes
};
