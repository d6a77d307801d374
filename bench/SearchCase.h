#pragma once

#include <QString>

class BenchOptions;
class ResultTable;

// The content search over stored documents against ripgrep and grep over the same
// documents as files.
class SearchCase
{
public:
    SearchCase(const BenchOptions& options, const QString& root, ResultTable& table);
    void run();

private:
    const BenchOptions& m_options;
    QString m_root;
    ResultTable& m_table;
};
