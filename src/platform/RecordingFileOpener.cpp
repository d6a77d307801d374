#include "platform/RecordingFileOpener.h"

bool RecordingFileOpener::open(const QString& filePath)
{
    m_opened.append(filePath);
    return m_result;
}
