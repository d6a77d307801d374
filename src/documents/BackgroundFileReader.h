#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

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
    ~BackgroundFileReader();

    BackgroundFileReader(const BackgroundFileReader&) = delete;
    BackgroundFileReader& operator=(const BackgroundFileReader&) = delete;

    // The next file of the list, once the helper has read it. Only as many calls as paths.
    File next();
    // Gives back the contents of a file the caller is done with, so that its memory is used
    // again rather than taken anew from the system, where fresh pages are slow to touch.
    void recycle(QByteArray buffer);

private:
    void work();
    File read(const QString& path, QByteArray buffer) const;
    bool full() const;

    const QStringList m_paths;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<File> m_ready;
    std::vector<QByteArray> m_spare;
    qint64 m_readyBytes = 0;
    bool m_closing = false;
    std::jthread m_thread; // last, so that it stops before the rest goes
};
