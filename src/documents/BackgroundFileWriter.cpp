#include "documents/BackgroundFileWriter.h"

#include "documents/TargetFile.h"
#include "store/StoreError.h"

#include <QDir>

namespace {

// What may wait for a writer, in memory held (a reused buffer may hold more than its file)
// and in files.
constexpr qint64 QueueBytes = 16 << 20;
constexpr size_t QueueFiles = 64;

} // namespace

BackgroundFileWriter::BackgroundFileWriter(int threads, bool ownerOnly)
    : m_ownerOnly(ownerOnly), m_queue(QueueFiles, QueueBytes)
{
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back(
            [this](const std::stop_token& stop) { m_queue.serve(stop, [this](Job& job) { write(job); }); });
}

BackgroundFileWriter::~BackgroundFileWriter()
{
    // All stop before the first is joined, so that none goes on with the jobs still queued.
    for (std::jthread& thread : m_threads)
        thread.request_stop();
}

QByteArray BackgroundFileWriter::takeBuffer()
{
    return m_queue.spareBuffer();
}

void BackgroundFileWriter::add(const QString& path, QByteArray contents)
{
    const qint64 bytes = contents.capacity();
    m_queue.push({path, std::move(contents)}, bytes);
}

void BackgroundFileWriter::finish()
{
    m_queue.waitUntilDone();
}

void BackgroundFileWriter::write(Job& job)
{
    try {
        TargetFile file(job.path, m_ownerOnly);
        if (file.write(job.contents) != job.contents.size())
            throw StoreError(QStringLiteral("The file %1 cannot be written: %2")
                                 .arg(QDir::toNativeSeparators(job.path), file.errorString()));
        file.finish();
    } catch (const StoreError&) {
        throw;
    } catch (const std::exception& error) { // out of memory, say: reported, not fatal to the thread
        throw StoreError(QString::fromLocal8Bit(error.what()));
    }
    m_queue.recycle(std::move(job.contents));
}
