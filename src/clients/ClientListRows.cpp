#include "clients/ClientListRows.h"

#include "store/Statement.h"
#include "store/StoreError.h"

#include <limits>
#include <numeric>

namespace {

// Room reserved per cell when the row count is known; the buffer grows beyond it as needed.
constexpr qsizetype ExpectedCellBytes = 10;

} // namespace

ClientListRows::ClientListRows(int width, bool tagged) : m_width(width), m_tagged(tagged) {}

void ClientListRows::reserve(qsizetype rows)
{
    if (rows <= 0)
        return;
    const auto cells = static_cast<size_t>(rows) * static_cast<size_t>(m_width);
    m_ends.reserve(cells);
    m_null.reserve(cells);
    // Rows already read tell how long the others are likely to be, give or take an eighth.
    const qsizetype text =
        m_rows > 0 ? m_text.size() / m_rows * rows / 8 * 9 : static_cast<qsizetype>(cells) * ExpectedCellBytes;
    m_text.reserve(text);
    if (m_tagged)
        m_ids.reserve(static_cast<size_t>(rows));
    if (!m_order.empty())
        m_order.reserve(static_cast<size_t>(rows));
}

void ClientListRows::checkRoom(qsizetype rows, qsizetype bytes) const
{
    if (rows > std::numeric_limits<int>::max() - m_rows)
        throw StoreError(QStringLiteral("The list cannot hold more rows"));
    if (bytes > static_cast<qsizetype>(std::numeric_limits<std::uint32_t>::max()) - m_text.size())
        throw StoreError(QStringLiteral("The list cannot hold more text"));
}

void ClientListRows::appendRow(const Statement& statement)
{
    checkRoom(1, 0);
    const int first = m_tagged ? 1 : 0;
    if (m_tagged)
        m_ids.push_back(statement.value(0).toLongLong());
    // The cells stay UTF-8 as the engine returns them; text() decodes only what is shown.
    for (int c = first; c < first + m_width; ++c) {
        const QByteArrayView cell = statement.utf8(c);
        checkRoom(0, cell.size());
        m_text.append(cell);
        m_ends.push_back(static_cast<std::uint32_t>(m_text.size()));
        m_null.push_back(statement.isNull(c));
    }
    if (!m_order.empty())
        m_order.push_back(m_rows);
    ++m_rows;
}

void ClientListRows::append(const ClientListRows& other)
{
    if (other.m_rows == 0)
        return;
    checkRoomFor(other);
    // Other's rows keep their order after these, wherever either keeps them.
    if (!m_order.empty() || !other.m_order.empty()) {
        if (m_order.empty()) {
            m_order.resize(static_cast<size_t>(m_rows));
            std::iota(m_order.begin(), m_order.end(), 0);
        }
        m_order.reserve(m_order.size() + static_cast<size_t>(other.m_rows));
        for (int row = 0; row < other.m_rows; ++row)
            m_order.push_back(m_rows + static_cast<int>(other.stored(row)));
    }
    const auto offset = static_cast<std::uint32_t>(m_text.size());
    m_text.append(other.m_text);
    m_ends.reserve(m_ends.size() + other.m_ends.size());
    for (const std::uint32_t end : other.m_ends)
        m_ends.push_back(offset + end);
    m_null.insert(m_null.end(), other.m_null.begin(), other.m_null.end());
    m_ids.insert(m_ids.end(), other.m_ids.begin(), other.m_ids.end());
    m_rows += other.m_rows;
}

void ClientListRows::checkRoomFor(const ClientListRows& other) const
{
    checkRoom(other.m_rows, other.m_text.size());
}

void ClientListRows::squeeze()
{
    if (m_ends.capacity() > 2 * m_ends.size()) {
        m_ends.shrink_to_fit();
        m_null.shrink_to_fit();
        m_ids.shrink_to_fit();
        m_order.shrink_to_fit();
    }
    if (m_text.capacity() > 2 * m_text.size())
        m_text.squeeze();
}

void ClientListRows::reorder(const std::vector<int>& rows)
{
    std::vector<int> order;
    order.reserve(rows.size());
    for (const int row : rows)
        order.push_back(static_cast<int>(stored(row)));
    m_order = std::move(order);
}

size_t ClientListRows::stored(int row) const
{
    return m_order.empty() ? static_cast<size_t>(row) : static_cast<size_t>(m_order[static_cast<size_t>(row)]);
}

size_t ClientListRows::cell(int row, int column) const
{
    return stored(row) * static_cast<size_t>(m_width) + static_cast<size_t>(column);
}

qint64 ClientListRows::id(int row) const
{
    if (!m_tagged || row < 0 || row >= m_rows)
        return 0;
    return m_ids[stored(row)];
}

QByteArrayView ClientListRows::utf8(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_width)
        return {};
    const size_t at = cell(row, column);
    const std::uint32_t start = at == 0 ? 0 : m_ends[at - 1];
    return QByteArrayView(m_text.constData() + start, m_ends[at] - start);
}

QString ClientListRows::text(int row, int column) const
{
    return QString::fromUtf8(utf8(row, column));
}

bool ClientListRows::isNull(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_width)
        return true;
    return m_null[cell(row, column)];
}
