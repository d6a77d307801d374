#pragma once

#include <QString>

// The order of the explorer's list: empty, or " ORDER BY <key> ASC NULLS FIRST" /
// " DESC NULLS LAST" (Null counts as the smallest value). A click on a column header sorts by
// that column ascending; each further click on the same column toggles the direction. The
// clause lives as long as its window and outlasts changes of group and grouping.
class SortClause
{
public:
    enum class Order
    {
        Ascending,
        Descending
    };

    // A click on the header whose sort key is `key`, a quoted column name. Returns the new order.
    Order click(const QString& key);

    bool isEmpty() const { return m_key.isEmpty(); }
    QString key() const { return m_key; }
    Order order() const { return m_order; }
    // The text appended to the list's statement.
    QString text() const;

    // "Client Information : Currently the list is sorted by the field <header> in ascending order".
    static QString caption(const QString& header, Order order);

private:
    QString m_key;
    Order m_order = Order::Ascending;
};
