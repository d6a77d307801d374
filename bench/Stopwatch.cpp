#include "Stopwatch.h"

#include <algorithm>
#include <chrono>

Stopwatch::Stopwatch() : m_start(now()) {}

void Stopwatch::restart()
{
    m_start = now();
}

double Stopwatch::seconds() const
{
    return static_cast<double>(now() - m_start) / 1e9;
}

std::int64_t Stopwatch::now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double Stopwatch::median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}
