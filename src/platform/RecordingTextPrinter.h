#pragma once

#include "platform/TextPrinter.h"

#include <QList>

// Test double: keeps every print job's lines, and every PDF file asked for, instead of
// printing or writing.
class RecordingTextPrinter : public TextPrinter
{
public:
    struct PdfJob
    {
        QString title;
        QStringList lines;
        QString path;
    };

    bool printLines(QWidget* parent, const QStringList& lines) override;
    QString printLinesToPdf(const QString& title, const QStringList& lines, const QString& path) override;

    void setResult(bool result) { m_result = result; }
    // The reason every later PDF file fails with; empty: they succeed.
    void setPdfFailure(const QString& reason) { m_pdfFailure = reason; }
    const QList<QStringList>& jobs() const { return m_jobs; }
    const QList<PdfJob>& pdfJobs() const { return m_pdfJobs; }

private:
    bool m_result = true;
    QString m_pdfFailure;
    QList<QStringList> m_jobs;
    QList<PdfJob> m_pdfJobs;
};
