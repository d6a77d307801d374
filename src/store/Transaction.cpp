#include "store/Transaction.h"

#include "store/Database.h"

Transaction::Transaction(const Database& db) : m_db(db)
{
    m_db.executeScript(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction()
{
    if (!m_done) {
        try {
            m_db.executeScript(QStringLiteral("ROLLBACK"));
        } catch (...) {
            // The engine may already have rolled back after an error; nothing is left to undo.
        }
    }
}

void Transaction::commit()
{
    m_db.executeScript(QStringLiteral("COMMIT"));
    m_done = true;
}
