#include "clients/ClientEvents.h"

#include "store/CLsDataBaseConnection.h"

std::vector<EventEntry> ClientEvents::list(ClientId clientId)
{
    CLsDataBaseConnection connection;
    Recordset rs = connection.CreateRecordset(
        QStringLiteral("SELECT MeetingInfo.MeetingDate, MeetingInfo.MeetingCatagory, MeetingInfo.MeetingType, "
                       "MeetingInfo.MeetingSubject, MeetingInfo.MeetingNotes, MeetingInfo.MeetingStartTime, "
                       "MeetingInfo.MeetingEndTime, MeetingInfo.MeetingEnteredDate "
                       "FROM \"Personal Information\" INNER JOIN MeetingInfo "
                       "ON \"Personal Information\".PersonalInformationId = MeetingInfo.PersonalInformationId "
                       "WHERE \"Personal Information\".PersonalInformationId = ?"),
        {clientId});
    std::vector<EventEntry> events;
    for (; !rs.eof(); rs.moveNext()) {
        EventEntry event;
        event.EventDate = rs.text(QStringLiteral("MeetingDate"));
        event.EventType = rs.text(QStringLiteral("MeetingType"));
        event.EventStartTime = rs.text(QStringLiteral("MeetingStartTime"));
        event.EventEndTime = rs.text(QStringLiteral("MeetingEndTime"));
        event.EventPurpose = rs.text(QStringLiteral("MeetingSubject"));
        event.EventCategory = rs.text(QStringLiteral("MeetingCatagory"));
        event.EventNotes = rs.text(QStringLiteral("MeetingNotes"));
        events.push_back(event);
    }
    rs.close();
    connection.DbClose();
    return events;
}
