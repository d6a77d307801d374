#include "Rounds.h"

#include "Stopwatch.h"

#include <algorithm>
#include <cstdio>

const QString Rounds::Seconds = QStringLiteral("seconds");

std::vector<Rounds::Result> Rounds::run(const std::vector<Side>& sides, int rounds)
{
    std::vector<Result> out(sides.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t turn = 0; turn < sides.size(); ++turn) {
            const size_t side = (turn + static_cast<size_t>(round)) % sides.size();
            if (!out[side].ok)
                continue;
            const ChildProcess::Outcome outcome =
                ChildProcess::run([&](const ChildProcess::Report& report) { sides[side].job(round, report); });
            if (!outcome.ok) {
                out[side].ok = false;
                out[side].error = outcome.error;
                std::fprintf(stderr, "    round %d, %s: FAILED: %s\n", round + 1, qPrintable(sides[side].name),
                             qPrintable(outcome.error));
                continue;
            }
            out[side].times.push_back(outcome.value(Seconds));
            std::fprintf(stderr, "    round %d, %s: %.3f s, %.0f MiB\n", round + 1, qPrintable(sides[side].name),
                         outcome.value(Seconds), outcome.peakMiB);
            out[side].peakMiB = std::max(out[side].peakMiB, outcome.peakMiB);
        }
    }
    for (Result& result : out)
        result.seconds = Stopwatch::median(result.times);
    return out;
}
