#include "ListDigest.h"

quint64 ListDigest::mix(quint64 hash, const QByteArray& bytes)
{
    // FNV-1a, with a separator after the bytes so that cells cannot run into each other.
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ULL;
    }
    hash ^= 0x1f;
    hash *= 1099511628211ULL;
    return hash;
}

void ListDigest::beginRow()
{
    m_row = 14695981039346656037ULL;
}

void ListDigest::addCell(const QByteArray& utf8)
{
    m_row = mix(m_row, utf8);
}

void ListDigest::endRow()
{
    // A final scramble, so that the sum of the rows' hashes does not cancel out.
    quint64 z = m_row + 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    m_ordered = mix(m_ordered, QByteArray::number(z));
    m_unordered += z;
    ++m_rows;
}

void ListDigest::addKey(const QByteArray& utf8)
{
    m_keys = mix(m_keys, utf8);
}
