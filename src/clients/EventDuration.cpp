#include "clients/EventDuration.h"

#include "store/DateText.h"

#include <QTime>

QString EventDuration::text(const QString& startTime, const QString& endTime)
{
    if (startTime.isEmpty() || endTime.isEmpty())
        return QString();
    const QTime start = DateText::timeFromStored(startTime);
    const QTime end = DateText::timeFromStored(endTime);
    if (!start.isValid() || !end.isValid())
        return QString();
    return text(start.secsTo(end));
}

QString EventDuration::text(qint64 seconds)
{
    const qint64 total = seconds < 0 ? -seconds : seconds;
    const qint64 minutes = total / 60;
    const auto twoDigits = [](qint64 value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); };
    const QString shown =
        twoDigits(minutes / 60) + QLatin1Char(':') + twoDigits(minutes % 60) + QLatin1Char(':') + twoDigits(total % 60);
    return seconds < 0 ? QLatin1Char('-') + shown : shown;
}
