#include "documents/DocumentText.h"

#include "documents/ClsBinaryFunctions.h"
#include "documents/ContentMatcher.h"
#include "documents/TextExtractor.h"
#include "store/BlobStream.h"
#include "store/Database.h"
#include "store/DocumentTextIndex.h"
#include "store/Statement.h"

std::optional<QByteArray> DocumentText::folded(const QByteArray& bytes, const QString& name)
{
    const std::optional<QString> text = TextExtractor::extract(bytes, ClsBinaryFunctions::extensionOf(name));
    if (!text || text->trimmed().isEmpty())
        return std::nullopt;
    QByteArray utf8 = text->toUtf8();
    // A server keeps no NUL characters in text, and no phrase typed holds one.
    utf8.replace('\0', ' ');
    QByteArray result;
    result.reserve(utf8.size());
    unsigned char pending = 0;
    ContentMatcher::fold(utf8.constData(), utf8.size(), result, pending);
    if (pending)
        result.append(static_cast<char>(pending));
    return result;
}

std::optional<QByteArray> DocumentText::folded(const Stored& stored)
{
    if (stored.tooLarge)
        return std::nullopt;
    return folded(stored.bytes, stored.name);
}

void DocumentText::store(const Database& db, qint64 id, const QByteArray& bytes, const QString& name)
{
    DocumentTextIndex::put(db, id, folded(bytes, name));
}

void DocumentText::storeFromDatabase(const Database& db, qint64 id)
{
    const std::optional<Stored> stored = read(db, id);
    if (stored)
        DocumentTextIndex::put(db, id, folded(*stored));
}

std::optional<DocumentText::Stored> DocumentText::read(const Database& db, qint64 id)
{
    Statement find = db.prepare(QStringLiteral("SELECT AttachmentsName FROM Attachments WHERE AttachmentsId = ?"));
    find.bind(1, id);
    if (!find.step())
        return std::nullopt;
    Stored stored;
    stored.name = find.value(0).toString();
    find.reset();
    const std::optional<BlobStream> blob =
        BlobStream::openForReading(db, QStringLiteral("Attachments"), QStringLiteral("Attachments"), id);
    if (!blob)
        return stored;
    if (blob->size() > TextExtractor::InputLimit) {
        stored.tooLarge = true;
        return stored;
    }
    stored.bytes.resize(blob->size());
    for (qint64 done = 0; done < blob->size();) {
        const int piece = static_cast<int>(std::min<qint64>(BlobStream::PieceSize, blob->size() - done));
        blob->read(stored.bytes.data() + done, piece, done);
        done += piece;
    }
    return stored;
}
