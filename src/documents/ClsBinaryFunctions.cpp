#include "documents/ClsBinaryFunctions.h"

#include "documents/ContentMatcher.h"
#include "documents/ContentSearch.h"
#include "documents/DocumentReader.h"
#include "documents/DocumentText.h"
#include "documents/PipelinedFileWriter.h"
#include "documents/TargetFile.h"
#include "store/ApplicationFolder.h"
#include "store/BlobStream.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/DocumentTextIndex.h"
#include "store/Recordset.h"
#include "store/Savepoint.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <vector>

namespace {

// Room for the row's other columns and its header within the engine's limit for one value.
constexpr qint64 RowOverhead = 64 * 1024;
// From this size on, a value is read and written to its file at the same time.
constexpr qint64 PipelineFrom = 8 << 20;

// Runs `copy` into `file`. When the file could not be written the error names it; a failure
// of the database keeps the engine's message.
template <typename Copy>
void copyInto(TargetFile& file, const Copy& copy)
{
    try {
        copy();
    } catch (const StoreError&) {
        if (file.writeFailed())
            file.rethrowWriteFailure();
        throw;
    }
    file.finish();
}

} // namespace

bool ClsBinaryFunctions::UpLoadBinary(const QString& FileName, const QString& FileLocation, Recordset& rsUpLoad,
                                      bool VersionControl, const QString& UserId, const QString& FileDescription)
{
    // A document belongs to a client; text that names none would file it under no one.
    const std::optional<qint64> client = clientIdFrom(UserId);
    if (!client)
        return false;
    try {
        const Database& db = rsUpLoad.database();
        // The version is looked up in the transaction that adds the row, so that an upload of
        // the same name by another copy of the program waits and then counts this row. In the
        // caller's transaction a failed upload is undone alone, and the caller's work goes on.
        std::optional<Transaction> transaction;
        std::optional<Savepoint> savepoint;
        if (db.inTransaction())
            savepoint.emplace(db);
        else
            transaction.emplace(db);
        const int version = VersionControl ? countPlusOne(db, FileName) : 0;
        rsUpLoad.addNew();
        rsUpLoad.setField(QStringLiteral("PersonalInformationId"), *client);
        rsUpLoad.setField(QStringLiteral("AttachmentsName"), FileName);
        rsUpLoad.setField(QStringLiteral("AttachmentVersion"), version);
        rsUpLoad.setField(QStringLiteral("AttachmentDescription"), FileDescription);
        rsUpLoad.setField(QStringLiteral("AttachmentExtension"), extensionOf(FileName));
        storeFile(rsUpLoad, QStringLiteral("Attachments"), FileLocation);
        DocumentText::storeFromDatabase(db, rsUpLoad.newKey());
        if (transaction)
            transaction->commit();
        else
            savepoint->release();
        return true;
    } catch (const StoreError&) {
        rsUpLoad.cancelUpdate();
        return false;
    }
}

bool ClsBinaryFunctions::DownLoadDoc(Recordset& rsDownLoad, const QString& FileName)
{
    try {
        fetchToFile(rsDownLoad, QStringLiteral("Attachments"), FileName);
        return true;
    } catch (const StoreError&) {
        return false;
    }
}

QList<ClsBinaryFunctions::SearchHit> ClsBinaryFunctions::cmdOpendb(const QString& SearchString,
                                                                   const QString& SqlString, const QVariantList& params,
                                                                   const Progress& progress)
{
    Text2Text = SearchString;
    Check1Value = 0;
    const ContentMatcher matcher(Text2Text, Check1Value == 1);

    QList<SearchHit> rows;
    std::vector<qint64> ids;
    std::vector<ContentSearch::Source> sources;
    QString path;
    {
        CLsDataBaseConnection connection;
        const Database& db = connection.database();
        // Only the three columns are asked for, so that the engine may read them from an
        // index and need not visit every document's row.
        Statement statement =
            db.prepare(QStringLiteral("SELECT AttachmentsId, AttachmentsName, AttachmentVersion FROM (%1) AS hits")
                           .arg(SqlString));
        statement.bindAll(params);
        while (statement.step()) {
            const qint64 id = statement.value(0).toLongLong();
            ids.push_back(id);
            rows.append({id, statement.value(1).toString(), statement.value(2).toInt()});
        }
        sources = sourcesOf(db, ids, matcher.phrase());
        path = db.path();
    }
    // The documents are read straight from the database in pieces, on several threads; no
    // scratch copy is made.
    ContentSearch search(path, matcher, ContentMatcher(Text2Text, Check1Value == 1));
    const std::vector<bool> found = search.run(ids, progress, sources);
    QList<SearchHit> hits;
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (found[static_cast<size_t>(i)])
            hits.append(rows.at(i));
    return hits;
}

