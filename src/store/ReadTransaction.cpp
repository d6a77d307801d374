#include "store/ReadTransaction.h"

#include "store/Database.h"

ReadTransaction::ReadTransaction(const Database& db) : m_db(db)
{
    m_db.executeScript(QStringLiteral("BEGIN"));
}

ReadTransaction::~ReadTransaction()
{
    try {
        // Nothing was written: ending it only releases the lock.
        m_db.executeScript(QStringLiteral("ROLLBACK"));
    } catch (...) {
        // The engine ends a transaction itself after some errors; nothing is left to release.
    }
}
