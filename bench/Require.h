#pragma once

#include "store/StoreError.h"

#include <QString>

// Ends a measurement with `message` when `condition` does not hold: a wrong result is reported
// as an error, never timed.
inline void require(bool condition, const QString& message)
{
    if (!condition)
        throw StoreError(message);
}
