#pragma once

#include <QString>
#include <QtGlobal>

class BenchOptions;
class ResultTable;

// Clients brought in from another program: a CSV file of `--import-clients` clients (100,000 by
// default; German headers, quotes, separators and line breaks inside some fields, a designed
// tab's fields as further columns) read, its columns mapped by their names and every client
// stored, as the import does it (ClientImportFile::read, ImportMapping::guess, ClientImport::run),
// into a database that holds no client yet. The baseline is the bare engine inserting the same
// values with one prepared statement per table in one transaction.
class ImportCase
{
public:
    ImportCase(const BenchOptions& options, const QString& root, ResultTable& table);
    void run();

private:
    QString path(const QString& name) const;

    const BenchOptions& m_options;
    ResultTable& m_table;
    QString m_base;
};
