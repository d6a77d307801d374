#pragma once

#include "clients/ClientField.h"

#include <QStringList>
#include <vector>

// The fields of a client that an import fills and an export writes.
class ClientFields
{
public:
    // The 16 text columns of Personal Information in table order, then the fields of every
    // designed tab shown for every client (TabInfo.PersonalInformationId null) whose table
    // exists, in the order the record window shows them. A field whose table lacks its column,
    // or that repeats a name of its tab, is left out. Throws StoreError.
    static std::vector<ClientField> all();

    // The text columns of Personal Information, in table order.
    static const QStringList& personalColumns();
};
