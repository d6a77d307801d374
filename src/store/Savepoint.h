#pragma once

#include <QString>

class Database;

// A point inside the current transaction to which the work done since can be undone while
// the transaction goes on. A statement that may fail and whose failure is tolerated runs
// after one: some engines give up the whole transaction after any failed statement, unless
// the failure is undone back to a savepoint first.
//
// Undone (rolled back to and released) on destruction unless release() or rollback() was
// called. Savepoints nest as scopes do; each open one has a name of its own ("orvanta_1",
// "orvanta_2", … by nesting depth on the thread).
class Savepoint
{
public:
    // Throws StoreError when no transaction is open on `db`, or when the engine refuses.
    explicit Savepoint(const Database& db);
    ~Savepoint();

    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;
    Savepoint(Savepoint&&) = delete;
    Savepoint& operator=(Savepoint&&) = delete;

    // Keeps the work done since the savepoint as part of the transaction. Throws StoreError.
    void release();
    // Undoes the work done since the savepoint; the transaction goes on. Returns false when
    // there was nothing to go back to: the engine had given up the whole transaction after a
    // failure, so nothing done in it can be kept.
    bool rollback();

    QString name() const { return m_name; }

private:
    void finish();

    const Database& m_db;
    QString m_name;
    bool m_done = false;
};
