#include "documents/ResourceLibrary.h"

#include "documents/ClsBinaryFunctions.h"
#include "store/ApplicationFolder.h"
#include "store/Database.h"
#include "store/Recordset.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The type of the installed row that stands for the tree's root; it is never shown.
const QString RootType = QStringLiteral("Root");
// Folders are all children of the one root node.
constexpr int ParentIndex = 1;

QString cell(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

} // namespace

ResourceLibrary::ResourceLibrary(std::shared_ptr<Database> db) : m_db(std::move(db)) {}

QList<ResourceLibrary::Folder> ResourceLibrary::folders(bool withCounts) const
{
    const QString count =
        withCounts ? QStringLiteral("(SELECT count(*) FROM Resources WHERE Resources.ObjectIndex = o.ObjectId)")
                   : QStringLiteral("0");
    Statement rows = m_db->prepare(QStringLiteral("SELECT o.ObjectId, o.ObjectText, o.ObjectType, %1 FROM ObjectTbl o "
                                                  "WHERE o.ObjectType <> ? ORDER BY o.ObjectIndex NULLS FIRST, "
                                                  "o.ObjectParentIndex NULLS FIRST, o.ObjectId")
                                       .arg(count));
    rows.bind(1, RootType);
    QList<Folder> result;
    while (rows.step())
        result.append({rows.value(0).toLongLong(), cell(rows.value(1)), cell(rows.value(2)), rows.value(3).toInt()});
    return result;
}

QString ResourceLibrary::folderLabel(const Folder& folder, bool withCounts)
{
    if (!withCounts || folder.resourceCount <= 0)
        return folder.text;
    return folder.text + QStringLiteral("     (") + QString::number(folder.resourceCount) + QLatin1Char(')');
}

QString ResourceLibrary::nodeKey(int nodesBefore, const QString& type)
{
    return QString::number(nodesBefore) + QLatin1Char(' ') + type;
}

qint64 ResourceLibrary::addFolder(const QString& text, int position) const
{
    Recordset rs(m_db, QStringLiteral("select * from ObjectTbl where 1 = 0"));
    rs.addNew();
    rs.setField(QStringLiteral("ObjectText"), text);
    rs.setField(QStringLiteral("ObjectIndex"), position);
    rs.setField(QStringLiteral("ObjectType"), text);
    rs.setField(QStringLiteral("ObjectParentIndex"), ParentIndex);
    rs.update();
    return rs.newKey();
}

void ResourceLibrary::deleteFolder(qint64 folderId, bool withSubfolders) const
{
    Transaction transaction(*m_db);
    if (withSubfolders)
        m_db->execute(QStringLiteral("DELETE FROM ObjectTbl WHERE ObjectParentIndex = ? AND ObjectType <> ?"),
                      {folderId, RootType});
    m_db->execute(QStringLiteral("DELETE FROM ObjectTbl WHERE ObjectId = ? AND ObjectType <> ?"), {folderId, RootType});
    transaction.commit();
}

QList<ResourceLibrary::Resource> ResourceLibrary::resources(qint64 folderId, bool allVersions) const
{
    // Versions uploaded on different days show as separate lines of the current-version list.
    // Rows without a name come first, rows without a version last. Every version: equal rows
    // keep the order in which they were stored. Current versions: lines of one name and one
    // newest version come newest date first, the line without a date last.
    const QString sql =
        allVersions ? QStringLiteral("SELECT DocumentId, DocumentDate, DocumentName, DocuemntVersion FROM Resources "
                                     "WHERE ObjectIndex = ? ORDER BY DocumentName NULLS FIRST, "
                                     "DocuemntVersion DESC NULLS LAST, DocumentId")
                    : QStringLiteral("SELECT Max(DocumentId) AS DocumentId, DocumentDate, DocumentName, "
                                     "Max(DocuemntVersion) AS DocuemntVersion FROM Resources "
                                     "WHERE ObjectIndex = ? GROUP BY DocumentName, DocumentDate "
                                     "ORDER BY DocumentName NULLS FIRST, Max(DocuemntVersion) DESC NULLS LAST, "
                                     "DocumentDate DESC NULLS LAST");
    Statement rows = m_db->prepare(sql);
    rows.bind(1, folderId);
    QList<Resource> result;
    while (rows.step())
        result.append({cell(rows.value(0)), cell(rows.value(1)), cell(rows.value(2)), cell(rows.value(3))});
    return result;
}

int ResourceLibrary::nextVersion(const QString& name) const
{
    const QVariant newest =
        m_db->scalar(QStringLiteral("SELECT max(DocuemntVersion) FROM Resources WHERE DocumentName = ?"), {name});
    return newest.toInt() + 1;
}

qint64 ResourceLibrary::upload(qint64 folderId, const QString& filePath) const
{
    const QString name = QFileInfo(filePath).fileName();
    // The version is looked up in the transaction that adds the row: an upload of the same
    // name by another copy of the program waits for this one and then counts its row.
    Transaction transaction(*m_db);
    const int version = nextVersion(name);
    Recordset rs(m_db, QStringLiteral("select * from Resources where 1 = 0"));
    rs.addNew();
    rs.setField(QStringLiteral("ObjectIndex"), folderId);
    rs.setField(QStringLiteral("DocumentName"), name);
    rs.setField(QStringLiteral("DocuemntVersion"), version);
    try {
        ClsBinaryFunctions::storeFile(rs, QStringLiteral("Document"), filePath);
    } catch (const StoreError&) {
        rs.cancelUpdate();
        throw;
    }
    transaction.commit();
    return rs.newKey();
}

QString ResourceLibrary::fetchForViewing(qint64 documentId) const
{
    Recordset rs(m_db, QStringLiteral("SELECT Resources.* FROM Resources WHERE Resources.DocumentId = ?"),
                 {documentId});
    if (rs.eof())
        throw StoreError(QStringLiteral("The resource %1 is no longer in the database.").arg(documentId));
    const QString folder = ApplicationFolder::tempPath();
    QDir().mkpath(folder);
    const QString path = ClsBinaryFunctions::safeFilePath(folder, rs.text(QStringLiteral("DocumentName")));
    ClsBinaryFunctions::fetchToFile(rs, QStringLiteral("Document"), path);
    return path;
}

void ResourceLibrary::deleteResource(qint64 documentId) const
{
    Transaction transaction(*m_db);
    m_db->execute(QStringLiteral("DELETE FROM ReferenceInfo WHERE DocumentId = ?"), {documentId});
    m_db->execute(QStringLiteral("DELETE FROM Resources WHERE DocumentId = ?"), {documentId});
    transaction.commit();
}

void ResourceLibrary::assign(qint64 documentId, ClientId clientId) const
{
    m_db->execute(QStringLiteral("INSERT INTO ReferenceInfo (DocumentId, PersonalInformationId) VALUES (?, ?)"),
                  {documentId, clientId});
}
