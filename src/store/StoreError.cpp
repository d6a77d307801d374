#include "store/StoreError.h"

#include <sqlite3.h>

StoreError::StoreError(const QString& message, Kind kind)
    : std::runtime_error(message.toStdString()), m_message(message), m_kind(kind)
{
}

StoreError::Kind StoreError::kindOf(int resultCode)
{
    const int primary = resultCode & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED ? Kind::Busy : Kind::Failure;
}
