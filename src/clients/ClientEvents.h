#pragma once

#include "store/ClientId.h"

#include "clients/EventEntry.h"

#include <vector>

// One client's events as the record window lists them, in the order the database returns
// them, each as the seven texts an event carries (dates and times as stored).
class ClientEvents
{
public:
    // Database failures throw StoreError.
    static std::vector<EventEntry> list(ClientId clientId);
};
