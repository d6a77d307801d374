#pragma once

#include <QString>

class BenchOptions;
class ResultTable;

// Start-up to the login window in a new folder.
class WindowCases
{
public:
    WindowCases(const BenchOptions& options, const QString& root, ResultTable& table);

    void runStartup();

    // The child side of the start-up case: starts as the program's main() does on `folder`,
    // prints "shown <monotonic ns> <peak KiB>" when the login window has been painted, and
    // ends. The notice of a new folder (only the built-in account exists) is answered at once.
    // `bare`: the baseline instead, an application that shows an empty window of the login's size.
    static int startupProbe(const QString& program, const QString& folder, bool bare);

private:
    const BenchOptions& m_options;
    QString m_root;
    ResultTable& m_table;
};
