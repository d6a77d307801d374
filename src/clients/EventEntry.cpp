#include "clients/EventEntry.h"

#include "clients/EventTime.h"
#include "store/CLsDataBaseConnection.h"
#include "store/DateText.h"

#include <QRegularExpression>
#include <stdexcept>

namespace {

QString notADate(const QString& field, const QString& text)
{
    return QStringLiteral("The %1 \"%2\" is not a date.").arg(field, text);
}

QString notATime(const QString& field, const QString& text)
{
    return QStringLiteral("The %1 \"%2\" is not a time.").arg(field, text);
}

} // namespace

bool EventEntry::isEmpty() const
{
    for (const QString* text :
         {&EventType, &EventDate, &EventCategory, &EventPurpose, &EventStartTime, &EventEndTime, &EventNotes}) {
        if (!text->isEmpty())
            return false;
    }
    return true;
}

QString EventEntry::missingText() const
{
    if (EventStartTime.isEmpty())
        return QStringLiteral("Invalid start time");
    if (EventPurpose.isEmpty())
        return QStringLiteral("Invalid event title");
    return {};
}

QString EventEntry::unreadableText() const
{
    if (EventType.isEmpty())
        return QStringLiteral("There is no event type to choose. Add one with \"View Edit Events and Categories\".");
    if (EventCategory.isEmpty())
        return QStringLiteral("There is no category to choose. Add one with \"View Edit Events and Categories\".");
    if (!EventTime::parseDate(EventDate).isValid())
        return notADate(QStringLiteral("Event Date"), EventDate);
    if (!EventTime::parseTime(EventStartTime).isValid())
        return notATime(QStringLiteral("Start Time"), EventStartTime);
    if (!EventEndTime.isEmpty() && !EventTime::parseTime(EventEndTime).isValid())
        return notATime(QStringLiteral("End Time"), EventEndTime);
    return {};
}

QString EventEntry::problem() const
{
    const QString missing = missingText();
    return missing.isEmpty() ? unreadableText() : missing;
}

void EventEntry::store(ClientId clientId) const
{
    const QString reason = problem();
    if (!reason.isEmpty())
        throw std::invalid_argument(reason.toStdString());

    const QVariant endTime =
        EventEndTime.isEmpty() ? QVariant() : QVariant(DateText::toStored(EventTime::parseTime(EventEndTime)));
    CLsDataBaseConnection connection;
    Recordset meetings = connection.CreateRecordset(QStringLiteral("select * from MeetingInfo where 1 = 0"));
    meetings.addNew();
    meetings.setField(QStringLiteral("PersonalInformationId"), clientId);
    meetings.setField(QStringLiteral("MeetingDate"), DateText::toStored(EventTime::parseDate(EventDate)));
    meetings.setField(QStringLiteral("MeetingType"), EventType);
    meetings.setField(QStringLiteral("MeetingCatagory"), EventCategory);
    meetings.setField(QStringLiteral("MeetingSubject"), EventPurpose);
    meetings.setField(QStringLiteral("MeetingStartTime"), DateText::toStored(EventTime::parseTime(EventStartTime)));
    meetings.setField(QStringLiteral("MeetingEndTime"), endTime);
    meetings.setField(QStringLiteral("MeetingNotes"), EventNotes);
    meetings.update();
    meetings.close();
    connection.DbClose();
}

QStringList EventEntry::printLines() const
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines{EventPurpose,
                      QString(),
                      QStringLiteral("Date : ") + EventDate,
                      QString(),
                      QStringLiteral("Start Time : ") + EventStartTime + QStringLiteral("\t\tEnd Time : ") +
                          EventEndTime,
                      QString(),
                      QStringLiteral("Notes:"),
                      QString()};
    lines += EventNotes.split(lineBreak);
    return lines;
}
