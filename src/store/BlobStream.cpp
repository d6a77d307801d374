#include "store/BlobStream.h"

#include "store/Database.h"
#include "store/Identifier.h"
#include "store/StoreError.h"

#include <QIODevice>
#include <algorithm>
#include <memory>
#include <sqlite3.h>

BlobStream::BlobStream(const Database& db, const QString& table, const QString& column, qint64 rowId, bool writable)
    : m_db(db)
{
    const int rc = sqlite3_blob_open(db.handle(), "main", table.toUtf8().constData(), column.toUtf8().constData(),
                                     rowId, writable ? 1 : 0, &m_blob);
    if (rc != SQLITE_OK) {
        const QString message = db.lastErrorMessage();
        sqlite3_blob_close(m_blob);
        m_blob = nullptr;
        throw StoreError(message, StoreError::kindOf(rc));
    }
}

std::optional<BlobStream> BlobStream::openForReading(const Database& db, const QString& table, const QString& column,
                                                     qint64 rowId)
{
    try {
        return std::optional<BlobStream>(std::in_place, db, table, column, rowId, false);
    } catch (const StoreError&) {
        // Told apart only after a failure, which is rare: typeof() reads the row, not the value.
        const QVariant kind = db.scalar(QStringLiteral("SELECT typeof(%1) FROM %2 WHERE rowid = ?")
                                            .arg(quoteIdentifier(column), quoteIdentifier(table)),
                                        {rowId});
        if (kind.isNull() || kind.toString() == QLatin1String("null"))
            return std::nullopt;
        throw;
    }
}

BlobStream::~BlobStream()
{
    sqlite3_blob_close(m_blob);
}

qint64 BlobStream::size() const
{
    return sqlite3_blob_bytes(m_blob);
}

void BlobStream::read(char* buffer, int length, qint64 offset) const
{
    if (sqlite3_blob_read(m_blob, buffer, length, static_cast<int>(offset)) != SQLITE_OK)
        throw StoreError(m_db.lastErrorMessage());
}

void BlobStream::write(const char* buffer, int length, qint64 offset)
{
    if (sqlite3_blob_write(m_blob, buffer, length, static_cast<int>(offset)) != SQLITE_OK)
        throw StoreError(m_db.lastErrorMessage());
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
