#pragma once

#include "store/ClientId.h"

#include <QString>
#include <QStringList>
#include <vector>

// What the document search offers to narrow a search, without its window: every client, and
// every file type among the stored documents.
class SearchChoices
{
public:
    struct Client
    {
        ClientId id = NoClient;
        QString text; // first, middle and last name, two blanks between each
    };

    // Every client, active or not, in the order they were entered.
    static std::vector<Client> clients();
    // A Null part counts as empty text, so the blanks stay.
    static QString listText(const QString& firstName, const QString& middleName, const QString& lastName);

    // The file types (AttachmentExtension) of the stored documents, each once, in the order in
    // which the first document of each type was stored. Documents without a type add none.
    static QStringList fileTypes();
};
