#include "clients/ui/ResourcesPanel.h"

#include "clients/ClientResources.h"
#include "clients/ui/RecordListView.h"
#include "platform/FileOpener.h"
#include "store/StoreError.h"
#include "widgets/WaitCursor.h"

#include <QAction>
#include <QMenu>
#include <QTreeWidget>

ResourcesPanel::ResourcesPanel(RecordListView& list) : QObject(list.window()), m_list(list)
{
    createMenu();
    connect(m_list.view(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { showMenu(position); });
}

void ResourcesPanel::createMenu()
{
    m_menu = new QMenu(QStringLiteral("Resource Options"), m_list.window());
    m_menu->setObjectName(QStringLiteral("MnuResourceOptions"));
    connect(RecordListView::addMenuAction(m_menu, QStringLiteral("mnuResourceVIew"), QStringLiteral("View")),
            &QAction::triggered, this, [this] { view(); });
    connect(RecordListView::addMenuAction(m_menu, QStringLiteral("mnuRemoveFromClient"),
                                          QStringLiteral("Remove from Client")),
            &QAction::triggered, this, [this] { removeFromClient(); });
}

void ResourcesPanel::showMenu(const QPoint& position)
{
    if (m_list.shows(tab()))
        m_menu->popup(m_list.view()->viewport()->mapToGlobal(position));
}

void ResourcesPanel::fill()
{
    m_list.startFilling(tab(), {QStringLiteral("Resource Name"), QStringLiteral("Resource Date")}, {});
    try {
        for (const ClientResources::Resource& row : ClientResources(m_list.clientId()).list()) {
            auto* item = new QTreeWidgetItem(m_list.view());
            item->setText(0, row.name);
            if (row.id != 0)
                item->setData(0, RecordListView::TagRole, row.id);
            item->setText(1, RecordListView::shownDate(row.date));
        }
    } catch (const StoreError& error) {
        m_list.fillFailed(error.message());
    }
}

void ResourcesPanel::assign()
{
    emit assignResourceRequested();
}

void ResourcesPanel::view()
{
    const QTreeWidgetItem* item = m_list.selectedItem();
    const QVariant tag = item ? item->data(0, RecordListView::TagRole) : QVariant();
    if (!tag.isValid()) {
        m_list.nothingSelected();
        return;
    }
    QString path;
    try {
        const WaitCursor wait;
        path = ClientResources::fetchForViewing(tag.toLongLong(), item->text(0));
    } catch (const StoreError& error) {
        m_list.failed(error.message());
        return;
    }
    FileOpener::instance().open(path);
}

void ResourcesPanel::removeFromClient()
{
    const QTreeWidgetItem* item = m_list.selectedItem();
    if (!item) {
        m_list.nothingSelected();
        return;
    }
    if (!m_list.confirm(QStringLiteral("Warning you are about to remove the selected file: ") + item->text(0)))
        return;
    const QVariant tag = item->data(0, RecordListView::TagRole);
    int removed = 0;
    try {
        removed = tag.isValid() ? ClientResources(m_list.clientId()).removeFromClient(tag.toLongLong()) : 0;
    } catch (const StoreError&) {
        removed = 0;
    }
    if (removed == 0) {
        m_list.nothingSelected();
        return;
    }
    m_list.inform(QStringLiteral("Resource Removed"));
    fill();
}
