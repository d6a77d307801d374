#include "documents/PipelinedFileWriter.h"

#include "store/StoreError.h"

#include <QDir>

namespace {

// Pieces in memory at once: one being read, one being written, and one waiting. With one
// waiting at most, the buffers given back by the helper are all that takeBuffer() ever needs
// after the first three.
constexpr size_t WaitingPieces = 1;

} // namespace

PipelinedFileWriter::PipelinedFileWriter(const QString& path, bool ownerOnly)
    : m_file(path, ownerOnly), m_queue(WaitingPieces)
{
    m_thread = std::jthread(
        [this](const std::stop_token& stop) { m_queue.serve(stop, [this](QByteArray& piece) { write(piece); }); });
}

QByteArray PipelinedFileWriter::takeBuffer()
{
    m_queue.rethrowFailure();
    return m_queue.spareBuffer();
}

void PipelinedFileWriter::add(QByteArray piece)
{
    m_queue.push(std::move(piece));
}

void PipelinedFileWriter::finish()
{
    m_queue.waitUntilDone();
    m_thread = {}; // stops and joins
    m_file.finish();
}

void PipelinedFileWriter::write(QByteArray& piece)
{
    QString reason;
    try {
        if (m_file.write(piece) != piece.size())
            reason = m_file.errorString();
    } catch (const std::exception& error) { // out of memory, say: reported, not fatal
        reason = QString::fromLocal8Bit(error.what());
    }
    if (!reason.isEmpty())
        throw StoreError(
            QStringLiteral("The file %1 cannot be written: %2").arg(QDir::toNativeSeparators(m_file.path()), reason));
    m_queue.recycle(std::move(piece));
}
