#include "clients/ClientDocuments.h"

#include "documents/BackgroundFileReader.h"
#include "documents/BackgroundFileWriter.h"
#include "documents/ClsBinaryFunctions.h"
#include "documents/DocumentText.h"
#include "store/ApplicationFolder.h"
#include "store/BlobStream.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/Savepoint.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

const QString Name = QStringLiteral("AttachmentsName");
const QString Contents = QStringLiteral("Attachments");
// Helpers writing the files of a batch of copies; the reading thread is the third.
constexpr int WriterThreads = 2;

bool targetsDiffer(const std::vector<ClientDocuments::Copy>& copies)
{
    QSet<QString> targets;
    for (const ClientDocuments::Copy& copy : copies)
        targets.insert(QFileInfo(copy.targetPath).absoluteFilePath());
    return targets.size() == static_cast<qsizetype>(copies.size());
}

// Sets the fields of a new row of `rs` (a recordset over Attachments) for the file.
void setRowFields(Recordset& rs, ClientId clientId, const QString& filePath, int version)
{
    const QString name = ClientDocuments::storedName(filePath);
    rs.addNew();
    rs.setField(QStringLiteral("PersonalInformationId"), clientId);
    rs.setField(Name, name);
    rs.setField(QStringLiteral("AttachmentVersion"), version);
    rs.setField(QStringLiteral("AttachmentExtension"), ClsBinaryFunctions::extensionOf(name));
}

// Adds the file's row to `rs` and streams its bytes in; its text goes into the index in the
// same transaction.
void addRow(Recordset& rs, ClientId clientId, const QString& filePath, int version)
{
    setRowFields(rs, clientId, filePath, version);
    try {
        ClsBinaryFunctions::storeFile(rs, Contents, filePath);
    } catch (const StoreError&) {
        rs.cancelUpdate();
        throw;
    }
    DocumentText::storeFromDatabase(rs.database(), rs.newKey());
}

// Adds the row of a file already read into memory.
void addRow(Recordset& rs, ClientId clientId, const QString& filePath, int version, const QByteArray& contents)
{
    setRowFields(rs, clientId, filePath, version);
    rs.setField(Contents, contents);
    try {
        rs.update();
    } catch (const StoreError&) {
        rs.cancelUpdate();
        throw;
    }
    DocumentText::store(rs.database(), rs.newKey(), contents, ClientDocuments::storedName(filePath));
}

// Writes each copy of the client's documents from `db`, in the read transaction of the caller.
void copyOut(const Database& db, ClientId clientId, const std::vector<ClientDocuments::Copy>& copies, bool ownerOnly)
{
    // Several copies: small ones are written by helpers while the next are read. Two copies
    // into one file keep their order, so then everything is written here, one after another.
    std::optional<BackgroundFileWriter> writers;
    if (copies.size() > 1 && targetsDiffer(copies))
        writers.emplace(WriterThreads, ownerOnly);
    try {
        for (const ClientDocuments::Copy& copy : copies) {
            // The index on client, name and version answers it without visiting the row.
            const QVariant id =
                db.scalar(QStringLiteral("SELECT AttachmentsId FROM Attachments WHERE AttachmentVersion = ? AND "
                                         "AttachmentsName = ? AND PersonalInformationId = ?"),
                          {copy.version, copy.name, clientId});
            if (id.isNull())
                throw StoreError(QStringLiteral("Version %1 of %2 is no longer stored for this client")
                                     .arg(copy.version)
                                     .arg(copy.name));
            // A document without a value is fetched as an empty file.
            const std::optional<BlobStream> blob = BlobStream::openForReading(db, Contents, Contents, id.toLongLong());
            if (writers && (!blob || blob->size() <= BackgroundFileWriter::ValueLimit)) {
                QByteArray contents = writers->takeBuffer();
                contents.resize(blob ? blob->size() : 0);
                if (!contents.isEmpty())
                    blob->read(contents.data(), static_cast<int>(contents.size()), 0);
                writers->add(copy.targetPath, std::move(contents));
            } else {
                ClsBinaryFunctions::fetchToFile(blob, copy.targetPath, ownerOnly);
            }
        }
    } catch (const StoreError&) {
        // The copies before this one are written first, and a failure among them is the one to report.
        if (writers)
            writers->finish();
        throw;
    }
    if (writers)
        writers->finish();
}

} // namespace

