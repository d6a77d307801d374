#pragma once

#include "documents/TargetFile.h"
#include "store/StoreError.h"

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Writes one file from pieces handed over in order, on a helper thread, while the caller
// reads the next piece: a large document is read from the database and written to its file
// at the same time. At most a few pieces are in memory at once.
class PipelinedFileWriter
{
public:
    static constexpr int PieceSize = 1 << 20;

    // Creates or empties `path` (see TargetFile). Throws StoreError when it cannot be opened.
    PipelinedFileWriter(const QString& path, bool ownerOnly);
    // Stops the helper; what was not written yet is dropped.
    ~PipelinedFileWriter();

    PipelinedFileWriter(const PipelinedFileWriter&) = delete;
    PipelinedFileWriter& operator=(const PipelinedFileWriter&) = delete;

    // An empty buffer for the next piece, once one is free. Throws the helper's failure.
    QByteArray takeBuffer();
    // Queues the next piece of the file. Throws the helper's failure.
    void add(QByteArray piece);
    // Waits until every piece is written and closes the file. Throws the first failure.
    void finish();

private:
    void work();
    void throwFailure() const;

    TargetFile m_file; // written by the helper only, until finish()
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QByteArray> m_queue;
    std::vector<QByteArray> m_spare;
    int m_buffers = 0; // handed out or queued or spare
    bool m_writing = false;
    bool m_closing = false;
    std::optional<StoreError> m_failure;
    std::jthread m_thread; // last, so that it stops before the rest goes
};
