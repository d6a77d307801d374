#include "clients/EventListTable.h"

#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"

namespace {

// The stored form of an active row's flag.
constexpr int Active = 1;

} // namespace

EventListTable::EventListTable(const QString& table, const QString& key, const QString& name, const QString& active)
    : m_table(table), m_key(key), m_name(name), m_active(active)
{
}

EventListTable EventListTable::eventTypes()
{
    return EventListTable(QStringLiteral("EventInfo"), QStringLiteral("EventId"), QStringLiteral("EventName"),
                          QStringLiteral("EventActive"));
}

EventListTable EventListTable::categories()
{
    return EventListTable(QStringLiteral("CategoryInfo"), QStringLiteral("CategoryId"), QStringLiteral("CategoryName"),
                          QStringLiteral("CategoryActive"));
}

std::vector<EventListTable::Row> EventListTable::activeRows() const
{
    std::vector<Row> rows;
    CLsDataBaseConnection connection;
    Recordset recordset = connection.CreateRecordset(
        QStringLiteral("select * from %1 where %2 = ? order by %3").arg(m_table, m_active, m_key), {Active});
    for (; !recordset.eof(); recordset.moveNext())
        rows.push_back(Row{recordset.field(m_key).toLongLong(), recordset.text(m_name)});
    recordset.close();
    connection.DbClose();
    return rows;
}

QStringList EventListTable::activeNames() const
{
    QStringList names;
    for (const Row& row : activeRows())
        names.append(row.name);
    return names;
}

qint64 EventListTable::add(const QString& name) const
{
    CLsDataBaseConnection connection;
    connection.Execute(QStringLiteral("insert into %1 (%2, %3) values (?, ?)").arg(m_table, m_name, m_active),
                       {name, Active});
    const qint64 key = connection.database().lastInsertRowId();
    connection.DbClose();
    return key;
}

void EventListTable::rename(qint64 key, const QString& name) const
{
    CLsDataBaseConnection connection;
    connection.Execute(QStringLiteral("update %1 set %2 = ? where %3 = ?").arg(m_table, m_name, m_key), {name, key});
    connection.DbClose();
}

void EventListTable::remove(qint64 key) const
{
    CLsDataBaseConnection connection;
    connection.Execute(QStringLiteral("delete from %1 where %2 = ?").arg(m_table, m_key), {key});
    connection.DbClose();
}
