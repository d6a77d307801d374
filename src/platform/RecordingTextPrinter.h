#pragma once

#include "platform/TextPrinter.h"

#include <QList>

// Test double: keeps every print job's lines instead of printing.
class RecordingTextPrinter : public TextPrinter
{
public:
    bool printLines(QWidget* parent, const QStringList& lines) override;

    void setResult(bool result) { m_result = result; }
    const QList<QStringList>& jobs() const { return m_jobs; }

private:
    bool m_result = true;
    QList<QStringList> m_jobs;
};
