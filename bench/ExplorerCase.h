#pragma once

#include "ChildProcess.h"

#include <QString>
#include <functional>

class BenchOptions;
class OfficeData;
class ResultTable;

// The client explorer at office scale, driven as a person drives it: the window opened on a
// cold file until its tree shows the groups, a click on the largest group until its first
// screen is painted, until the window takes input again and until the whole list is there,
// and a click on a column header the same. The rows shown are checked against the bare
// engine's, which runs the same statements on a file it built with its default settings and
// reads through memory maps: that is the baseline of each list. With a server, the same on
// the office's copy there, compared with the window on SQLite and with psql reading the lists.
class ExplorerCase
{
public:
    ExplorerCase(const BenchOptions& options, const OfficeData& office, ResultTable& table);
    void run();

private:
    // The window in the application folder `app`, `makeCold` run before it opens.
    ChildProcess::Outcome measureWindow(const QString& app, const std::function<void()>& makeCold,
                                        const ChildProcess::Outcome& bare) const;
    // Whether the window was measured and showed the bare engine's rows; an error row when not.
    bool shownRight(const ChildProcess::Outcome& window, const ChildProcess::Outcome& bare, const QString& name);
    void addServerRows(const ChildProcess::Outcome& bare, const ChildProcess::Outcome& sqlite);

    const BenchOptions& m_options;
    const OfficeData& m_office;
    ResultTable& m_table;
};
