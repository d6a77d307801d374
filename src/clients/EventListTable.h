#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// One of the two short lists from which an event takes its type and its category:
// EventInfo or CategoryInfo. Only active rows are offered; renaming or deleting a row
// never touches the events already stored with its name.
class EventListTable
{
public:
    struct Row
    {
        qint64 key = 0;
        QString name; // empty when the stored name is Null
    };

    static EventListTable eventTypes();
    static EventListTable categories();

    // The active rows, in the order they were added.
    std::vector<Row> activeRows() const;
    QStringList activeNames() const;

    // Each runs one statement on a connection of its own; the name is bound as typed.
    qint64 add(const QString& name) const;
    void rename(qint64 key, const QString& name) const;
    void remove(qint64 key) const;

    QString table() const { return m_table; }

private:
    EventListTable(const QString& table, const QString& key, const QString& name, const QString& active);

    QString m_table;
    QString m_key;
    QString m_name;
    QString m_active;
};
