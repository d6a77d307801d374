#pragma once

#include "ChildProcess.h"

#include <QString>
#include <functional>
#include <vector>

// Alternating samples: each side of a comparison runs once per round, each time in a child
// process of its own, the sides taking turns at going first, so that neither always pays for
// what the other left behind (dirty pages, a busy disk). A side reports its time as
// "seconds"; the median over the rounds is compared.
class Rounds
{
public:
    using Job = std::function<void(int round, const ChildProcess::Report& report)>;
    struct Side
    {
        QString name; // shown with each round's time, so that the spread can be seen
        Job job;
    };
    struct Result
    {
        bool ok = true;
        QString error;
        double seconds = 0; // the median
        double peakMiB = 0; // the largest of the rounds
        std::vector<double> times;
    };

    static std::vector<Result> run(const std::vector<Side>& sides, int rounds);
    static const QString Seconds;
};
