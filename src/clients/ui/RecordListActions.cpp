#include "clients/ui/RecordListActions.h"

#include "clients/ClientDocuments.h"
#include "clients/ClientResources.h"
#include "documents/ClsBinaryFunctions.h"
#include "platform/FileDialog.h"
#include "platform/FileOpener.h"
#include "platform/MessageBox.h"
#include "store/StoreError.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>

namespace {

const QString Title = QStringLiteral("Orvanta");

const QString OpenFileTitle = QStringLiteral("OPEN FILE");
const QString OpenFileFilter = QStringLiteral("All files (*);;DOC files (*.doc);;PDF files (*.pdf)");

QString question(const QString& warning)
{
    return warning + QLatin1Char('\n') + QStringLiteral("Do you want to continue");
}

// Storing or fetching a large document takes a while; the cursor says so.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

RecordListActions::RecordListActions(QWidget* window, QTreeWidget* list, std::function<qint64()> clientId)
    : QObject(window), m_window(window), m_list(list), m_clientId(std::move(clientId))
{
    createMenus();
}

QAction* RecordListActions::addMenuAction(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void RecordListActions::createMenus()
{
    m_attachmentMenu = new QMenu(QStringLiteral("Attachment Options"), m_window);
    m_attachmentMenu->setObjectName(QStringLiteral("MnuOptionsView"));
    connect(addMenuAction(m_attachmentMenu, QStringLiteral("MnuSaveAs"), QStringLiteral("SaveAs")), &QAction::triggered,
            this, [this] { saveAttachmentAs(); });
    connect(addMenuAction(m_attachmentMenu, QStringLiteral("MnuView"), QStringLiteral("View")), &QAction::triggered,
            this, [this] { viewAttachment(); });
    m_attachmentMenu->addSeparator()->setObjectName(QStringLiteral("mnuSep"));
    connect(addMenuAction(m_attachmentMenu, QStringLiteral("mnuDelete"), QStringLiteral("Delete")), &QAction::triggered,
            this, [this] { deleteAttachment(); });
    connect(addMenuAction(m_attachmentMenu, QStringLiteral("mnuMoveTo"), QStringLiteral("Reassign To ....")),
            &QAction::triggered, this, [this] { reassignAttachment(); });

    m_resourceMenu = new QMenu(QStringLiteral("Resource Options"), m_window);
    m_resourceMenu->setObjectName(QStringLiteral("MnuResourceOptions"));
    connect(addMenuAction(m_resourceMenu, QStringLiteral("mnuResourceVIew"), QStringLiteral("View")),
            &QAction::triggered, this, [this] { viewResource(); });
    connect(addMenuAction(m_resourceMenu, QStringLiteral("mnuRemoveFromClient"), QStringLiteral("Remove from Client")),
            &QAction::triggered, this, [this] { removeResource(); });
}

QTreeWidgetItem* RecordListActions::selectedItem() const
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

void RecordListActions::nothingSelected()
{
    MessageBox::inform(m_window, Title, QStringLiteral("Nothing selected"), MessageBox::Information);
}

void RecordListActions::copyFailed(const StoreError& error)
{
    // The message names the file and why it could not be written (a full disk, a folder
    // that cannot be written to), or that the document is no longer stored.
    MessageBox::inform(m_window, Title, error.message(), MessageBox::Critical);
}

void RecordListActions::dropFiles(const QMimeData* data)
{
    QStringList paths;
    bool onlyFiles = data && data->hasUrls() && !data->urls().isEmpty();
    if (onlyFiles) {
        for (const QUrl& url : data->urls()) {
            if (!url.isLocalFile() || QFileInfo(url.toLocalFile()).isDir()) {
                onlyFiles = false;
                break;
            }
            paths.append(url.toLocalFile());
        }
    }

    ClientDocuments::DropResult result;
    if (onlyFiles) {
        try {
            const WaitCursor wait;
            result = ClientDocuments(m_clientId()).storeDropped(paths);
        } catch (const StoreError& error) {
            result.error = error.message();
        }
    }
    emit attachmentsChanged();
    if (onlyFiles && result.error.isEmpty())
        return;
    if (result.tooLarge)
        MessageBox::inform(m_window, Title, result.error, MessageBox::Critical);
    else
        MessageBox::inform(m_window, Title,
                           QStringLiteral("Currently you can't drag and drop straight from that application") +
                               QLatin1Char('\n') +
                               QStringLiteral("Try dragging and dropping from the desktop then to Orvanta."),
                           MessageBox::Information);
}

void RecordListActions::upload()
{
    m_dialogTitle = OpenFileTitle;
    m_dialogFilter = OpenFileFilter;
    const QString path = FileDialog::instance().getOpenFileName(m_window, m_dialogTitle, QString(), m_dialogFilter);
    if (path.isEmpty())
        return;
    try {
        const WaitCursor wait;
        ClientDocuments(m_clientId()).upload(path);
    } catch (const StoreError& error) {
        // Nothing was stored: the file could not be read, was too large, or the database refused it.
        MessageBox::inform(m_window, Title, error.message(), MessageBox::Critical);
        emit attachmentsChanged();
        return;
    }
    MessageBox::inform(m_window, Title, QStringLiteral("Attachment successfully uploaded"), MessageBox::Information);
    emit attachmentsChanged();
}

void RecordListActions::viewAttachment()
{
    const QTreeWidgetItem* item = selectedItem();
    const QVariant version = item ? item->data(0, VersionRole) : QVariant();
    if (!version.isValid()) {
        nothingSelected();
        return;
    }
    QString path;
    try {
        const WaitCursor wait;
        path = ClientDocuments(m_clientId()).fetchForViewing(item->text(0), version.toInt());
    } catch (const StoreError& error) {
        copyFailed(error);
        return;
    }
    // Whether a program could be found for the file is not reported.
    FileOpener::instance().open(path);
}

void RecordListActions::saveAttachmentAs()
{
    const QTreeWidgetItem* item = selectedItem();
    const QVariant version = item ? item->data(0, VersionRole) : QVariant();
    if (!version.isValid()) {
        nothingSelected();
        return;
    }
    // The stored name's last component, as the file dialog's suggestion.
    const QString suggested =
        QFileInfo(ClsBinaryFunctions::safeFilePath(QStringLiteral("."), item->text(0))).fileName();
    const QString target = FileDialog::instance().getSaveFileName(m_window, m_dialogTitle, suggested, m_dialogFilter);
    if (target.isEmpty())
        return;
    try {
        const WaitCursor wait;
        ClientDocuments(m_clientId()).saveCopy(item->text(0), version.toInt(), target);
    } catch (const StoreError& error) {
        copyFailed(error);
    }
}

void RecordListActions::deleteAttachment()
{
    const QTreeWidgetItem* item = selectedItem();
    if (!item) {
        nothingSelected();
        return;
    }
    if (MessageBox::ask(m_window, Title, question(QStringLiteral("Warning you are about to delete the selected file")),
                        MessageBox::YesNo, MessageBox::NoIcon) != MessageBox::Yes)
        return;
    const QVariant tag = item->data(0, TagRole);
    bool deleted = false;
    try {
        deleted = tag.isValid() && ClientDocuments(m_clientId()).remove(tag.toLongLong());
    } catch (const StoreError&) {
        deleted = false;
    }
    if (!deleted) {
        nothingSelected();
        return;
    }
    MessageBox::inform(m_window, Title, QStringLiteral("Attachment deleted"), MessageBox::Information);
    emit attachmentsChanged();
}

void RecordListActions::reassignAttachment()
{
    const QTreeWidgetItem* item = selectedItem();
    if (!item) {
        nothingSelected();
        return;
    }
    if (MessageBox::ask(
            m_window, Title,
            question(QStringLiteral("Warning you are about to reassign the selected file: ") + item->text(0)),
            MessageBox::YesNo, MessageBox::NoIcon) != MessageBox::Yes)
        return;
    const QVariant tag = item->data(0, TagRole);
    if (!tag.isValid()) {
        nothingSelected();
        return;
    }
    emit reassignRequested(tag.toLongLong());
}

void RecordListActions::viewResource()
{
    const QTreeWidgetItem* item = selectedItem();
    const QVariant tag = item ? item->data(0, TagRole) : QVariant();
    if (!tag.isValid()) {
        nothingSelected();
        return;
    }
    QString path;
    try {
        const WaitCursor wait;
        path = ClientResources::fetchForViewing(tag.toLongLong(), item->text(0));
    } catch (const StoreError& error) {
        copyFailed(error);
        return;
    }
    FileOpener::instance().open(path);
}

void RecordListActions::removeResource()
{
    const QTreeWidgetItem* item = selectedItem();
    if (!item) {
        nothingSelected();
        return;
    }
    if (MessageBox::ask(m_window, Title,
                        question(QStringLiteral("Warning you are about to remove the selected file: ") + item->text(0)),
                        MessageBox::YesNo, MessageBox::NoIcon) != MessageBox::Yes)
        return;
    const QVariant tag = item->data(0, TagRole);
    int removed = 0;
    try {
        removed = tag.isValid() ? ClientResources(m_clientId()).removeFromClient(tag.toLongLong()) : 0;
    } catch (const StoreError&) {
        removed = 0;
    }
    if (removed == 0) {
        nothingSelected();
        return;
    }
    MessageBox::inform(m_window, Title, QStringLiteral("Resource Removed"), MessageBox::Information);
    emit resourcesChanged();
}
