#pragma once

#include <QString>
#include <array>

class BenchOptions;
class BenchServer;
class ResultTable;

// One large document, stored and fetched through the windows a person uses: the record
// window's Upload button, its Save As and View, and View from the search dialog's results.
// Storing is compared with cp + fsync and with dd writing past the page cache (the disk's
// own speed); fetching with cp from the page cache. Three alternating samples each.
//
// With a server, the same again on PostgreSQL, compared with cp as well, with the times on
// SQLite and with psql's \lo_import and \lo_export of the same file.
class LargeDocumentCase
{
public:
    LargeDocumentCase(const BenchOptions& options, const QString& root, ResultTable& table,
                      const BenchServer* server = nullptr);
    void run();

private:
    void runOn(const BenchServer* server);
    // Compares the program's time on the server with its time on SQLite and with psql's.
    void addServerRows(const QString& name, double seconds, int sqliteSide, double psql, const QString& psqlWork);

    const BenchOptions& m_options;
    QString m_root;
    ResultTable& m_table;
    const BenchServer* m_server;
    QString m_base;
    QString m_source;
    // The program's times on SQLite: Upload, then the three fetches.
    std::array<double, 4> m_sqlite{};
};
