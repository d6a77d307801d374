#include "clients/SortClause.h"

SortClause::Order SortClause::click(const QString& key)
{
    if (key != m_key) {
        m_key = key;
        m_order = Order::Ascending;
    } else {
        m_order = m_order == Order::Descending ? Order::Ascending : Order::Descending;
    }
    return m_order;
}

QString SortClause::text() const
{
    if (m_key.isEmpty())
        return {};
    // Empty values (Null) come first ascending and last descending, written out so that every
    // engine places them alike.
    return QStringLiteral(" ORDER BY ") + m_key +
           (m_order == Order::Ascending ? QStringLiteral(" ASC NULLS FIRST") : QStringLiteral(" DESC NULLS LAST"));
}

QString SortClause::caption(const QString& header, Order order)
{
    return QStringLiteral("Client Information") + QStringLiteral(" : Currently the list is sorted by the field ") +
           header +
           (order == Order::Ascending ? QStringLiteral(" in ascending order") : QStringLiteral(" in descending order"));
}
