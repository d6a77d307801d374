#include "documents/BackgroundFileWriter.h"

#include "documents/TargetFile.h"

#include <QDir>

namespace {

// What may wait for a writer, in memory held (a reused buffer may hold more than its file)
// and in files.
constexpr qint64 QueueBytes = 16 << 20;
constexpr size_t QueueFiles = 64;

} // namespace

BackgroundFileWriter::BackgroundFileWriter(int threads, bool ownerOnly) : m_ownerOnly(ownerOnly)
{
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { work(); });
}

BackgroundFileWriter::~BackgroundFileWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
        m_queue.clear();
    }
    m_changed.notify_all();
    m_threads.clear(); // joins
}

QByteArray BackgroundFileWriter::takeBuffer()
{
    const std::lock_guard lock(m_mutex);
    if (m_spare.empty())
        return {};
    QByteArray buffer = std::move(m_spare.back());
    m_spare.pop_back();
    return buffer;
}

bool BackgroundFileWriter::full() const
{
    return m_queuedBytes >= QueueBytes || m_queue.size() >= QueueFiles;
}

void BackgroundFileWriter::add(const QString& path, QByteArray contents)
{
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_failure || !full(); });
        throwFailure();
        m_queuedBytes += contents.capacity();
        m_queue.push_back({path, std::move(contents)});
    }
    m_changed.notify_all();
}

void BackgroundFileWriter::finish()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_failure || (m_queue.empty() && m_writing == 0); });
    throwFailure();
}

void BackgroundFileWriter::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_closing || !m_queue.empty(); });
        if (m_queue.empty())
            return; // closing
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        ++m_writing;
        lock.unlock();
        std::optional<StoreError> failure;
        try {
            write(job);
        } catch (const StoreError& error) {
            failure = error;
        } catch (const std::exception& error) { // out of memory, say: reported, not fatal to the thread
            failure = StoreError(QString::fromLocal8Bit(error.what()));
        }
        lock.lock();
        --m_writing;
        m_queuedBytes -= job.contents.capacity();
        job.contents.resize(0); // keeps its memory
        m_spare.push_back(std::move(job.contents));
        if (failure && !m_failure) {
            m_failure = failure;
            for (const Job& dropped : m_queue)
                m_queuedBytes -= dropped.contents.capacity();
            m_queue.clear();
        }
        m_changed.notify_all();
    }
}

void BackgroundFileWriter::write(const Job& job) const
{
    TargetFile file(job.path, m_ownerOnly);
    if (file.write(job.contents) != job.contents.size())
        throw StoreError(QStringLiteral("The file %1 cannot be written: %2")
                             .arg(QDir::toNativeSeparators(job.path), file.errorString()));
    file.finish();
}

void BackgroundFileWriter::throwFailure() const
{
    if (m_failure)
        throw *m_failure;
}
