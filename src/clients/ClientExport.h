#pragma once

#include "clients/ClientField.h"
#include "store/ClientId.h"

#include <QByteArray>
#include <QStringList>
#include <vector>

// Clients written out of the database: their values by field, and as a CSV file.
class ClientExport
{
public:
    // Every active client's id in the explorer's default order (Last Name, First Name).
    static std::vector<ClientId> activeClients();
    // The clients `ids`, in this order, with every field of `fields` (empty for Null, for a
    // client without a row in a designed tab's table, and for an id that names no client).
    // Reads each table with one statement. Throws StoreError.
    static std::vector<QStringList> read(const std::vector<ClientId>& ids, const std::vector<ClientField>& fields);
    // CSV: the labels of ClientFields::all() as the header (designed fields as further
    // columns), then one row per client. Throws StoreError.
    static QByteArray toCsv(const std::vector<ClientId>& ids);
};
