#include "documents/PipelinedFileWriter.h"

#include <QDir>

namespace {

// Pieces in memory at once: one being read, one being written, and one waiting.
constexpr int Buffers = 3;

} // namespace

PipelinedFileWriter::PipelinedFileWriter(const QString& path, bool ownerOnly) : m_file(path, ownerOnly)
{
    m_thread = std::jthread([this] { work(); });
}

PipelinedFileWriter::~PipelinedFileWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
        m_queue.clear();
    }
    m_changed.notify_all();
    m_thread = {}; // joins
}

QByteArray PipelinedFileWriter::takeBuffer()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_failure || !m_spare.empty() || m_buffers < Buffers; });
    throwFailure();
    if (m_spare.empty()) {
        ++m_buffers;
        return {};
    }
    QByteArray buffer = std::move(m_spare.back());
    m_spare.pop_back();
    return buffer;
}

void PipelinedFileWriter::add(QByteArray piece)
{
    {
        const std::lock_guard lock(m_mutex);
        throwFailure();
        m_queue.push_back(std::move(piece));
    }
    m_changed.notify_all();
}

void PipelinedFileWriter::finish()
{
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_failure || (m_queue.empty() && !m_writing); });
        throwFailure();
        m_closing = true;
    }
    m_changed.notify_all();
    m_thread = {}; // joins
    m_file.finish();
}

void PipelinedFileWriter::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_closing || !m_queue.empty(); });
        if (m_queue.empty())
            return; // closing
        QByteArray piece = std::move(m_queue.front());
        m_queue.pop_front();
        m_writing = true;
        lock.unlock();
        QString reason;
        try {
            if (m_file.write(piece) != piece.size())
                reason = m_file.errorString();
        } catch (const std::exception& error) { // out of memory, say: reported, not fatal
            reason = QString::fromLocal8Bit(error.what());
        }
        lock.lock();
        m_writing = false;
        if (!reason.isEmpty() && !m_failure) {
            m_failure = StoreError(QStringLiteral("The file %1 cannot be written: %2")
                                       .arg(QDir::toNativeSeparators(m_file.path()), reason));
            m_queue.clear();
        }
        piece.resize(0); // keeps its memory
        m_spare.push_back(std::move(piece));
        m_changed.notify_all();
    }
}

void PipelinedFileWriter::throwFailure() const
{
    if (m_failure)
        throw *m_failure;
}
