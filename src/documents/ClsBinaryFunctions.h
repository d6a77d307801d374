#pragma once

#include "documents/ContentSearch.h"
#include "store/BlobStream.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

class Database;
class Recordset;

// Moves document contents between files and the database, numbers versions, and
// searches stored documents for a phrase.
//
// Contents are streamed in pieces both ways, so a document of hundreds of MiB never
// sits in memory whole; the stored value is the file's bytes exactly.
class ClsBinaryFunctions
{
public:
    struct SearchHit
    {
        qint64 DocumentId = 0;
        QString DocumentName;
        int Version = 0;
    };
    // Called on the searching thread with (documents done, documents in all) while the
    // documents are scanned, and with (total, total) at the end; returning false stops the search.
    using Progress = std::function<bool(int done, int total)>;

    QString Text2Text;   // the phrase to look for
    int Check1Value = 0; // 1 = match case exactly, 0 = ignore case

    // Adds a row for the file at `FileLocation` to `rsUpLoad` (an updatable recordset over
    // Attachments) under `FileName`, for client `UserId`. With `VersionControl` the version
    // is the count of stored rows of that name plus one, else 0; it is counted in the write
    // transaction that adds the row. False when nothing was stored, and so when `UserId` is
    // not a client identifier (see clientIdFrom).
    bool UpLoadBinary(const QString& FileName, const QString& FileLocation, Recordset& rsUpLoad, bool VersionControl,
                      const QString& UserId, const QString& FileDescription);
    // Writes the Attachments value of the current row of `rsDownLoad` into the file `FileName`.
    bool DownLoadDoc(Recordset& rsDownLoad, const QString& FileName);
    // The documents of `SqlString` (a query over Attachments returning AttachmentsId,
    // AttachmentsName and AttachmentVersion) that contain `SearchString`, ignoring case, in
    // the order of the query's rows. A stopped search gives the hits among the documents
    // scanned so far.
    QList<SearchHit> cmdOpendb(const QString& SearchString, const QString& SqlString, const QVariantList& params = {},
                               const Progress& progress = {});
    // Where the search looks at each of the documents `ids` for a phrase (folded as the
    // document text index keeps text): the text of a document that has one, when the index
    // says it may hold the phrase; the bytes of the others.
    static std::vector<ContentSearch::Source> sourcesOf(const Database& db, const std::vector<qint64>& ids,
                                                        const QByteArray& foldedPhrase);
    // Fetches an attachment into Temp under its (sanitised) name; returns the copy's path.
    QString ViewDocument(const QString& AttachmentsId);

    // --- the transfer rules, shared by every window that stores or fetches documents ---

    // Streams the file into long-binary column `column` of the row being added to `rs` and
    // writes the row (rs.update()). Throws StoreError, naming the file, when it cannot be
    // read or is larger than one value may be.
    static void storeFile(Recordset& rs, const QString& column, const QString& filePath);
    // Streams the long-binary column of the current row into `filePath`, replacing it.
    // A copy for viewing is made readable and writable by the owner alone, never executable.
    static void fetchToFile(Recordset& rs, const QString& column, const QString& filePath, bool ownerOnly = true);
    // The same for the attachment `attachmentId`.
    static void fetchToFile(const Database& db, qint64 attachmentId, const QString& filePath, bool ownerOnly);
    // The same for a value already opened; no value (a Null one) gives an empty file.
    static void fetchToFile(const std::optional<BlobStream>& value, const QString& filePath, bool ownerOnly);
    // Throws StoreError naming the file when it is larger than the database takes in one value.
    static void checkStorable(const Database& db, const QString& filePath, qint64 size);

    // The version rules. Both count the rows of that name over all clients.
    static int highestPlusOne(const Database& db, const QString& name);
    static int countPlusOne(const Database& db, const QString& name);

    // The client identifier written as decimal text: a whole number above 0. Nothing for any
    // other text (empty, not a number, out of range).
    static std::optional<qint64> clientIdFrom(const QString& text);

    // The path in `folder` for a stored name: only its last path component is used, so a
    // stored name such as "../../x" never leads outside the folder.
    static QString safeFilePath(const QString& folder, const QString& storedName);
    // The extension of a file name in lower case, without the dot ("" when none).
    static QString extensionOf(const QString& fileName);
};
