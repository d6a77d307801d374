#include "clients/ui/RecordListView.h"

#include "platform/MessageBox.h"
#include "store/DateText.h"
#include "widgets/Twips.h"

#include <QAction>
#include <QFrame>
#include <QHeaderView>
#include <QMenu>
#include <QTreeWidget>
#include <utility>

namespace {

const QString Title = QStringLiteral("Orvanta");

} // namespace

RecordListView::RecordListView(QWidget* window, QFrame* fieldFrame, std::function<ClientId()> clientId)
    : QObject(window), m_window(window), m_clientId(std::move(clientId))
{
    m_view = new QTreeWidget(fieldFrame);
    m_view->setObjectName(QStringLiteral("ListView1"));
    m_view->setAccessibleName(QStringLiteral("List"));
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setGeometry(Twips::rect(120, 240, 13695, 6135));
    // The panels offer their own menus and take dropped files.
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_view->setAcceptDrops(true);
    m_view->viewport()->setAcceptDrops(true);
    m_view->hide();
}

void RecordListView::startFilling(const QString& tab, const QStringList& headers, const QList<double>& widths)
{
    m_view->clear();
    m_view->setColumnCount(static_cast<int>(headers.size()));
    m_view->setHeaderLabels(headers);
    for (int column = 0; column < headers.size(); ++column) {
        if (column < widths.size())
            m_view->setColumnWidth(column, Twips::toPixelsX(widths.at(column)));
        else
            m_view->header()->resizeSection(column, m_view->header()->defaultSectionSize());
    }
    m_shown = tab;
    emit filling(tab);
}

void RecordListView::fillFailed(const QString& message)
{
    m_view->clear();
    failed(message);
}

QTreeWidgetItem* RecordListView::selectedItem() const
{
    const QList<QTreeWidgetItem*> selected = m_view->selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

void RecordListView::nothingSelected() const
{
    inform(QStringLiteral("Nothing selected"));
}

void RecordListView::failed(const QString& message) const
{
    MessageBox::inform(m_window, Title, message, MessageBox::Critical);
}

bool RecordListView::confirm(const QString& warning) const
{
    return MessageBox::ask(m_window, Title, warning + QLatin1Char('\n') + QStringLiteral("Do you want to continue"),
                           MessageBox::YesNo, MessageBox::NoIcon) == MessageBox::Yes;
}

void RecordListView::inform(const QString& done) const
{
    MessageBox::inform(m_window, Title, done, MessageBox::Information);
}

QAction* RecordListView::addMenuAction(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QString RecordListView::shownDate(const QString& stored)
{
    return stored.isEmpty() ? QString() : DateText::display(stored);
}
