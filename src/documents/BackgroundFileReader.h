#pragma once

#include "documents/WorkQueue.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <thread>

// Reads the files of a list, in order, on a helper thread a little ahead of the caller, so
// that storing one file in the database and reading the next from the disk go on at once.
class BackgroundFileReader
{
public:
    // Files up to this size are read whole; larger ones are left to the caller to stream.
    static constexpr qint64 ValueLimit = 1 << 20;

    struct File
    {
        qint64 size = 0;
        // The whole file when it is small; nothing when it is larger or could not be read.
        std::optional<QByteArray> contents;
        QString error; // why it could not be read; empty when it could
    };

    explicit BackgroundFileReader(const QStringList& paths);
    // Stops the helper; what it read ahead is dropped.
    ~BackgroundFileReader() = default;

    BackgroundFileReader(const BackgroundFileReader&) = delete;
    BackgroundFileReader& operator=(const BackgroundFileReader&) = delete;

    // The next file of the list, once the helper has read it. Only as many calls as paths.
    File next();
    // Gives back the contents of a file the caller is done with, so that its memory is used
    // again rather than taken anew from the system, where fresh pages are slow to touch.
    void recycle(QByteArray buffer);

private:
    void work(const std::stop_token& stop);
    File read(const QString& path, QByteArray buffer) const;

    const QStringList m_paths;
    WorkQueue<File> m_ready;
    std::jthread m_thread; // last, so that it stops before the rest goes
};
