#include "clients/ui/AttachmentsPanel.h"

#include "clients/ui/RecordListView.h"
#include "documents/ClsBinaryFunctions.h"
#include "platform/FileDialog.h"
#include "platform/FileOpener.h"
#include "store/StoreError.h"
#include "widgets/Twips.h"
#include "widgets/WaitCursor.h"

#include <QAction>
#include <QCheckBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>

namespace {

const QString OpenFileTitle = QStringLiteral("OPEN FILE");
const QString OpenFileFilter = QStringLiteral("All files (*);;DOC files (*.doc);;PDF files (*.pdf)");

} // namespace

AttachmentsPanel::AttachmentsPanel(RecordListView& list, QWidget* options) : QObject(list.window()), m_list(list)
{
    m_currentVersionOnly = new QCheckBox(QStringLiteral("Show current version only"), options);
    m_currentVersionOnly->setObjectName(QStringLiteral("Check1"));
    m_currentVersionOnly->setGeometry(Twips::rect(1620, 240, 2355, 255));
    m_currentVersionOnly->hide();
    connect(m_currentVersionOnly, &QCheckBox::clicked, this, [this] { fill(); });

    createMenu();
    QTreeWidget* view = m_list.view();
    connect(view, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) { showMenu(position); });
    m_viewport = view->viewport();
    m_viewport->installEventFilter(this);

    // A zero interval: the next slice is added once the events waiting now are handled.
    m_nextSlice.setSingleShot(true);
    m_nextSlice.setInterval(0);
    connect(&m_nextSlice, &QTimer::timeout, this, [this] { addSlice(); });
    // Whichever panel fills the list next, this one's own next fill included, replaces the
    // rows of a fill still running: its remaining rows must never reach that list.
    connect(&m_list, &RecordListView::filling, this, [this] { stopFilling(); });
}

void AttachmentsPanel::setSliceRows(int rows)
{
    m_sliceRows = std::max(1, rows);
}

void AttachmentsPanel::createMenu()
{
    m_menu = new QMenu(QStringLiteral("Attachment Options"), m_list.window());
    m_menu->setObjectName(QStringLiteral("MnuOptionsView"));
    connect(RecordListView::addMenuAction(m_menu, QStringLiteral("MnuSaveAs"), QStringLiteral("SaveAs")),
            &QAction::triggered, this, [this] { saveAs(); });
    connect(RecordListView::addMenuAction(m_menu, QStringLiteral("MnuView"), QStringLiteral("View")),
            &QAction::triggered, this, [this] { view(); });
    m_menu->addSeparator()->setObjectName(QStringLiteral("mnuSep"));
    connect(RecordListView::addMenuAction(m_menu, QStringLiteral("mnuDelete"), QStringLiteral("Delete")),
            &QAction::triggered, this, [this] { remove(); });
    connect(RecordListView::addMenuAction(m_menu, QStringLiteral("mnuMoveTo"), QStringLiteral("Reassign To ....")),
            &QAction::triggered, this, [this] { reassign(); });
}

void AttachmentsPanel::showMenu(const QPoint& position)
{
    if (m_list.shows(tab()))
        m_menu->popup(m_list.view()->viewport()->mapToGlobal(position));
}

const ClientDocuments& AttachmentsPanel::documents()
{
    if (!m_documents || m_documents->clientId() != m_list.clientId())
        m_documents.emplace(m_list.clientId());
    return *m_documents;
}

void AttachmentsPanel::fill()
{
    m_list.startFilling(
        tab(), {QStringLiteral("Attachment Name"), QStringLiteral("Date Added"), QStringLiteral("Version Number")},
        {3500, 1500, 1500});
    try {
        m_rows = documents().list(m_currentVersionOnly->isChecked());
    } catch (const StoreError& error) {
        m_list.fillFailed(error.message());
        return;
    }
    m_nextRow = 0;
    addSlice();
}

void AttachmentsPanel::addSlice()
{
    const size_t end = std::min(m_rows.size(), m_nextRow + static_cast<size_t>(m_sliceRows));
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(end - m_nextRow));
    for (; m_nextRow < end; ++m_nextRow) {
        const ClientDocuments::Attachment& row = m_rows[m_nextRow];
        auto* item = new QTreeWidgetItem;
        item->setText(0, row.name);
        if (row.id != 0)
            item->setData(0, RecordListView::TagRole, row.id);
        item->setText(1, RecordListView::shownDate(row.date));
        if (row.version) {
            item->setText(2, QString::number(*row.version));
            item->setData(0, RecordListView::VersionRole, *row.version);
        }
        items.append(item);
    }
    // One insertion for the slice: the view lays its rows out once, not once per row.
    m_list.view()->addTopLevelItems(items);
    if (m_nextRow < m_rows.size())
        m_nextSlice.start();
    else
        stopFilling();
}

