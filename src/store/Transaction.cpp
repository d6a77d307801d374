#include "store/Transaction.h"

#include "store/Database.h"
#include "store/EngineConnection.h"

Transaction::Transaction(const Database& db) : m_db(db)
{
    m_db.engine().beginWrite();
}

Transaction::~Transaction()
{
    if (!m_done) {
        try {
            m_db.engine().rollback();
        } catch (...) {
            // The engine may already have rolled back after an error; nothing is left to undo.
        }
    }
}

void Transaction::commit()
{
    m_db.engine().commit();
    m_done = true;
}
