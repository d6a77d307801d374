#include "store/DateText.h"

#include <QLocale>

QString DateText::toStored(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

QString DateText::toStored(const QTime& time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QDate DateText::dateFromStored(const QString& text)
{
    return QDate::fromString(text.left(10), Qt::ISODate);
}

QTime DateText::timeFromStored(const QString& text)
{
    QTime time = QTime::fromString(text, QStringLiteral("HH:mm:ss"));
    if (!time.isValid())
        time = QTime::fromString(text, QStringLiteral("HH:mm"));
    return time;
}

QString DateText::display(const QString& stored)
{
    const QLocale locale;
    if (stored.size() == 10) {
        const QDate date = dateFromStored(stored);
        if (date.isValid())
            return locale.toString(date, QLocale::ShortFormat);
    }
    const QTime time = timeFromStored(stored);
    if (time.isValid())
        return locale.toString(time, QLocale::ShortFormat);
    return stored;
}
