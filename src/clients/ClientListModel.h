#pragma once

#include "clients/ClientListRows.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

class Statement;

// The rows of the explorer's list: clients of a group (nine columns, each row tagged with its
// PersonalInformationId) or users of a group (five columns, no tag). The rows are kept as the
// engine returned them (ClientListRows); a cell becomes a QString only when the view asks for
// it, and the view asks only for the cells it shows.
//
// The model is filled either from one statement at once (fill()) or by whoever reads a long
// list in slices: show() puts the first rows in place of what was shown, append() adds the
// following ones after them, so the rows already shown keep their places while the rest come.
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
    // Shows `columns` and `rows` in place of what was shown.
    void show(const QList<Column>& columns, ClientListRows rows);
    // Adds `rows`, of the shape of those shown, after them. Throws StoreError, adding
    // nothing, when the list cannot hold them.
    void append(const ClientListRows& rows);

    // Shows `columns` and the rows of `statement`, which is bound and not yet stepped. Its
    // result columns are the fields of `columns` in order, preceded by the row's identifier
    // when `tagged`. `expectedRows`, when known, spares growing the storage. Throws
    // StoreError, leaving the model as it was, when reading fails.
    //
    // A long result shows its first screen at once: after its first rows the model shows them
    // and lets the view paint (user input waits), then reads the rest within the same call and
    // adds it. A fill(), show() or reset() made while the first screen is painted wins over the
    // fill that was running.
    void fill(const QList<Column>& columns, Statement& statement, bool tagged, qsizetype expectedRows = 0);

    const QList<Column>& columns() const { return m_columns; }
    bool isTagged() const { return m_rows.isTagged(); }
    // The row's identifier; 0 for an untagged row.
    qint64 id(int row) const { return m_rows.id(row); }
    QString text(int row, int column) const { return m_rows.text(row, column); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<Column> m_columns;
    ClientListRows m_rows;
    quint64 m_generation = 0; // counts the changes of content, so that a running fill sees it was overtaken
};
