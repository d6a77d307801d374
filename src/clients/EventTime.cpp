#include "clients/EventTime.h"

#include "store/DateText.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace {

std::function<QDateTime()>& eventClock()
{
    static std::function<QDateTime()> current;
    return current;
}

// The locale's short date format reads two-digit years as 19xx; a typed "24" means the
// year nearest to now: no more than 20 years ahead, no more than 80 behind.
int nearestYear(int year)
{
    const int current = EventTime::now().date().year();
    int result = current - current % 100 + year % 100;
    if (result > current + 20)
        result -= 100;
    else if (result < current - 80)
        result += 100;
    return result;
}

// "yy" standing alone in a date format.
const QRegularExpression& twoDigitYear()
{
    static const QRegularExpression pattern(QStringLiteral("(?<!y)yy(?!y)"));
    return pattern;
}

// The short time format with seconds after the minutes, when it has none.
QString withSeconds(const QString& format)
{
    if (format.contains(QLatin1String("ss")))
        return format;
    QString result = format;
    const qsizetype minutes = result.indexOf(QLatin1String("mm"));
    if (minutes >= 0)
        result.insert(minutes + 2, QStringLiteral(":ss"));
    return result;
}

} // namespace

QDate EventTime::parseDate(const QString& text)
{
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return {};
    const QLocale locale;
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    if (twoDigitYear().match(format).hasMatch()) {
        // A four-digit year typed into a two-digit format is taken as written.
        QString fullYear = format;
        fullYear.replace(twoDigitYear(), QStringLiteral("yyyy"));
        const QDate written = locale.toDate(typed, fullYear);
        if (written.isValid())
            return written;
        const QDate shortYear = locale.toDate(typed, format);
        if (shortYear.isValid())
            return QDate(nearestYear(shortYear.year()), shortYear.month(), shortYear.day());
    } else {
        const QDate date = locale.toDate(typed, format);
        if (date.isValid())
            return date;
    }
    return QDate::fromString(typed, Qt::ISODate);
}

QTime EventTime::parseTime(const QString& text)
{
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return {};
    const QLocale locale;
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    for (const QString& candidate : {withSeconds(format), format}) {
        const QTime time = locale.toTime(typed, candidate);
        if (time.isValid())
            return time;
    }
    for (const QString& iso : {QStringLiteral("H:mm:ss"), QStringLiteral("H:mm")}) {
        const QTime time = QTime::fromString(typed, iso);
        if (time.isValid())
            return time;
    }
    return QTime::fromString(typed, Qt::ISODate);
}

QString EventTime::dateText(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

QString EventTime::timeText(const QTime& time)
{
    const QLocale locale;
    return locale.toString(time, withSeconds(locale.timeFormat(QLocale::ShortFormat)));
}

QString EventTime::shownDate(const QString& text)
{
    const QDate date = DateText::dateFromStored(text);
    return text.size() == 10 && date.isValid() ? dateText(date) : text;
}

QString EventTime::shownTime(const QString& text)
{
    const QTime time = DateText::timeFromStored(text);
    return time.isValid() ? timeText(time) : text;
}

QDateTime EventTime::now()
{
    return eventClock() ? eventClock()() : QDateTime::currentDateTime();
}

void EventTime::setClock(std::function<QDateTime()> clock)
{
    eventClock() = std::move(clock);
}
