#pragma once

#include "platform/FileOpener.h"

// Opens files through the desktop services.
class QtFileOpener : public FileOpener
{
public:
    bool open(const QString& filePath) override;
};
