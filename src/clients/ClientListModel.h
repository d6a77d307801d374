#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <vector>

class Statement;

// The rows of the explorer's list: clients of a group (nine columns, each row tagged with its
// PersonalInformationId) or users of a group (five columns, no tag).
//
// All rows of a result are read at once into one buffer of the cells' UTF-8 text, as the
// engine returns it, with the position where each cell ends (a client row costs its text and
// 44 bytes). No QString or QVariant is built while filling: a cell becomes a QString only
// when the view asks for it, and the view asks only for the cells it shows.
//
// A long result (a group of 100,000 clients takes a third of a second to read from the
// engine alone) shows its first screen at once: after its first rows the model shows them
// and lets the view paint (user input waits), then reads the rest within the same call and
// adds it. When fill() returns the whole result is there, so the list, its sort and its double
// click never work on a partial result.
class ClientListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // A column: its header text and the table column it shows, which is also its sort key.
    struct Column
    {
        QString header;
        QString field;
    };

    static const QList<Column>& clientColumns();
    static const QList<Column>& userColumns();

    explicit ClientListModel(QObject* parent = nullptr);

    // Shows `columns` without rows.
    void reset(const QList<Column>& columns);
    // Shows `columns` and the rows of `statement`, which is bound and not yet stepped. Its
    // result columns are the fields of `columns` in order, preceded by the row's identifier
    // when `tagged`. `expectedRows`, when known, spares growing the storage. Throws
    // StoreError, leaving the model as it was, when reading fails. A fill() or reset() made
    // while the first screen of a long result is painted wins over the fill that was running.
    void fill(const QList<Column>& columns, Statement& statement, bool tagged, qsizetype expectedRows = 0);

    const QList<Column>& columns() const { return m_columns; }
    bool isTagged() const { return m_tagged; }
    // The row's identifier; 0 for an untagged row.
    qint64 id(int row) const;
    QString text(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<Column> m_columns;
    bool m_tagged = false;
    QByteArray m_text;                 // the cells' UTF-8 text, row by row
    std::vector<std::uint32_t> m_ends; // where each cell's text ends in m_text
    std::vector<qint64> m_ids;         // one per row when tagged
    int m_rows = 0;
    quint64 m_generation = 0; // counts fills and resets, so that a running fill sees it was overtaken
};
