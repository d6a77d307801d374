#pragma once

#include <QString>
#include <QStringList>

class BenchOptions;
class ResultTable;

// Many small documents of one client, through the record window: dropped onto its list from
// a file manager until the refreshed list shows them all (against the same files copied to
// loose files and synced), the Attachments tab of that client opened cold and warm (against
// the bare engine reading the list's columns), and each document saved with Save As one at a
// time (against the loose files copied one at a time).
class ManyDocumentsCase
{
public:
    ManyDocumentsCase(const BenchOptions& options, const QString& root, ResultTable& table);
    void run();

private:
    void runDrop();
    void runAttachmentsTab();
    void runSaveAs();

    QString folder(const QString& name, int round) const;
    QString app(int round) const;

    const BenchOptions& m_options;
    ResultTable& m_table;
    QString m_base;
    QStringList m_files; // the documents' names
    QStringList m_paths; // the files dropped
    double m_mib = 0;
    bool m_dropped = false; // the first round's database holds them all
};
