#include "store/ReadTransaction.h"

#include "store/Database.h"
#include "store/EngineConnection.h"

ReadTransaction::ReadTransaction(const Database& db) : m_db(db)
{
    m_db.engine().beginRead();
}

ReadTransaction::~ReadTransaction()
{
    try {
        // Nothing was written: ending it only releases the lock.
        m_db.engine().rollback();
    } catch (...) {
        // The engine ends a transaction itself after some errors; nothing is left to release.
    }
}
