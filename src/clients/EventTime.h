#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <functional>

// Dates and times of client events as the user types and reads them: the locale's short
// formats (times always with seconds, so a duration is exact) or ISO 8601. Everything
// stored goes through DateText's ISO text.
class EventTime
{
public:
    // The date or time a typed text names; invalid when the text is neither the locale's
    // short format nor ISO 8601. Times are read with or without seconds.
    static QDate parseDate(const QString& text);
    static QTime parseTime(const QString& text);

    // A date or time as the event dialog shows it.
    static QString dateText(const QDate& date);
    static QString timeText(const QTime& time);

    // A stored (ISO) date or time in the shown form; any other text is returned as it is.
    static QString shownDate(const QString& text);
    static QString shownTime(const QString& text);

    // The current date and time. Tests replace the clock; an empty function restores the system's.
    static QDateTime now();
    static void setClock(std::function<QDateTime()> clock);
};
