#pragma once

#include <QString>

// The length of a client event as the event list shows it, "HH:MM:SS", from the event's
// start and end time of day.
class EventDuration
{
public:
    // From two stored times ("HH:MM:SS" or "HH:MM"). Empty when either is missing or is not
    // a time: an event without an end time has no duration.
    static QString text(const QString& startTime, const QString& endTime);
    // From a number of seconds: hours, minutes and seconds, two digits each. An end time
    // before the start time gives a negative count, written with one leading minus sign.
    static QString text(qint64 seconds);
};
