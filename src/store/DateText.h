#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// Dates and times are stored as ISO 8601 text and shown in the locale's short format.
class DateText
{
public:
    static QString toStored(const QDate& date); // YYYY-MM-DD
    static QString toStored(const QTime& time); // HH:MM:SS
    static QDate dateFromStored(const QString& text);
    static QTime timeFromStored(const QString& text);
    static QString display(const QString& stored); // a stored date or time in the short format; other text as is
};
