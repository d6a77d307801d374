#pragma once

#include <QString>
#include <QStringList>
#include <array>

class BenchOptions;
class BenchServer;
class ResultTable;

// Many small documents of one client, through the record window: dropped onto its list from
// a file manager until the refreshed list shows them all (against the same files copied to
// loose files and synced), the Attachments tab of that client opened cold and warm (against
// the bare engine reading the list's columns), and each document saved with Save As one at a
// time (against the loose files copied one at a time). With a server, the same again there,
// compared with the same on SQLite as well.
class ManyDocumentsCase
{
public:
    ManyDocumentsCase(const BenchOptions& options, const QString& root, ResultTable& table,
                      const BenchServer* server = nullptr);
    void run();

private:
    void runDrop();
    void runAttachmentsTab();
    void runSaveAs();

    QString folder(const QString& name, int round) const;
    QString app(int round) const;
    // A row of the pass on the server: its time beside the same on SQLite, no target.
    void addServerRow(const QString& name, double seconds, const QString& baseline, double baselineSeconds,
                      int sqliteFigure, const QString& peak);

    // The figures of the pass on SQLite the server's are compared with.
    enum SqliteFigure
    {
        Drop,
        TabCold,
        TabWarm,
        SaveEach
    };

    const BenchOptions& m_options;
    ResultTable& m_table;
    const BenchServer* m_server;
    const BenchServer* m_on = nullptr; // the pass on the server; null on SQLite
    std::array<double, 4> m_sqlite{};
    QString m_base;
    QStringList m_files; // the documents' names
    QStringList m_paths; // the files dropped
    double m_mib = 0;
    bool m_dropped = false; // the first round's database holds them all
};
