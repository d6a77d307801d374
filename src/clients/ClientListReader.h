#pragma once

#include "clients/ClientListRows.h"
#include "clients/SortClause.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Statement.h"

#include <QString>
#include <optional>
#include <vector>

// Reads the active clients of one group for the explorer's list a slice at a time, each slice
// under a read lock of its own, so that between slices another copy of the program may write.
//
// The first slice takes the group's identifiers from the group's index, in the index's order
// (the order the engine lists the group in when unsorted), and reads the first rows; each
// further slice, larger than the first, reads the next rows by identifier. Within a slice the
// rows are looked up in the order they lie in the table, so that rows sharing a page of the
// file are read together, and returned in the list's order. A client that has left the group, been
// made inactive or been deleted by the time its turn comes is left out; one added to the group
// meanwhile waits for the next listing.
//
// Unsorted, or sorted by the grouping column, the rows come in their final order slice by
// slice. Sorted by any other column, the order is known only when every row is read: the
// slices are gathered and the last one returns them all, sorted as the engine's ORDER BY
// would (nulls first, the name columns without regard to case, equal values in the index's
// order).
class ClientListReader
{
public:
    static constexpr int DefaultSliceRows = 1000;
    // Slices after the first hold this many times the first's rows: the larger a slice, the
    // more of its rows share the pages read for it.
    static constexpr int LaterSliceFactor = 16;

    // Throws StoreError when `sort` orders by a column the list does not show.
    ClientListReader(bool byCompany, const QString& group, const SortClause& sort, int sliceRows = DefaultSliceRows);

    ClientListReader(const ClientListReader&) = delete;
    ClientListReader& operator=(const ClientListReader&) = delete;

    // True when each slice's rows can be shown as they come, after those of the slices before.
    bool readsInOrder() const;
    bool atEnd() const;
    // The rows the listing holds at most: the group's clients when the first slice was read.
    qsizetype rowsExpected() const { return static_cast<qsizetype>(m_ids.size()); }
    // Reads the next slice and returns the rows to show now: the slice's rows when reading in
    // order; otherwise none until the last slice, which returns every row in order. Throws
    // StoreError when the database cannot be read.
    ClientListRows next();

    // The position in ClientListModel::clientColumns() of the column `sort` orders by, -1
    // when unsorted. Throws StoreError for a key that names none of them.
    static int sortColumn(const SortClause& sort);

private:
    void readIds();
    size_t currentSliceRows() const;
    ClientListRows sorted();
    int compare(int left, int right) const;

    bool m_byCompany;
    QString m_pattern;
    int m_sortColumn;
    bool m_descending;
    bool m_caseless;
    int m_sliceRows;

    CLsDataBaseConnection m_connection;
    std::optional<Statement> m_row; // clients' rows by identifier, reset after each slice
    int m_lookupBatch = 1;          // identifiers per lookup
    bool m_started = false;
    std::vector<qint64> m_ids;
    size_t m_next = 0;
    int m_slicesRead = 0;
    ClientListRows m_gathered; // the rows read so far when sorting after the last slice
};
