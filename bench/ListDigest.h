#pragma once

#include <QByteArray>
#include <QtGlobal>

// Fingerprints of a list's rows, to compare the rows a window shows with those the bare
// engine returns without keeping either: the rows in their order, the rows in any order
// (for a sort whose ties may come in any order), and the sort key's values in their order.
// Each fits the 48 bits a measurement can send back exactly.
class ListDigest
{
public:
    void beginRow();
    void addCell(const QByteArray& utf8);
    void endRow();
    // The sort key's value of the current row.
    void addKey(const QByteArray& utf8);

    double ordered() const { return static_cast<double>(m_ordered & Mask); }
    double unordered() const { return static_cast<double>(m_unordered & Mask); }
    double keys() const { return static_cast<double>(m_keys & Mask); }
    qint64 rows() const { return m_rows; }

    // The fingerprint of one cell's text.
    static double cell(const QByteArray& utf8) { return static_cast<double>(mix(Start, utf8) & Mask); }

private:
    static constexpr quint64 Mask = (quint64(1) << 48) - 1;
    static constexpr quint64 Start = 14695981039346656037ULL;
    static quint64 mix(quint64 hash, const QByteArray& bytes);

    quint64 m_row = 0;
    quint64 m_ordered = 14695981039346656037ULL;
    quint64 m_unordered = 0;
    quint64 m_keys = 14695981039346656037ULL;
    qint64 m_rows = 0;
};
