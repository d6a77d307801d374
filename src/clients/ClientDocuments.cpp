#include "clients/ClientDocuments.h"

#include "documents/ClsBinaryFunctions.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString Name = QStringLiteral("AttachmentsName");
const QString Contents = QStringLiteral("Attachments");

// Adds the file's row to `rs` (a recordset over Attachments) and streams its bytes in.
void addRow(Recordset& rs, qint64 clientId, const QString& filePath, int version)
{
    const QString name = ClientDocuments::storedName(filePath);
    rs.addNew();
    rs.setField(QStringLiteral("PersonalInformationId"), clientId);
    rs.setField(Name, name);
    rs.setField(QStringLiteral("AttachmentVersion"), version);
    rs.setField(QStringLiteral("AttachmentExtension"), ClsBinaryFunctions::extensionOf(name));
    try {
        ClsBinaryFunctions::storeFile(rs, Contents, filePath);
    } catch (const StoreError&) {
        rs.cancelUpdate();
        throw;
    }
}

} // namespace

ClientDocuments::ClientDocuments(qint64 clientId) : m_clientId(clientId) {}

std::vector<ClientDocuments::Attachment> ClientDocuments::list(bool currentVersionOnly) const
{
    const QString sql =
        currentVersionOnly
            ? QStringLiteral("SELECT Attachments.AttachmentsName, Max(Attachments.AttachmentsDate) AS AttachmentsDate, "
                             "Max(Attachments.AttachmentVersion) AS AttachmentVersion, "
                             "Max(Attachments.AttachmentsId) AS AttachmentsId FROM Attachments "
                             "WHERE PersonalInformationId = ? GROUP BY Attachments.AttachmentsName "
                             "ORDER BY Attachments.AttachmentsName DESC")
            : QStringLiteral("SELECT * FROM Attachments WHERE PersonalInformationId = ? "
                             "ORDER BY Attachments.AttachmentsName, Attachments.AttachmentVersion DESC");
    CLsDataBaseConnection connection;
    Recordset rs = connection.CreateRecordset(sql, {m_clientId});
    std::vector<Attachment> rows;
    for (; !rs.eof(); rs.moveNext()) {
        Attachment row;
        const QVariant name = rs.field(Name);
        if (!name.isNull()) {
            row.name = name.toString();
            row.id = rs.field(QStringLiteral("AttachmentsId")).toLongLong();
        }
        row.date = rs.text(QStringLiteral("AttachmentsDate"));
        const QVariant version = rs.field(QStringLiteral("AttachmentVersion"));
        if (!version.isNull())
            row.version = version.toInt();
        rows.push_back(row);
    }
    rs.close();
    connection.DbClose();
    return rows;
}

qint64 ClientDocuments::upload(const QString& filePath) const
{
    CLsDataBaseConnection connection;
    Recordset rs = connection.CreateRecordset(QStringLiteral("SELECT * FROM Attachments WHERE 0"));
    // The version lookup and the new row belong together.
    Transaction transaction(connection.database());
    addRow(rs, m_clientId, filePath, ClsBinaryFunctions::highestPlusOne(connection.database(), storedName(filePath)));
    transaction.commit();
    const qint64 id = rs.newKey();
    rs.close();
    connection.DbClose();
    return id;
}

ClientDocuments::DropResult ClientDocuments::storeDropped(const QStringList& filePaths) const
{
    DropResult result;
    CLsDataBaseConnection connection;
    Recordset rs = connection.CreateRecordset(QStringLiteral("SELECT * FROM Attachments WHERE 0"));
    const Database& db = connection.database();
    Transaction transaction(db);
    for (const QString& path : filePaths) {
        try {
            ClsBinaryFunctions::checkStorable(db, path, QFileInfo(path).size());
        } catch (const StoreError& error) {
            result.error = error.message();
            result.tooLarge = true;
            break;
        }
        // A file that fails halfway takes only its own row with it.
        db.executeScript(QStringLiteral("SAVEPOINT dropped_file"));
        try {
            addRow(rs, m_clientId, path, ClsBinaryFunctions::countPlusOne(db, storedName(path)));
        } catch (const StoreError& error) {
            db.executeScript(QStringLiteral("ROLLBACK TO dropped_file"));
            db.executeScript(QStringLiteral("RELEASE dropped_file"));
            result.error = error.message();
            break;
        }
        db.executeScript(QStringLiteral("RELEASE dropped_file"));
        ++result.stored;
    }
    transaction.commit();
    rs.close();
    connection.DbClose();
    return result;
}

void ClientDocuments::fetch(const QString& name, int version, const QString& targetPath, bool ownerOnly) const
{
    CLsDataBaseConnection connection;
    Recordset rs = connection.CreateRecordset(QStringLiteral("SELECT * FROM Attachments WHERE AttachmentVersion = ? "
                                                             "AND AttachmentsName = ? AND PersonalInformationId = ?"),
                                              {version, name, m_clientId});
    if (rs.eof())
        throw StoreError(QStringLiteral("Version %1 of %2 is no longer stored for this client").arg(version).arg(name));
    ClsBinaryFunctions::fetchToFile(rs, Contents, targetPath, ownerOnly);
    rs.close();
    connection.DbClose();
}

QString ClientDocuments::fetchForViewing(const QString& name, int version) const
{
    const QString folder = ApplicationFolder::tempPath();
    QDir().mkpath(folder);
    const QString path = ClsBinaryFunctions::safeFilePath(folder, name);
    fetch(name, version, path, true);
    return path;
}

void ClientDocuments::saveCopy(const QString& name, int version, const QString& targetPath) const
{
    fetch(name, version, targetPath, false);
}

bool ClientDocuments::remove(qint64 attachmentId) const
{
    CLsDataBaseConnection connection;
    const int deleted = connection.Execute(
        QStringLiteral("DELETE FROM Attachments WHERE Attachments.AttachmentsId = ?"), {attachmentId});
    connection.DbClose();
    return deleted == 1;
}

QString ClientDocuments::storedName(const QString& filePath)
{
    return QFileInfo(filePath).fileName();
}
