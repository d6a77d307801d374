#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class Database;

// The entry a stored document gets in the document text index (see DocumentTextIndex): its
// text, folded to lower case as the content search compares it, or none.
class DocumentText
{
public:
    // The folded text, in UTF-8, of a document of `bytes` stored under `name`; nothing when it
    // has no text (see TextExtractor).
    static std::optional<QByteArray> folded(const QByteArray& bytes, const QString& name);

    // Stores the entry of the stored document `id` from bytes the caller holds; in the caller's
    // transaction, the one that stores the document.
    static void store(const Database& db, qint64 id, const QByteArray& bytes, const QString& name);
    // The same, reading the document from the database.
    static void storeFromDatabase(const Database& db, qint64 id);

    // A stored document read for indexing: nothing when it is no longer there.
    struct Stored
    {
        QString name;
        QByteArray bytes;
        bool tooLarge = false; // larger than the extractor reads; bytes are left empty
    };
    static std::optional<Stored> read(const Database& db, qint64 id);
    // The entry of a document read so.
    static std::optional<QByteArray> folded(const Stored& stored);
};
