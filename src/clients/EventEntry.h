#pragma once

#include "store/ClientId.h"

#include <QString>
#include <QStringList>

// One client event as the event dialog and the client picker carry it: seven texts as the
// user typed or chose them. Knows whether they can be stored, stores them as one row of
// MeetingInfo, and lays them out for printing.
class EventEntry
{
public:
    QString EventType;
    QString EventDate;
    QString EventCategory;
    QString EventPurpose;
    QString EventStartTime;
    QString EventEndTime;
    QString EventNotes;

    // Whether any of the seven texts is filled in.
    bool isEmpty() const;

    // The message for the first text that is missing: the start time, then the title;
    // empty when both are there.
    QString missingText() const;
    // The message for the first value that cannot be stored: no event type or category to
    // choose from, a date or time that is not one; empty when all can be stored.
    QString unreadableText() const;
    // missingText(), else unreadableText().
    QString problem() const;

    // Writes the event for `clientId`: dates and times as ISO text, an empty end time as
    // Null. Throws std::invalid_argument when problem() is not empty, StoreError when the
    // database fails.
    void store(ClientId clientId) const;

    // The printed note, one text per line: title, date, start and end time, "Notes:" and
    // the notes, with a blank line after each.
    QStringList printLines() const;
};
