#pragma once

#include "store/ClientId.h"

#include <QString>
#include <vector>

// What the client picker offers and does, without its window: the active clients, and
// moving one stored attachment version to another client.
class ClientPicker
{
public:
    struct Client
    {
        qint64 id = 0;
        QString text; // last, middle and first name, one blank between each
    };

    // The clients whose Active flag is 1, in the order they were entered.
    static std::vector<Client> activeClients();
    // A Null part counts as empty text, so both blanks stay.
    static QString listText(const QString& lastName, const QString& middleName, const QString& firstName);

    // Gives the attachment row `attachmentId` (one version of a document) to `clientId`;
    // returns the number of rows changed.
    static int reassignAttachment(qint64 attachmentId, ClientId clientId);
};
