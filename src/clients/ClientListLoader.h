#pragma once

#include "clients/ClientListRows.h"
#include "clients/SortClause.h"

#include <QObject>
#include <QTimer>
#include <memory>

class ClientListModel;
class ClientListReader;

// Fills the explorer's list with the clients of a group a slice at a time, one slice per turn
// of the event loop, so that the window keeps taking clicks and keys while a long list comes
// and another copy of the program may write between slices (see ClientListReader).
//
// The first slice is read and shown within start(), in place of the rows shown before; the
// following rows are added after it in growing batches. A listing sorted by a column other
// than the grouping column shows its rows when the last slice is read; until then the rows
// shown before stay. A new start() or stop() ends the listing that runs: nothing of it is
// added afterwards.
class ClientListLoader : public QObject
{
    Q_OBJECT

public:
    explicit ClientListLoader(ClientListModel* model, QObject* parent = nullptr);
    ~ClientListLoader() override;

    // Rows read per slice (at least 1); applies to listings started afterwards.
    void setSliceRows(int rows);
    int sliceRows() const { return m_sliceRows; }

    // Lists the active clients of `group` in `sort` order. Throws StoreError, ending the
    // listing and leaving the model as it was, when the first slice cannot be read.
    void start(bool byCompany, const QString& group, const SortClause& sort);
    void stop();
    bool isRunning() const { return m_reader != nullptr; }

signals:
    // A later slice could not be read; the listing has ended and the model holds what came.
    void failed(const QString& message);
    // The last slice is shown.
    void finished();

private:
    // Reads and shows one slice; throws StoreError.
    void readSlice();
    // The same for a slice read from the event loop, which reports a failure by failed().
    void readNextSlice();

    ClientListModel* m_model;
    std::unique_ptr<ClientListReader> m_reader;
    bool m_shown = false;     // the running listing's rows have replaced those shown before
    ClientListRows m_pending; // read, to be added to those shown
    int m_sliceRows;
    QTimer m_next;
};
