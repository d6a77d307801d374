#pragma once

#include <QtGlobal>

// One long-binary value of one row, opened for reading or writing in pieces.
class EngineBlob
{
public:
    virtual ~EngineBlob() = default;

    virtual qint64 size() const = 0;
    virtual void read(char* buffer, int length, qint64 offset) const = 0;
    virtual void write(const char* buffer, int length, qint64 offset) = 0;
};
