#pragma once

#include "store/ClientId.h"

#include <QList>
#include <QString>
#include <memory>

class Database;

// The shared library of reference documents: folders (rows of ObjectTbl) and the stored
// versions of documents filed in them (rows of Resources), and their assignments to
// clients (ReferenceInfo). Every value that comes from a user is bound as a parameter.
class ResourceLibrary
{
public:
    struct Folder
    {
        qint64 id = 0;         // ObjectId
        QString text;          // ObjectText
        QString type;          // ObjectType
        int resourceCount = 0; // stored versions filed in it; counted only when asked for
    };

    // One line of the resource list; a NULL value gives an empty text.
    struct Resource
    {
        QString id;      // DocumentId
        QString date;    // DocumentDate as stored
        QString name;    // DocumentName
        QString version; // DocuemntVersion
    };

    explicit ResourceLibrary(std::shared_ptr<Database> db);

    // Every folder but the root row, in tree order (ObjectIndex, then ObjectParentIndex).
    QList<Folder> folders(bool withCounts) const;
    // A folder's label in the tree: its text, followed by its resource count when it has any
    // and counts are shown.
    static QString folderLabel(const Folder& folder, bool withCounts);
    // Key of a tree node: the number of nodes before it, a blank, and the folder's type.
    static QString nodeKey(int nodesBefore, const QString& type);

    // Appends a folder created with `text` at tree position `position` (1-based, the root
    // being 1). Returns its ObjectId.
    qint64 addFolder(const QString& text, int position) const;
    // Deletes a folder's row, and with `withSubfolders` first the rows filed under it.
    // Resources filed in it stay.
    void deleteFolder(qint64 folderId, bool withSubfolders) const;

    // The resources of a folder: every version, by name and newest version first; or one
    // line per name and upload date, holding the highest version and DocumentId of that day.
    QList<Resource> resources(qint64 folderId, bool allVersions) const;

    // The version a new upload of `name` gets: one more than the highest stored version of
    // that name in any folder, 1 for a new name.
    int nextVersion(const QString& name) const;
    // Streams the file into a new resource of the folder under the file's name without its
    // path, with the version nextVersion() gives inside the same write transaction, so that
    // two uploads of one name never share a version. Returns its DocumentId. Throws StoreError, naming the file, when
    // it cannot be read or stored; nothing is stored then.
    qint64 upload(qint64 folderId, const QString& filePath) const;
    // Fetches a resource into Temp under its name (its last path component only) for viewing;
    // returns the copy's path.
    QString fetchForViewing(qint64 documentId) const;
    // Deletes one version and every assignment of it to a client, together.
    void deleteResource(qint64 documentId) const;
    // Assigns a resource to a client. Every call adds a row, also for a pair already assigned.
    void assign(qint64 documentId, ClientId clientId) const;

private:
    std::shared_ptr<Database> m_db;
};
