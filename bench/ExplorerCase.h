#pragma once

class BenchOptions;
class OfficeData;
class ResultTable;

// The client explorer at office scale, driven as a person drives it: the window opened on a
// cold file until its tree shows the groups, a click on the largest group until its first
// screen is painted, until the window takes input again and until the whole list is there,
// and a click on a column header the same. The rows shown are checked against the bare
// engine's, which runs the same statements on a file it built with its default settings and
// reads through memory maps: that is the baseline of each list.
class ExplorerCase
{
public:
    ExplorerCase(const BenchOptions& options, const OfficeData& office, ResultTable& table);
    void run();

private:
    const BenchOptions& m_options;
    const OfficeData& m_office;
    ResultTable& m_table;
};
