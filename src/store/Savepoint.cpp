#include "store/Savepoint.h"

#include "store/Database.h"
#include "store/StoreError.h"

namespace {

// Savepoints open on this thread; a connection belongs to one thread at a time, so the depth
// gives every open savepoint of a connection a name of its own.
thread_local int openSavepoints = 0;

} // namespace

Savepoint::Savepoint(const Database& db) : m_db(db)
{
    // Outside a transaction a savepoint would begin one on some engines and be refused on others.
    if (!m_db.inTransaction())
        throw StoreError(QStringLiteral("A savepoint can only be set inside a transaction"));
    m_name = QStringLiteral("orvanta_") + QString::number(openSavepoints + 1);
    m_db.executeScript(QStringLiteral("SAVEPOINT ") + m_name);
    ++openSavepoints;
}

Savepoint::~Savepoint()
{
    if (!m_done)
        rollback();
}

void Savepoint::release()
{
    if (m_done)
        return;
    m_db.executeScript(QStringLiteral("RELEASE SAVEPOINT ") + m_name);
    finish();
}

bool Savepoint::rollback()
{
    if (m_done)
        return true;
    finish();
    try {
        m_db.executeScript(QStringLiteral("ROLLBACK TO SAVEPOINT ") + m_name);
        m_db.executeScript(QStringLiteral("RELEASE SAVEPOINT ") + m_name);
        return true;
    } catch (const StoreError&) {
        // The savepoint went with the transaction the engine gave up.
        return false;
    }
}

void Savepoint::finish()
{
    m_done = true;
    --openSavepoints;
}
