#pragma once

#include <QString>

// Opens a file with the desktop's default program for its type.
class FileOpener
{
public:
    virtual ~FileOpener() = default;
    // False when no program could be started for the file.
    virtual bool open(const QString& filePath) = 0;
    static FileOpener& instance();
};
