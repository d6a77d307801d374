#pragma once

#include "platform/FileOpener.h"

#include <QStringList>

// Test double: records the files it was asked to open and reports success (or not).
class RecordingFileOpener : public FileOpener
{
public:
    bool open(const QString& filePath) override;

    void setResult(bool result) { m_result = result; }
    const QStringList& opened() const { return m_opened; }

private:
    bool m_result = true;
    QStringList m_opened;
};
