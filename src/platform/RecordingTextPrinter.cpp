#include "platform/RecordingTextPrinter.h"

bool RecordingTextPrinter::printLines(QWidget* parent, const QStringList& lines)
{
    Q_UNUSED(parent);
    m_jobs.append(lines);
    return m_result;
}

QString RecordingTextPrinter::printLinesToPdf(const QString& title, const QStringList& lines, const QString& path)
{
    m_pdfJobs.append(PdfJob{title, lines, path});
    return m_pdfFailure;
}