ClientDocuments::ClientDocuments(ClientId clientId) : m_clientId(clientId) {}

QString ClientDocuments::listStatement(bool currentVersionOnly)
{
    return currentVersionOnly
               ? QStringLiteral(
                     "SELECT Attachments.AttachmentsName, Max(Attachments.AttachmentsDate) AS AttachmentsDate, "
                     "Max(Attachments.AttachmentVersion) AS AttachmentVersion, "
                     "Max(Attachments.AttachmentsId) AS AttachmentsId FROM Attachments "
                     "WHERE PersonalInformationId = ? GROUP BY Attachments.AttachmentsName "
                     "ORDER BY Attachments.AttachmentsName DESC NULLS LAST")
               // The list's four columns only: the document itself would pass through the sort.
               // Rows without a name or version come first among names and last among versions;
               // equal rows keep the order in which they were stored.
               : QStringLiteral("SELECT AttachmentsId, AttachmentsName, AttachmentsDate, AttachmentVersion "
                                "FROM Attachments WHERE PersonalInformationId = ? "
                                "ORDER BY Attachments.AttachmentsName NULLS FIRST, "
                                "Attachments.AttachmentVersion DESC NULLS LAST, Attachments.AttachmentsId");
}

std::vector<ClientDocuments::Attachment> ClientDocuments::list(bool currentVersionOnly) const
{
    CLsDataBaseConnection connection;
    Recordset rs = connection.CreateRecordset(listStatement(currentVersionOnly), {m_clientId});
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
    Recordset rs = connection.CreateRecordset(QStringLiteral("SELECT * FROM Attachments WHERE 1 = 0"));
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
    Recordset rs = connection.CreateRecordset(QStringLiteral("SELECT * FROM Attachments WHERE 1 = 0"));
    const Database& db = connection.database();
    Transaction transaction(db);
    bool givenUp = false;
    // The next files are read from the disk while this one goes into the database.
    BackgroundFileReader files(filePaths);
    for (const QString& path : filePaths) {
        BackgroundFileReader::File file = files.next();
        try {
            ClsBinaryFunctions::checkStorable(db, path, file.size);
        } catch (const StoreError& error) {
            result.error = error.message();
            result.tooLarge = true;
            break;
        }
        // A file that fails halfway takes only its own row with it: its work is undone back to
        // the savepoint, and the files before it stay.
        Savepoint savepoint(db);
        try {
            if (!file.error.isEmpty())
                throw StoreError(file.error);
            const int version = ClsBinaryFunctions::countPlusOne(db, storedName(path));
            if (file.contents) {
                addRow(rs, m_clientId, path, version, *file.contents);
                files.recycle(std::move(*file.contents));
            } else {
                addRow(rs, m_clientId, path, version); // large: streamed from the file
            }
            savepoint.release();
        } catch (const StoreError& error) {
            result.error = error.message();
            if (!savepoint.rollback())
                givenUp = true; // the engine gave up the whole transaction after the failure
            break;
        }
        ++result.stored;
    }
    if (givenUp)
        result.stored = 0;
    else
        transaction.commit();
    rs.close();
    connection.DbClose();
    return result;
}

void ClientDocuments::fetch(const std::vector<Copy>& copies, bool ownerOnly) const
{
    // One read transaction for all copies: the file is locked and checked for changes once,
    // not once a document.
    m_reader.read([&](const Database& db) { copyOut(db, m_clientId, copies, ownerOnly); });
}

QString ClientDocuments::fetchForViewing(const QString& name, int version) const
{
    const QString folder = ApplicationFolder::tempPath();
    QDir().mkpath(folder);
    const QString path = ClsBinaryFunctions::safeFilePath(folder, name);
    fetch({{name, version, path}}, true);
    return path;
}

void ClientDocuments::saveCopy(const QString& name, int version, const QString& targetPath) const
{
    fetch({{name, version, targetPath}}, false);
}

void ClientDocuments::saveCopies(const std::vector<Copy>& copies) const
{
    fetch(copies, false);
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
