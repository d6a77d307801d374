#pragma once

#include <QString>

class BenchOptions;
class ResultTable;

// One large document, stored and fetched through the windows a person uses: the record
// window's Upload button, its Save As and View, and View from the search dialog's results.
// Storing is compared with cp + fsync and with dd writing past the page cache (the disk's
// own speed); fetching with cp from the page cache. Three alternating samples each.
class LargeDocumentCase
{
public:
    LargeDocumentCase(const BenchOptions& options, const QString& root, ResultTable& table);
    void run();

private:
    const BenchOptions& m_options;
    QString m_root;
    ResultTable& m_table;
};
