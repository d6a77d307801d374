#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

class Statement;

// Rows of the explorer's list as the engine returns them: the cells' UTF-8 text in one buffer
// with the position where each cell ends (a client row costs its text and 44 bytes), whether
// each cell was null, and the row's identifier when the rows are tagged. No QString or
// QVariant is built while reading: a cell becomes a QString only when it is shown. Rows put
// in another order keep their storage and note the order (4 bytes a row), so that a sorted
// list of a large group never holds its text twice.
class ClientListRows
{
public:
    ClientListRows() = default;
    // Rows of `width` cells, preceded in the statement's result by an identifier when `tagged`.
    ClientListRows(int width, bool tagged);

    // Room for `rows` rows in all, so that a read of a known count does not grow the storage;
    // their text is reckoned from the rows already held, if any.
    void reserve(qsizetype rows);
    // Adds the current row of `statement`, whose result columns are the identifier (when
    // tagged) and then the cells in order. Throws StoreError when the list cannot hold more.
    void appendRow(const Statement& statement);
    // Adds the rows of `other`, which has the same width and tagging, after these. Throws
    // StoreError, adding nothing, when the list cannot hold them.
    void append(const ClientListRows& other);
    // Throws StoreError when append(other) would fail for lack of room.
    void checkRoomFor(const ClientListRows& other) const;
    // Gives back room reserved for rows that did not come.
    void squeeze();

    // Puts the rows in the order of `rows`, a permutation of 0 .. rowCount() - 1: row r
    // becomes what row rows[r] was.
    void reorder(const std::vector<int>& rows);

    int rowCount() const { return m_rows; }
    int width() const { return m_width; }
    bool isTagged() const { return m_tagged; }
    // The row's identifier; 0 when untagged or out of range.
    qint64 id(int row) const;
    QString text(int row, int column) const;
    QByteArrayView utf8(int row, int column) const;
    bool isNull(int row, int column) const;

private:
    // Where the row is kept in the buffers.
    size_t stored(int row) const;
    size_t cell(int row, int column) const;
    void checkRoom(qsizetype rows, qsizetype bytes) const;

    int m_width = 0;
    bool m_tagged = false;
    int m_rows = 0;
    QByteArray m_text;                 // the cells' UTF-8 text, row by row
    std::vector<std::uint32_t> m_ends; // where each cell's text ends in m_text
    std::vector<bool> m_null;          // one per cell
    std::vector<qint64> m_ids;         // one per row when tagged, in the buffers' order
    std::vector<int> m_order;          // empty, or where each row is kept: see reorder()
};
