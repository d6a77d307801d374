#include "clients/ImportFileError.h"

ImportFileError::ImportFileError(qint64 line, const QString& message)
    : std::runtime_error(message.toStdString()), m_line(line), m_message(message)
{
}
