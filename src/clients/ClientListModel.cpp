#include "clients/ClientListModel.h"

#include "store/Statement.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <limits>
#include <utility>

namespace {

// Rows read before a long list is first shown: more than any screen holds.
constexpr qsizetype FirstScreenRows = 256;

// Room reserved per cell when the row count is known; the buffer grows beyond it as needed.
constexpr qsizetype ExpectedCellBytes = 10;

ClientListModel::Column column(const char* header, const char* field)
{
    return {QString::fromLatin1(header), QString::fromLatin1(field)};
}

} // namespace

const QList<ClientListModel::Column>& ClientListModel::clientColumns()
{
    static const QList<Column> columns = {
        column("Company Name", "Company"),         column("First Name", "First Name"),
        column("Middle Name", "Middle Name"),      column("Last Name", "Last Name"),
        column("Address", "Address One"),          column("City", "City"),
        column("Home Phone", "Home Phone Number"), column("Work Phone", "Work Phone Number"),
        column("Cell Phone", "Cell Phone Number"),
    };
    return columns;
}

const QList<ClientListModel::Column>& ClientListModel::userColumns()
{
    static const QList<Column> columns = {
        column("First Name", "UserFirstName"), column("Middle Name", "UserMiddleName"),
        column("Last Name", "UserLastName"),   column("User Name", "UserName"),
        column("User Level", "UserLevel"),
    };
    return columns;
}

ClientListModel::ClientListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ClientListModel::reset(const QList<Column>& columns)
{
    ++m_generation;
    beginResetModel();
    m_columns = columns;
    m_tagged = false;
    m_text.clear();
    m_text.squeeze();
    m_ends.clear();
    m_ends.shrink_to_fit();
    m_ids.clear();
    m_ids.shrink_to_fit();
    m_rows = 0;
    endResetModel();
}

void ClientListModel::fill(const QList<Column>& columns, Statement& statement, bool tagged, qsizetype expectedRows)
{
    const qsizetype width = columns.size();
    const int first = tagged ? 1 : 0;
    QByteArray text;
    std::vector<std::uint32_t> ends;
    std::vector<qint64> ids;
    if (expectedRows > 0) {
        ends.reserve(static_cast<size_t>(expectedRows * width));
        text.reserve(expectedRows * width * ExpectedCellBytes);
        if (tagged)
            ids.reserve(static_cast<size_t>(expectedRows));
    }

    // What the model showed before, kept while the first screen is shown ahead of the rest.
    QList<Column> previousColumns;
    bool previousTagged = false;
    QByteArray previousText;
    std::vector<std::uint32_t> previousEnds;
    std::vector<qint64> previousIds;
    int previousRows = 0;
    bool published = false;
    const quint64 generation = ++m_generation;

    qsizetype rows = 0;
    try {
        while (statement.step()) {
            if (rows == std::numeric_limits<int>::max())
                throw StoreError(QStringLiteral("The list cannot hold more rows"));
            if (tagged)
                ids.push_back(statement.value(0).toLongLong());
            // The cells stay UTF-8 as the engine returns them; data() decodes only what is shown.
            for (int c = first; c < first + width; ++c) {
                const QByteArrayView cell = statement.utf8(c);
                if (text.size() + cell.size() > std::numeric_limits<std::uint32_t>::max())
                    throw StoreError(QStringLiteral("The list cannot hold more text"));
                text.append(cell);
                ends.push_back(static_cast<std::uint32_t>(text.size()));
            }
            ++rows;
            if (rows == FirstScreenRows && QCoreApplication::instance()) {
                // A long list: show its first screen now and read the rest afterwards.
                beginResetModel();
                previousColumns = std::exchange(m_columns, columns);
                previousTagged = std::exchange(m_tagged, tagged);
                previousText = std::exchange(m_text, text);
                previousEnds = std::exchange(m_ends, ends);
                previousIds = std::exchange(m_ids, ids);
                previousRows = std::exchange(m_rows, static_cast<int>(rows));
                endResetModel();
                published = true;
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                // Refilled or reset while the first screen was painted: the newer content stays.
                if (m_generation != generation)
                    return;
            }
        }
    } catch (const StoreError&) {
        if (published && m_generation == generation) {
            beginResetModel();
            m_columns = std::move(previousColumns);
            m_tagged = previousTagged;
            m_text = std::move(previousText);
            m_ends = std::move(previousEnds);
            m_ids = std::move(previousIds);
            m_rows = previousRows;
            endResetModel();
        }
        throw;
    }
    if (ends.capacity() > 2 * ends.size()) // the expected count was stale
        ends.shrink_to_fit();
    if (text.capacity() > 2 * text.size())
        text.squeeze();

    if (published) {
        // The rows shown so far are the first of these; the rest are added after them.
        if (rows > m_rows)
            beginInsertRows(QModelIndex(), m_rows, static_cast<int>(rows) - 1);
        const bool inserting = rows > m_rows;
        m_text = std::move(text);
        m_ends = std::move(ends);
        m_ids = std::move(ids);
        m_rows = static_cast<int>(rows);
        if (inserting)
            endInsertRows();
        return;
    }
    beginResetModel();
    m_columns = columns;
    m_tagged = tagged;
    m_text = std::move(text);
    m_ends = std::move(ends);
    m_ids = std::move(ids);
    m_rows = static_cast<int>(rows);
    endResetModel();
}

qint64 ClientListModel::id(int row) const
{
    if (!m_tagged || row < 0 || row >= m_rows)
        return 0;
    return m_ids[static_cast<size_t>(row)];
}

QString ClientListModel::text(int row, int column) const
{
    const int width = static_cast<int>(m_columns.size());
    if (row < 0 || row >= m_rows || column < 0 || column >= width)
        return {};
    const size_t cell = static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(column);
    const std::uint32_t start = cell == 0 ? 0 : m_ends[cell - 1];
    return QString::fromUtf8(m_text.constData() + start, m_ends[cell] - start);
}

int ClientListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int ClientListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant ClientListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return text(index.row(), index.column());
    return {};
}

QVariant ClientListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns.at(section).header;
    return {};
}