std::vector<ContentSearch::Source> ClsBinaryFunctions::sourcesOf(const Database& db, const std::vector<qint64>& ids,
                                                                 const QByteArray& foldedPhrase)
{
    using Source = ContentSearch::Source;
    std::vector<Source> sources(ids.size(), Source::Bytes);
    std::vector<qint64> withText;
    std::optional<std::vector<qint64>> candidates;
    try {
        withText = DocumentTextIndex::withText(db);
        try {
            candidates = DocumentTextIndex::candidates(db, foldedPhrase);
        } catch (const StoreError& error) {
            // A damaged index is never trusted: every text is read instead, and the next
            // start makes the index anew.
            if (error.isBusy())
                throw;
            candidates.reset();
        }
    } catch (const StoreError& error) {
        if (error.isBusy())
            throw;
        return sources; // no text kept: every document is read as it is stored
    }
    const auto holds = [](const std::vector<qint64>& sorted, qint64 id) {
        return std::binary_search(sorted.begin(), sorted.end(), id);
    };
    for (size_t i = 0; i < ids.size(); ++i) {
        if (!holds(withText, ids[i]))
            continue; // no text, or not indexed yet: its bytes are read
        sources[i] = !candidates || holds(*candidates, ids[i]) ? Source::Text : Source::Nothing;
    }
    return sources;
}

QString ClsBinaryFunctions::ViewDocument(const QString& AttachmentsId)
{
    // Read as the record window's View reads: in one read transaction, a large value
    // written to its file while the rest is read.
    const qint64 id = AttachmentsId.toLongLong();
    QString path;
    DocumentReader().read([&](const Database& db) {
        Statement find = db.prepare(QStringLiteral("SELECT AttachmentsName FROM Attachments WHERE AttachmentsId = ?"));
        find.bind(1, id);
        if (!find.step())
            throw StoreError(QStringLiteral("The document %1 is no longer in the database").arg(AttachmentsId));
        path = safeFilePath(ApplicationFolder::tempPath(), find.value(0).toString());
        find.reset();
        fetchToFile(db, id, path, true);
    });
    return path;
}

void ClsBinaryFunctions::checkStorable(const Database& db, const QString& filePath, qint64 size)
{
    const qint64 limit = db.maxValueLength() - RowOverhead;
    if (size > limit)
        throw StoreError(QStringLiteral("The file %1 is too large to be stored: it holds %2 bytes, and a document "
                                        "may hold at most %3 bytes.")
                             .arg(QDir::toNativeSeparators(filePath))
                             .arg(size)
                             .arg(limit));
}

void ClsBinaryFunctions::storeFile(Recordset& rs, const QString& column, const QString& filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("The file %1 cannot be read: %2")
                             .arg(QDir::toNativeSeparators(filePath), file.errorString()));
    const qint64 size = file.size();
    checkStorable(rs.database(), filePath, size);
    rs.setLongBinary(column, file, size);
    rs.update();
}

void ClsBinaryFunctions::fetchToFile(Recordset& rs, const QString& column, const QString& filePath, bool ownerOnly)
{
    TargetFile file(filePath, ownerOnly);
    copyInto(file, [&] { rs.readLongBinary(column, file); });
}

void ClsBinaryFunctions::fetchToFile(const Database& db, qint64 attachmentId, const QString& filePath, bool ownerOnly)
{
    fetchToFile(
        BlobStream::openForReading(db, QStringLiteral("Attachments"), QStringLiteral("Attachments"), attachmentId),
        filePath, ownerOnly);
}

void ClsBinaryFunctions::fetchToFile(const std::optional<BlobStream>& value, const QString& filePath, bool ownerOnly)
{
    // A large value is read from the database while its pieces before are written out.
    if (value && value->size() >= PipelineFrom) {
        PipelinedFileWriter out(filePath, ownerOnly);
        const qint64 total = value->size();
        for (qint64 done = 0; done < total;) {
            QByteArray piece = out.takeBuffer();
            piece.resize(std::min<qint64>(PipelinedFileWriter::PieceSize, total - done));
            value->read(piece.data(), static_cast<int>(piece.size()), done);
            done += piece.size();
            out.add(std::move(piece));
        }
        out.finish();
        return;
    }
    TargetFile file(filePath, ownerOnly);
    copyInto(file, [&] {
        if (value)
            value->copyTo(file);
    });
}

int ClsBinaryFunctions::highestPlusOne(const Database& db, const QString& name)
{
    const QVariant highest =
        db.scalar(QStringLiteral("select max(AttachmentVersion) from Attachments where AttachmentsName = ?"), {name});
    return highest.isNull() ? 1 : highest.toInt() + 1;
}

int ClsBinaryFunctions::countPlusOne(const Database& db, const QString& name)
{
    return db.scalar(QStringLiteral("select count(*) from Attachments where AttachmentsName = ?"), {name}).toInt() + 1;
}

std::optional<qint64> ClsBinaryFunctions::clientIdFrom(const QString& text)
{
    bool ok = false;
    const qint64 id = text.toLongLong(&ok);
    if (!ok || id <= 0)
        return std::nullopt;
    return id;
}

QString ClsBinaryFunctions::safeFilePath(const QString& folder, const QString& storedName)
{
    QString name = storedName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.section(QLatin1Char('/'), -1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("document");
    return QDir(folder).filePath(name);
}

QString ClsBinaryFunctions::extensionOf(const QString& fileName)
{
    const QString name = fileName.section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot <= 0 ? QString() : name.mid(dot + 1).toLower();
}
