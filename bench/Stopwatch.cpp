#include "Stopwatch.h"

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
