#pragma once

#include "documents/DocumentReader.h"
#include "store/ClientId.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// One client's documents as the record window lists and handles them: every stored version
// or the latest of each name, uploads by the button (highest-plus-one version) or by a drop
// of several files (count-plus-one versions, one transaction), copies for viewing and saving,
// and deletion of one version.
//
// Copies are read through one connection that the object keeps for its life (see
// DocumentReader), each call in a read transaction of its own; every other operation opens
// its own connection and closes it again. Database and file failures throw StoreError.
class ClientDocuments
{
public:
    struct Attachment
    {
        qint64 id = 0; // AttachmentsId; 0 for a row without a name, which carries no identifier
        QString name;  // AttachmentsName; empty when Null
        QString date;  // AttachmentsDate as stored; empty when Null
        std::optional<int> version;
    };

    // How a drop ended: the files stored, from the first, and why the next one was not.
    struct DropResult
    {
        int stored = 0;
        QString error;         // empty when every file was stored
        bool tooLarge = false; // the file that stopped the drop is larger than a document may be
    };

    explicit ClientDocuments(ClientId clientId);

    ClientId clientId() const { return m_clientId; }

    // Every version, names ascending and the newest version first within a name; or, with
    // `currentVersionOnly`, one row per name, names descending, with the largest date, version
    // and identifier of that name's rows, each taken on its own.
    std::vector<Attachment> list(bool currentVersionOnly) const;
    // The statement behind list(); the client is its one parameter.
    static QString listStatement(bool currentVersionOnly);

    // Stores the file under its name without folder, with the highest stored version of that
    // name (over all clients) plus one. Returns the new row's identifier. Nothing is stored
    // when the file cannot be read or is too large; the StoreError names the file.
    qint64 upload(const QString& filePath) const;

    // Stores the files in the order given, each with the number of stored rows of its name
    // plus one, all in one transaction. When one fails, the files before it stay stored and
    // neither it nor those after it are.
    DropResult storeDropped(const QStringList& filePaths) const;

    // Writes the version `version` of the client's document `name` into Temp under the
    // name's last component, readable and writable by the owner alone; returns the path.
    // Whatever stands at that name (an earlier copy, a symbolic link) is replaced, never
    // written through, and only once the copy is complete.
    QString fetchForViewing(const QString& name, int version) const;
    // Writes it into `targetPath`, replacing that file once the copy is complete: when the copy
    // fails, the file there is left as it was and the StoreError names it and the reason. A new
    // file gets the mode the user's new files get; a file replaced keeps its mode.
    void saveCopy(const QString& name, int version, const QString& targetPath) const;

    // A version to copy into a file.
    struct Copy
    {
        QString name;
        int version = 0;
        QString targetPath;
    };
    // Writes each copy in turn, replacing the files as saveCopy() does, under one read lock of
    // the database for all of them (other programs wait meanwhile to write), and stops at the
    // first failure. A file whose copy failed or was not made is left as it was.
    void saveCopies(const std::vector<Copy>& copies) const;

    // Deletes the one version `attachmentId`; false when no such row was there.
    bool remove(qint64 attachmentId) const;

    // The name a file is stored under: its name without folder.
    static QString storedName(const QString& filePath);

private:
    void fetch(const std::vector<Copy>& copies, bool ownerOnly) const;

    ClientId m_clientId = NoClient;
    mutable DocumentReader m_reader;
};
