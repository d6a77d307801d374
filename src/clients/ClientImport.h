#pragma once

#include "clients/ClientField.h"
#include "clients/ImportTable.h"
#include "store/WorkProgress.h"

#include <QString>
#include <QStringList>
#include <vector>

// The clients of an imported table, as the chosen mapping of its columns makes them, and their
// storing as new clients.
class ClientImport
{
public:
    struct Skip
    {
        qint64 line;
        QString reason;
    };

    // mapping: for each column of `table`, the index into `fields` it fills or -1 (as
    // ImportMapping::guess gives it).
    ClientImport(ImportTable table, std::vector<ClientField> fields, std::vector<int> mapping);

    const std::vector<ClientField>& fields() const { return m_fields; }
    const ImportTable& table() const { return m_table; }
    const std::vector<int>& mapping() const { return m_mapping; }

    // The values row `row` (index into table().rows) gives each field (fields().size() entries,
    // empty where no column maps), trimmed, as they will be stored. Where two columns map to one
    // field, the first that holds a value gives it.
    QStringList valuesOf(int row) const;

    // Rows that will not be stored and why: a row whose mapped cells are all empty, a row with
    // neither a last name, a first name nor a company.
    std::vector<Skip> skipped() const;
    int importableCount() const;
    void setMapping(std::vector<int> mapping);

    // Stores every row not skipped as a new active client, with a row in a designed tab's table
    // where a field of that tab has a value, all in one transaction. progress(done, total) is
    // told every 500 clients; when it returns false nothing is stored and a cancelled StoreError
    // is thrown. Returns the number of clients stored. Throws StoreError.
    int run(const WorkProgress& progress);

    static constexpr int ProgressStep = 500;

private:
    void findSkipped();
    int personalField(const char* column) const;

    ImportTable m_table;
    std::vector<ClientField> m_fields;
    std::vector<int> m_mapping;
    std::vector<Skip> m_skipped;
    std::vector<bool> m_skip; // by row
};
