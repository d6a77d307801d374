#include "clients/ClientListReader.h"

#include "clients/ClientGroups.h"
#include "clients/ClientListModel.h"
#include "store/Database.h"
#include "store/Identifier.h"
#include "store/ReadTransaction.h"
#include "store/StoreError.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <utility>

namespace {

// Clients looked up by one statement on a server, where each statement is a round trip; a
// file answers one identifier at a time faster than a list of them.
constexpr int ServerLookupBatch = 64;

// Column positions in ClientListModel::clientColumns().
constexpr int CompanyColumn = 0;
constexpr int LastNameColumn = 3;

// The client table declares its name columns COLLATE NOCASE; the others compare as bytes.
bool comparesWithoutCase(const QString& field)
{
    return field == QLatin1String("Company") || field == QLatin1String("First Name") ||
           field == QLatin1String("Middle Name") || field == QLatin1String("Last Name");
}

// The engine's NOCASE: A to Z compare as a to z, every other byte as itself.
unsigned char foldAscii(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

int compareText(QByteArrayView left, QByteArrayView right, bool caseless)
{
    const qsizetype common = std::min(left.size(), right.size());
    if (caseless) {
        for (qsizetype i = 0; i < common; ++i) {
            const int difference = foldAscii(left[i]) - foldAscii(right[i]);
            if (difference != 0)
                return difference;
        }
    } else if (common > 0) {
        const int difference = std::memcmp(left.data(), right.data(), static_cast<size_t>(common));
        if (difference != 0)
            return difference;
    }
    return left.size() < right.size() ? -1 : (left.size() > right.size() ? 1 : 0);
}

// Resets a statement when the slice ends however it ends, so that it holds no lock after it.
class ResetAtEnd
{
public:
    explicit ResetAtEnd(Statement& statement) : m_statement(statement) {}
    ~ResetAtEnd() { m_statement.reset(); }
    ResetAtEnd(const ResetAtEnd&) = delete;
    ResetAtEnd& operator=(const ResetAtEnd&) = delete;

private:
    Statement& m_statement;
};

} // namespace

ClientListReader::ClientListReader(bool byCompany, const QString& group, const SortClause& sort, int sliceRows)
    : m_byCompany(byCompany), m_pattern(ClientGroups::pattern(group)), m_sortColumn(sortColumn(sort)),
      m_descending(sort.order() == SortClause::Order::Descending),
      m_caseless(m_sortColumn >= 0 && comparesWithoutCase(ClientListModel::clientColumns().at(m_sortColumn).field)),
      m_sliceRows(std::max(1, sliceRows)), m_gathered(static_cast<int>(ClientListModel::clientColumns().size()), true)
{
}

int ClientListReader::sortColumn(const SortClause& sort)
{
    if (sort.isEmpty())
        return -1;
    const QList<ClientListModel::Column>& columns = ClientListModel::clientColumns();
    for (int i = 0; i < columns.size(); ++i) {
        if (quoteIdentifier(columns.at(i).field) == sort.key())
            return i;
    }
    throw StoreError(QStringLiteral("The client list cannot be sorted by %1").arg(sort.key()));
}

bool ClientListReader::readsInOrder() const
{
    return m_sortColumn < 0 || m_sortColumn == (m_byCompany ? CompanyColumn : LastNameColumn);
}

bool ClientListReader::atEnd() const
{
    return m_started && m_next >= m_ids.size();
}

void ClientListReader::readIds()
{
    Statement ids = m_connection.database().prepare(ClientGroups::clientIdStatement(m_byCompany));
    ids.bind(1, m_pattern);
    while (ids.step())
        m_ids.push_back(ids.value(0).toLongLong());
    // The index read backwards is the engine's order for the grouping column descending;
    // sorted by another column, equal values keep the index's order, ascending.
    if (m_sortColumn >= 0 && m_descending && readsInOrder())
        std::reverse(m_ids.begin(), m_ids.end());
    if (!readsInOrder())
        m_gathered.reserve(static_cast<qsizetype>(m_ids.size()));
}

size_t ClientListReader::currentSliceRows() const
{
    const auto first = static_cast<size_t>(m_sliceRows);
    return m_slicesRead == 0 ? first : first * LaterSliceFactor;
}

ClientListRows ClientListReader::next()
{
    const int width = static_cast<int>(ClientListModel::clientColumns().size());
    if (atEnd())
        return ClientListRows(width, true);

    ClientListRows slice(width, true);
    {
        const Database& db = m_connection.database();
        const ReadTransaction lock(db); // the identifiers and the first rows agree; released at the slice's end
        if (!m_started) {
            readIds();
            m_lookupBatch = db.isServer() ? ServerLookupBatch : 1;
            m_row.emplace(db.prepare(ClientGroups::clientRowsStatement(m_byCompany, m_lookupBatch)));
            m_row->bind(m_lookupBatch + 1, m_pattern);
            m_started = true;
        }
        const ResetAtEnd reset(*m_row);
        const size_t end = std::min(m_ids.size(), m_next + currentSliceRows());
        // Looked up by identifier, the order of the table's rows: neighbours share a page.
        std::vector<std::pair<qint64, int>> byId;
        byId.reserve(end - m_next);
        for (size_t i = m_next; i < end; ++i)
            byId.emplace_back(m_ids[i], static_cast<int>(i - m_next));
        std::sort(byId.begin(), byId.end());
        slice.reserve(static_cast<qsizetype>(byId.size()));
        std::vector<int> placeInList; // of each row read, its place in the list's order
        placeInList.reserve(byId.size());
        const auto batch = static_cast<size_t>(m_lookupBatch);
        for (size_t from = 0; from < byId.size(); from += batch) {
            const auto first = byId.begin() + static_cast<std::ptrdiff_t>(from);
            const auto last = byId.begin() + static_cast<std::ptrdiff_t>(std::min(byId.size(), from + batch));
            m_row->reset();
            // A short batch repeats its last identifier: one statement serves every batch.
            for (int k = 0; k < m_lookupBatch; ++k)
                m_row->bind(k + 1, (first + std::min<std::ptrdiff_t>(k, last - first - 1))->first);
            while (m_row->step()) {
                const qint64 id = m_row->value(0).toLongLong();
                const auto found =
                    std::lower_bound(first, last, id, [](const std::pair<qint64, int>& entry, qint64 wanted) {
                        return entry.first < wanted;
                    });
                if (found == last || found->first != id)
                    continue;
                slice.appendRow(*m_row);
                placeInList.push_back(found->second);
            }
        }
        m_next = end;
        ++m_slicesRead;
        std::vector<int> order(placeInList.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int left, int right) {
            return placeInList[static_cast<size_t>(left)] < placeInList[static_cast<size_t>(right)];
        });
        slice.reorder(order);
    }
    if (readsInOrder())
        return slice;
    m_gathered.append(slice);
    if (!atEnd())
        return ClientListRows(width, true);
    return sorted();
}

int ClientListReader::compare(int left, int right) const
{
    const bool leftNull = m_gathered.isNull(left, m_sortColumn);
    const bool rightNull = m_gathered.isNull(right, m_sortColumn);
    if (leftNull || rightNull)
        return (leftNull ? 0 : 1) - (rightNull ? 0 : 1);
    return compareText(m_gathered.utf8(left, m_sortColumn), m_gathered.utf8(right, m_sortColumn), m_caseless);
}

ClientListRows ClientListReader::sorted()
{
    // Stable, so that equal values keep the index's order, as the engine's sort keeps them.
    std::vector<int> order(static_cast<size_t>(m_gathered.rowCount()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int left, int right) {
        const int difference = compare(left, right);
        return m_descending ? difference > 0 : difference < 0;
    });
    // The gathered rows are handed over as they are kept, with their order beside them.
    m_gathered.reorder(order);
    return std::exchange(m_gathered, ClientListRows(m_gathered.width(), true));
}
