#include "store/StoreError.h"

StoreError::StoreError(const QString& message, Kind kind)
    : std::runtime_error(message.toStdString()), m_message(message), m_kind(kind)
{
}
