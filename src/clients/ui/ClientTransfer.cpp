#include "clients/ui/ClientTransfer.h"

#include "clients/ClientExport.h"
#include "clients/ClientFields.h"
#include "clients/ClientImport.h"
#include "clients/ClientImportFile.h"
#include "clients/ClientRecord.h"
#include "clients/ImportFileError.h"
#include "clients/ImportMapping.h"
#include "clients/VCardWriter.h"
#include "clients/ui/frmImportClients.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "store/StoreError.h"
#include "widgets/WaitCursor.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QWidget>

namespace {

const QString ImportTitle = QStringLiteral("Import Clients");
const QString ExportTitle = QStringLiteral("Export Clients");

QString clientsText(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 client") : QStringLiteral("%1 clients").arg(count);
}

// The vCard of each client: its Personal Information fields by column name.
QByteArray vCardsOf(const std::vector<ClientId>& ids)
{
    const QString personal = QString::fromLatin1(ClientRecord::PersonalInformationTab);
    std::vector<ClientField> fields;
    for (const QString& column : ClientFields::personalColumns())
        fields.push_back({personal, column});
    std::vector<QHash<QString, QString>> clients;
    const std::vector<QStringList> rows = ClientExport::read(ids, fields);
    clients.reserve(rows.size());
    for (const QStringList& row : rows) {
        QHash<QString, QString> client;
        for (size_t i = 0; i < fields.size(); ++i)
            client.insert(fields.at(i).field, row.value(static_cast<qsizetype>(i)));
        clients.push_back(std::move(client));
    }
    return VCardWriter::write(clients);
}

} // namespace

ClientTransfer::ClientTransfer(QWidget* window) : QObject(window), m_window(window) {}

QString ClientTransfer::startFolder() const
{
    if (!m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir())
        return m_lastFolder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void ClientTransfer::importClients()
{
    const QString path = FileDialog::instance().getOpenFileName(
        m_window, ImportTitle, startFolder(),
        QStringLiteral("Client files (*.csv *.txt *.vcf *.vcard);;CSV files (*.csv *.txt);;vCard files (*.vcf "
                       "*.vcard);;All files (*)"));
    if (path.isEmpty())
        return;
    m_lastFolder = QFileInfo(path).absolutePath();

    std::optional<ClientImport> import;
    try {
        const WaitCursor wait;
        ImportTable table = ClientImportFile::read(path);
        std::vector<ClientField> fields = ClientFields::all();
        std::vector<int> mapping = ImportMapping::guess(table.header, fields);
        import.emplace(std::move(table), std::move(fields), std::move(mapping));
    } catch (const ImportFileError& error) {
        MessageBox::inform(m_window, ImportTitle, error.message(), MessageBox::Warning);
        return;
    } catch (const StoreError& error) {
        MessageBox::inform(m_window, ImportTitle, error.message(), MessageBox::Critical);
        return;
    }

    auto* dialog = new frmImportClients(std::move(*import), path, m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog, path] {
        const int count = dialog->importedCount();
        emit imported(count);
        MessageBox::inform(
            m_window, ImportTitle,
            QStringLiteral("%1 imported from %2.").arg(clientsText(count), QDir::toNativeSeparators(path)),
            MessageBox::Information);
    });
    dialog->open();
}

int ClientTransfer::exportClients(std::vector<ClientId> ids, Format format)
{
    const bool csv = format == Format::Csv;
    const QString suggested =
        QDir(startFolder()).filePath(csv ? QStringLiteral("Clients.csv") : QStringLiteral("Clients.vcf"));
    const QString chosen = FileDialog::instance().getSaveFileName(m_window, ExportTitle, suggested,
                                                                  csv ? QStringLiteral("CSV files (*.csv)")
                                                                      : QStringLiteral("vCard files (*.vcf)"));
    if (chosen.isEmpty())
        return 0;
    QString path = chosen;
    if (QFileInfo(path).suffix().isEmpty())
        path += csv ? QStringLiteral(".csv") : QStringLiteral(".vcf");
    // The dialog asked about replacing the name as typed, not the one with the extension added.
    if (path != chosen && QFileInfo::exists(path) &&
        MessageBox::ask(
            m_window, ExportTitle,
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(path)),
            MessageBox::YesNoDefaultNo, MessageBox::Warning) != MessageBox::Yes)
        return 0;
    m_lastFolder = QFileInfo(path).absolutePath();

    QByteArray bytes;
    try {
        const WaitCursor wait;
        if (ids.empty())
            ids = ClientExport::activeClients();
        bytes = csv ? ClientExport::toCsv(ids) : vCardsOf(ids);
    } catch (const StoreError& error) {
        MessageBox::inform(m_window, ExportTitle,
                           QStringLiteral("The clients could not be read: %1").arg(error.message()),
                           MessageBox::Critical);
        return 0;
    }

    // Written under a temporary name and put in place whole: a failed export leaves no partial
    // file and an older file of that name as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        MessageBox::inform(m_window, ExportTitle,
                           QStringLiteral("The file %1 could not be written: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()),
                           MessageBox::Critical);
        return 0;
    }
    const int count = static_cast<int>(ids.size());
    MessageBox::inform(m_window, ExportTitle,
                       QStringLiteral("%1 written to %2.").arg(clientsText(count), QDir::toNativeSeparators(path)),
                       MessageBox::Information);
    return count;
}
