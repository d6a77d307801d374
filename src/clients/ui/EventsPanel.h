#pragma once

#include "clients/EventEntry.h"

#include <QObject>
#include <QString>
#include <vector>

class QTreeWidgetItem;
class RecordListView;

// The client's events on the record window's "Conferences/Meetings" tab: fills the list
// with one row per event and its duration, and asks for an event to be shown on a double
// click. The event dialog, which the window opens on request, adds and shows events.
class EventsPanel : public QObject
{
    Q_OBJECT

public:
    // The fixed tab whose list this is.
    static QString tab() { return QStringLiteral("Conferences/Meetings"); }

    explicit EventsPanel(RecordListView& list);

    // Fills the list with the client's events, in the order the database returns them.
    // A database failure is reported and leaves the list empty.
    void fill();
    // cmdEdit "Add Event": asks for an empty event dialog for this client.
    void add();

signals:
    void addEventRequested();
    // A double click on an event of the list: the event to show, dates and times as stored.
    void viewEventRequested(const EventEntry& event);

private:
    void itemDoubleClicked(const QTreeWidgetItem* item);

    RecordListView& m_list;
    // The events listed, in list order; an item carries its position here.
    std::vector<EventEntry> m_events;
};
