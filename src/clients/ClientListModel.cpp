#include "clients/ClientListModel.h"

#include "store/Statement.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <utility>

namespace {

// Rows read before a long list is first shown: more than any screen holds.
constexpr qsizetype FirstScreenRows = 256;

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
    show(columns, ClientListRows());
}

void ClientListModel::show(const QList<Column>& columns, ClientListRows rows)
{
    ++m_generation;
    beginResetModel();
    m_columns = columns;
    m_rows = std::move(rows);
    endResetModel();
}

void ClientListModel::append(const ClientListRows& rows)
{
    if (rows.rowCount() == 0)
        return;
    ++m_generation;
    m_rows.checkRoomFor(rows); // before the view is told of rows that would not come
    const int first = m_rows.rowCount();
    beginInsertRows(QModelIndex(), first, first + rows.rowCount() - 1);
    m_rows.append(rows);
    endInsertRows();
}

void ClientListModel::fill(const QList<Column>& columns, Statement& statement, bool tagged, qsizetype expectedRows)
{
    ClientListRows rows(static_cast<int>(columns.size()), tagged);
    rows.reserve(expectedRows);

    // What the model showed before, kept while the first screen is shown ahead of the rest.
    QList<Column> previousColumns;
    ClientListRows previousRows;
    bool published = false;
    const quint64 generation = ++m_generation;

    try {
        while (statement.step()) {
            rows.appendRow(statement);
            if (rows.rowCount() == FirstScreenRows && QCoreApplication::instance()) {
                // A long list: show its first screen now and read the rest afterwards.
                beginResetModel();
                previousColumns = std::exchange(m_columns, columns);
                previousRows = std::exchange(m_rows, rows);
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
            m_rows = std::move(previousRows);
            endResetModel();
        }
        throw;
    }
    rows.squeeze();

    if (published) {
        // The rows shown so far are the first of these; the rest are added after them.
        const int shown = m_rows.rowCount();
        const bool inserting = rows.rowCount() > shown;
        if (inserting)
            beginInsertRows(QModelIndex(), shown, rows.rowCount() - 1);
        m_rows = std::move(rows);
        if (inserting)
            endInsertRows();
        return;
    }
    beginResetModel();
    m_columns = columns;
    m_rows = std::move(rows);
    endResetModel();
}

int ClientListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.rowCount();
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
