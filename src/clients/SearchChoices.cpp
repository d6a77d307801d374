#include "clients/SearchChoices.h"

#include "store/CLsDataBaseConnection.h"

std::vector<SearchChoices::Client> SearchChoices::clients()
{
    CLsDataBaseConnection connection;
    Recordset rs = connection.CreateRecordset(
        QStringLiteral("SELECT \"First Name\", \"Middle Name\", \"Last Name\", PersonalInformationId "
                       "FROM \"Personal Information\" ORDER BY PersonalInformationId"));
    std::vector<Client> clients;
    for (; !rs.eof(); rs.moveNext()) {
        clients.push_back({rs.field(QStringLiteral("PersonalInformationId")).toLongLong(),
                           listText(rs.text(QStringLiteral("First Name")), rs.text(QStringLiteral("Middle Name")),
                                    rs.text(QStringLiteral("Last Name")))});
    }
    rs.close();
    connection.DbClose();
    return clients;
}

QString SearchChoices::listText(const QString& firstName, const QString& middleName, const QString& lastName)
{
    return firstName + QStringLiteral("  ") + middleName + QStringLiteral("  ") + lastName;
}

QStringList SearchChoices::fileTypes()
{
    CLsDataBaseConnection connection;
    Recordset rs = connection.CreateRecordset(
        QStringLiteral("SELECT AttachmentExtension FROM Attachments WHERE AttachmentExtension IS NOT NULL "
                       "GROUP BY AttachmentExtension ORDER BY min(AttachmentsId)"));
    QStringList types;
    for (; !rs.eof(); rs.moveNext())
        types.append(rs.text(QStringLiteral("AttachmentExtension")));
    rs.close();
    connection.DbClose();
    return types;
}
