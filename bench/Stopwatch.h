#pragma once

#include <cstdint>
#include <vector>

// Wall-clock time on the monotonic clock, which every process of the machine shares.
class Stopwatch
{
public:
    Stopwatch();

    void restart();
    double seconds() const;

    // Nanoseconds on the monotonic clock, comparable between processes.
    static std::int64_t now();
    // The middle one of several timings (0 for none).
    static double median(std::vector<double> values);

private:
    std::int64_t m_start = 0;
};
