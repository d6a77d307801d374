#pragma once

#include <QString>
#include <memory>
#include <optional>

class Database;
class EngineBlob;
class QIODevice;

// A long-binary value of one row, read or written in pieces. The row is named by its
// table's integer key.
class BlobStream
{
public:
    BlobStream(const Database& db, const QString& table, const QString& column, qint64 rowId, bool writable);
    ~BlobStream();

    // The value opened for reading, or nothing when the row is gone or its value is Null
    // (which holds no bytes); other failures throw StoreError.
    static std::optional<BlobStream> openForReading(const Database& db, const QString& table, const QString& column,
                                                    qint64 rowId);

    BlobStream(const BlobStream&) = delete;
    BlobStream& operator=(const BlobStream&) = delete;
    BlobStream(BlobStream&&) noexcept;
    BlobStream& operator=(BlobStream&&) = delete;

    qint64 size() const;
    void read(char* buffer, int length, qint64 offset) const;
    void write(const char* buffer, int length, qint64 offset);

    // Copies the whole value to `out` / fills the whole value from `in`, in pieces.
    void copyTo(QIODevice& out) const;
    void copyFrom(QIODevice& in);

    static constexpr int PieceSize = 1 << 20;

private:
    std::unique_ptr<EngineBlob> m_blob;
};
