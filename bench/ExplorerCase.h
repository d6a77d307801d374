#pragma once

#include <QString>

class BenchOptions;
class ResultTable;

// The explorer at office scale: the tree's group counts and the largest group's list, each
// against the same SQL run through the bare SQLite library, and the time until the first
// screen of the list is painted.
class ExplorerCase
{
public:
    ExplorerCase(const BenchOptions& options, const QString& root, ResultTable& table);
    void run();

private:
    const BenchOptions& m_options;
    QString m_root;
    ResultTable& m_table;
};
