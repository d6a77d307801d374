#include "clients/ui/EventsPanel.h"

#include "clients/ClientEvents.h"
#include "clients/EventDuration.h"
#include "clients/EventTime.h"
#include "clients/ui/RecordListView.h"
#include "store/StoreError.h"

#include <QTreeWidget>

namespace {

constexpr int EventRole = Qt::UserRole + 2; // an event's position in the events listed

} // namespace

EventsPanel::EventsPanel(RecordListView& list) : QObject(list.window()), m_list(list)
{
    connect(m_list.view(), &QTreeWidget::itemDoubleClicked, this,
            [this](const QTreeWidgetItem* item) { itemDoubleClicked(item); });
}

void EventsPanel::fill()
{
    m_events.clear();
    m_list.startFilling(tab(),
                        {QStringLiteral("Event Date"), QStringLiteral("Event Type"), QStringLiteral("Start Time"),
                         QStringLiteral("End Time"), QStringLiteral("Duration (HH:MM:SS)"),
                         QStringLiteral("Event Purpose"), QStringLiteral("Event Category"),
                         QStringLiteral("Event Notes")},
                        {1500, 2500, 1500, 1500, 2200, 1500, 1500, 1500});
    try {
        m_events = ClientEvents::list(m_list.clientId());
    } catch (const StoreError& error) {
        m_list.fillFailed(error.message());
        return;
    }
    for (size_t i = 0; i < m_events.size(); ++i) {
        const EventEntry& event = m_events[i];
        auto* item = new QTreeWidgetItem(m_list.view());
        item->setData(0, EventRole, static_cast<qulonglong>(i));
        item->setText(0, RecordListView::shownDate(event.EventDate));
        item->setText(1, event.EventType);
        item->setText(2, EventTime::shownTime(event.EventStartTime));
        item->setText(3, EventTime::shownTime(event.EventEndTime));
        item->setText(4, EventDuration::text(event.EventStartTime, event.EventEndTime));
        item->setText(5, event.EventPurpose);
        item->setText(6, event.EventCategory);
        item->setText(7, event.EventNotes);
    }
}

void EventsPanel::add()
{
    emit addEventRequested();
}

void EventsPanel::itemDoubleClicked(const QTreeWidgetItem* item)
{
    // Attachments and resources open nothing on a double click.
    if (!m_list.shows(tab()) || !item)
        return;
    const QVariant position = item->data(0, EventRole);
    if (!position.isValid() || position.toULongLong() >= m_events.size())
        return;
    emit viewEventRequested(m_events[static_cast<size_t>(position.toULongLong())]);
}
