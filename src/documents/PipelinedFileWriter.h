#pragma once

#include "documents/TargetFile.h"
#include "documents/WorkQueue.h"

#include <QByteArray>
#include <QString>
#include <thread>

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
    ~PipelinedFileWriter() = default;

    PipelinedFileWriter(const PipelinedFileWriter&) = delete;
    PipelinedFileWriter& operator=(const PipelinedFileWriter&) = delete;

    // An empty buffer for the next piece. Throws the helper's failure.
    QByteArray takeBuffer();
    // Queues the next piece of the file, once the one before is being written. Throws the
    // helper's failure.
    void add(QByteArray piece);
    // Waits until every piece is written and closes the file. Throws the first failure.
    void finish();

private:
    void write(QByteArray& piece);

    TargetFile m_file; // written by the helper only, until finish()
    WorkQueue<QByteArray> m_queue;
    std::jthread m_thread; // last, so that it stops before the rest goes
};
