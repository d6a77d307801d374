#include "platform/RecordingTextPrinter.h"

bool RecordingTextPrinter::printLines(QWidget* parent, const QStringList& lines)
{
    Q_UNUSED(parent);
    m_jobs.append(lines);
    return m_result;
}
