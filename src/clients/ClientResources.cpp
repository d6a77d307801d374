#include "clients/ClientResources.h"

#include "documents/ClsBinaryFunctions.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/StoreError.h"

#include <QDir>

ClientResources::ClientResources(ClientId clientId) : m_clientId(clientId) {}

std::vector<ClientResources::Resource> ClientResources::list() const
{
    CLsDataBaseConnection connection;
    Recordset rs = connection.CreateRecordset(
        // The columns are named explicitly: the engine renames a column of a nested join whose
        // name occurs twice inside it ("DocumentId:1").
        QStringLiteral("SELECT ObjectTbl.ObjectText AS ObjectText, Resources.DocumentId AS DocumentId, "
                       "Resources.DocumentDate AS DocumentDate, Resources.DocumentName AS DocumentName, "
                       "Resources.DocuemntVersion AS DocuemntVersion "
                       "FROM (\"Personal Information\" LEFT OUTER JOIN (ReferenceInfo LEFT OUTER JOIN Resources "
                       "ON ReferenceInfo.DocumentId = Resources.DocumentId) "
                       "ON \"Personal Information\".PersonalInformationId = ReferenceInfo.PersonalInformationId) "
                       "LEFT OUTER JOIN ObjectTbl ON ObjectTbl.ObjectIndex = Resources.ObjectIndex "
                       "WHERE \"Personal Information\".PersonalInformationId = ?"),
        {m_clientId});
    std::vector<Resource> rows;
    for (; !rs.eof(); rs.moveNext()) {
        Resource row;
        const QVariant name = rs.field(QStringLiteral("DocumentName"));
        if (!name.isNull()) {
            row.name = name.toString();
            row.id = rs.field(QStringLiteral("DocumentId")).toLongLong();
        }
        row.date = rs.text(QStringLiteral("DocumentDate"));
        row.folder = rs.text(QStringLiteral("ObjectText"));
        rows.push_back(row);
    }
    rs.close();
    connection.DbClose();
    return rows;
}

QString ClientResources::fetchForViewing(qint64 documentId, const QString& shownName)
{
    const QString folder = ApplicationFolder::tempPath();
    QDir().mkpath(folder);
    const QString path = ClsBinaryFunctions::safeFilePath(folder, shownName);
    CLsDataBaseConnection connection;
    Recordset rs = connection.CreateRecordset(QStringLiteral("SELECT * FROM Resources WHERE Resources.DocumentId = ?"),
                                              {documentId});
    if (rs.eof())
        throw StoreError(QStringLiteral("The library document %1 is no longer stored").arg(documentId));
    ClsBinaryFunctions::fetchToFile(rs, QStringLiteral("Document"), path, true);
    rs.close();
    connection.DbClose();
    return path;
}

int ClientResources::removeFromClient(qint64 documentId) const
{
    CLsDataBaseConnection connection;
    const int removed =
        connection.Execute(QStringLiteral("DELETE FROM ReferenceInfo WHERE ReferenceInfo.DocumentId = ? "
                                          "AND ReferenceInfo.PersonalInformationId = ?"),
                           {documentId, m_clientId});
    connection.DbClose();
    return removed;
}
