#include "store/BlobStream.h"

#include "store/Database.h"
#include "store/EngineBlob.h"
#include "store/EngineConnection.h"
#include "store/StoreError.h"

#include <QIODevice>
#include <algorithm>
#include <memory>

BlobStream::BlobStream(const Database& db, const QString& table, const QString& column, qint64 rowId, bool writable)
    : m_blob(db.engine().openBlob(table, column, rowId, writable))
{
}

BlobStream::BlobStream(BlobStream&&) noexcept = default;
BlobStream::~BlobStream() = default;

std::optional<BlobStream> BlobStream::openForReading(const Database& db, const QString& table, const QString& column,
                                                     qint64 rowId)
{
    try {
        return std::optional<BlobStream>(std::in_place, db, table, column, rowId, false);
    } catch (const StoreError&) {
        // Told apart only after a failure, which is rare.
        if (db.engine().blobAbsent(table, column, rowId))
            return std::nullopt;
        throw;
    }
}

qint64 BlobStream::size() const
{
    return m_blob->size();
}

void BlobStream::read(char* buffer, int length, qint64 offset) const
{
    m_blob->read(buffer, length, offset);
}

void BlobStream::write(const char* buffer, int length, qint64 offset)
{
    m_blob->write(buffer, length, offset);
}

void BlobStream::copyTo(QIODevice& out) const
{
    const qint64 total = size();
    // Sized to the value and left uninitialised: most documents are far smaller than a
    // piece, and zero-filling a fresh megabyte per document costs more than copying it.
    const auto piece = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(std::min<qint64>(PieceSize, total)));
    for (qint64 done = 0; done < total;) {
        const int length = static_cast<int>(std::min<qint64>(PieceSize, total - done));
        read(piece.get(), length, done);
        if (out.write(piece.get(), length) != length)
            throw StoreError(QStringLiteral("Cannot write the file: %1").arg(out.errorString()));
        done += length;
    }
}

void BlobStream::copyFrom(QIODevice& in)
{
    const qint64 total = size();
    const auto piece = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(std::min<qint64>(PieceSize, total)));
    for (qint64 done = 0; done < total;) {
        const qint64 wanted = std::min<qint64>(PieceSize, total - done);
        const qint64 got = in.read(piece.get(), wanted);
        if (got <= 0)
            throw StoreError(QStringLiteral("Cannot read the file: %1")
                                 .arg(got < 0 ? in.errorString() : QStringLiteral("it is shorter than expected")));
        write(piece.get(), static_cast<int>(got), done);
        done += got;
    }
}
