#include "clients/ClientPicker.h"

#include "store/CLsDataBaseConnection.h"

std::vector<ClientPicker::Client> ClientPicker::activeClients()
{
    std::vector<Client> clients;
    CLsDataBaseConnection connection;
    Recordset recordset = connection.CreateRecordset(
        QStringLiteral("select * from \"Personal Information\" where Active = ? order by PersonalInformationId"), {1});
    for (; !recordset.eof(); recordset.moveNext()) {
        clients.push_back(
            Client{recordset.field(QStringLiteral("PersonalInformationId")).toLongLong(),
                   listText(recordset.text(QStringLiteral("Last Name")), recordset.text(QStringLiteral("Middle Name")),
                            recordset.text(QStringLiteral("First Name")))});
    }
    recordset.close();
    connection.DbClose();
    return clients;
}

QString ClientPicker::listText(const QString& lastName, const QString& middleName, const QString& firstName)
{
    return lastName + QLatin1Char(' ') + middleName + QLatin1Char(' ') + firstName;
}

int ClientPicker::reassignAttachment(qint64 attachmentId, ClientId clientId)
{
    CLsDataBaseConnection connection;
    const int changed =
        connection.Execute(QStringLiteral("update Attachments set PersonalInformationId = ? where AttachmentsId = ?"),
                           {clientId, attachmentId});
    connection.DbClose();
    return changed;
}
