#pragma once

#include <cstdint>

// Wall-clock time on the monotonic clock, which every process of the machine shares.
class Stopwatch
{
public:
    Stopwatch();

    void restart();
    double seconds() const;

    // Nanoseconds on the monotonic clock, comparable between processes.
    static std::int64_t now();

private:
    std::int64_t m_start = 0;
};
