#pragma once

#include "store/ClientId.h"

#include <QString>
#include <vector>

// The library documents assigned to one client, as the record window lists and handles
// them. Every operation opens its own connection and closes it again; database and file
// failures throw StoreError.
class ClientResources
{
public:
    struct Resource
    {
        qint64 id = 0;  // DocumentId; 0 when the row has no document
        QString name;   // DocumentName; empty when Null
        QString date;   // DocumentDate as stored; empty when Null
        QString folder; // the library folder's text
    };

    explicit ClientResources(ClientId clientId);

    // One row per assignment. The query starts from the client's own row, so a client
    // without assignments yields one row without a document.
    std::vector<Resource> list() const;

    // Writes the library document `documentId` into Temp under the last component of
    // `shownName`, readable and writable by the owner alone; returns the path.
    static QString fetchForViewing(qint64 documentId, const QString& shownName);

    // Takes the document off the client's list; the library keeps it. Returns the number of
    // assignments removed.
    int removeFromClient(qint64 documentId) const;

private:
    ClientId m_clientId = NoClient;
};