void AttachmentsPanel::stopFilling()
{
    m_nextSlice.stop();
    m_rows = {};
    m_nextRow = 0;
}

bool AttachmentsPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_viewport)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        // Dropped files are copied into the database; the file manager must never move them.
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!m_list.view()->isVisible() || !drag->possibleActions().testFlag(Qt::CopyAction))
            return false;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        dropFiles(drop->mimeData());
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void AttachmentsPanel::dropFiles(const QMimeData* data)
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
            result = documents().storeDropped(paths);
        } catch (const StoreError& error) {
            result.error = error.message();
        }
    }
    // Whatever tab shows, the list then shows the attachments, those stored before a failure too.
    fill();
    if (onlyFiles && result.error.isEmpty())
        return;
    if (result.tooLarge)
        m_list.failed(result.error);
    else
        m_list.inform(QStringLiteral("Currently you can't drag and drop straight from that application") +
                      QLatin1Char('\n') +
                      QStringLiteral("Try dragging and dropping from the desktop then to Orvanta."));
}

void AttachmentsPanel::upload()
{
    m_dialogTitle = OpenFileTitle;
    m_dialogFilter = OpenFileFilter;
    const QString path =
        FileDialog::instance().getOpenFileName(m_list.window(), m_dialogTitle, QString(), m_dialogFilter);
    if (path.isEmpty())
        return;
    try {
        const WaitCursor wait;
        documents().upload(path);
    } catch (const StoreError& error) {
        // Nothing was stored: the file could not be read, was too large, or the database refused it.
        m_list.failed(error.message());
        fill();
        return;
    }
    m_list.inform(QStringLiteral("Attachment successfully uploaded"));
    fill();
}

void AttachmentsPanel::view()
{
    const QTreeWidgetItem* item = m_list.selectedItem();
    const QVariant version = item ? item->data(0, RecordListView::VersionRole) : QVariant();
    if (!version.isValid()) {
        m_list.nothingSelected();
        return;
    }
    QString path;
    try {
        const WaitCursor wait;
        path = documents().fetchForViewing(item->text(0), version.toInt());
    } catch (const StoreError& error) {
        m_list.failed(error.message());
        return;
    }
    // Whether a program could be found for the file is not reported.
    FileOpener::instance().open(path);
}

void AttachmentsPanel::saveAs()
{
    const QTreeWidgetItem* item = m_list.selectedItem();
    const QVariant version = item ? item->data(0, RecordListView::VersionRole) : QVariant();
    if (!version.isValid()) {
        m_list.nothingSelected();
        return;
    }
    // The stored name's last component, as the file dialog's suggestion.
    const QString suggested =
        QFileInfo(ClsBinaryFunctions::safeFilePath(QStringLiteral("."), item->text(0))).fileName();
    const QString target =
        FileDialog::instance().getSaveFileName(m_list.window(), m_dialogTitle, suggested, m_dialogFilter);
    if (target.isEmpty())
        return;
    try {
        const WaitCursor wait;
        documents().saveCopy(item->text(0), version.toInt(), target);
    } catch (const StoreError& error) {
        m_list.failed(error.message());
    }
}

void AttachmentsPanel::remove()
{
    const QTreeWidgetItem* item = m_list.selectedItem();
    if (!item) {
        m_list.nothingSelected();
        return;
    }
    if (!m_list.confirm(QStringLiteral("Warning you are about to delete the selected file")))
        return;
    const QVariant tag = item->data(0, RecordListView::TagRole);
    bool deleted = false;
    try {
        deleted = tag.isValid() && documents().remove(tag.toLongLong());
    } catch (const StoreError&) {
        deleted = false;
    }
    if (!deleted) {
        m_list.nothingSelected();
        return;
    }
    m_list.inform(QStringLiteral("Attachment deleted"));
    fill();
}

void AttachmentsPanel::reassign()
{
    const QTreeWidgetItem* item = m_list.selectedItem();
    if (!item) {
        m_list.nothingSelected();
        return;
    }
    if (!m_list.confirm(QStringLiteral("Warning you are about to reassign the selected file: ") + item->text(0)))
        return;
    const QVariant tag = item->data(0, RecordListView::TagRole);
    if (!tag.isValid()) {
        m_list.nothingSelected();
        return;
    }
    emit reassignRequested(tag.toLongLong());
}
