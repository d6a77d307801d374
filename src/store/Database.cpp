#include "store/Database.h"

#include "store/DatabaseLocation.h"
#include "store/EngineConnection.h"
#include "store/EngineStatement.h"
#include "store/PgConnection.h"
#include "store/PgConnectionPool.h"
#include "store/SqliteConnection.h"
#include "store/Statement.h"
#include "store/StoreError.h"

#include <atomic>

namespace {
// A second copy of the program waits this long for the database before giving up.
constexpr int DefaultBusyTimeoutMs = 10000;
std::atomic<int> busyTimeoutMs{DefaultBusyTimeoutMs};
// Statements kept prepared; past this many the cache starts again, so one-off statements
// (the designer's, say) cannot pile up.
constexpr size_t CacheLimit = 64;
} // namespace

// A cached statement in use: reset and its values cleared when the call is done, however it
// ends, so that it holds no lock and no bound value until the next call.
class Database::CachedUse
{
public:
    explicit CachedUse(Statement& statement) : m_statement(statement) {}
    ~CachedUse()
    {
        m_statement.reset();
        m_statement.clearBindings();
    }
    CachedUse(const CachedUse&) = delete;
    CachedUse& operator=(const CachedUse&) = delete;

private:
    Statement& m_statement;
};

Database::Database(const QString& location, bool create)
    : m_path(location), m_server(DatabaseLocation::isServer(location))
{
    if (m_server)
        m_engine = PgConnectionPool::connect(location, busyTimeoutMs.load());
    else
        m_engine = std::make_shared<SqliteConnection>(location, create, busyTimeoutMs.load());
}

void Database::setBusyTimeout(int milliseconds)
{
    busyTimeoutMs.store(milliseconds < 0 ? DefaultBusyTimeoutMs : milliseconds);
}

int Database::busyTimeout()
{
    return busyTimeoutMs.load();
}

Database::~Database()
{
    m_cache.clear();
}

Statement Database::prepare(const QString& sql) const
{
    return Statement(m_engine->prepare(sql));
}

Statement& Database::cached(const QString& sql) const
{
    const auto found = m_cache.find(sql);
    if (found != m_cache.end())
        return *found->second;
    if (m_cache.size() >= CacheLimit)
        m_cache.clear();
    auto statement = std::make_unique<Statement>(m_engine->prepare(sql));
    return *m_cache.emplace(sql, std::move(statement)).first->second;
}

int Database::execute(const QString& sql, const QVariantList& params) const
{
    Statement& statement = cached(sql);
    const CachedUse use(statement); // clears the bindings before `params` goes
    statement.bindAllBorrowed(params);
    while (statement.step()) {
    }
    return m_engine->changes();
}

void Database::executeScript(const QString& sql) const
{
    m_engine->executeScript(sql);
}

QVariant Database::scalar(const QString& sql, const QVariantList& params) const
{
    Statement& statement = cached(sql);
    const CachedUse use(statement); // clears the bindings before `params` goes
    statement.bindAllBorrowed(params);
    if (!statement.step())
        return {};
    return statement.value(0);
}

qint64 Database::lastInsertRowId() const
{
    return m_engine->lastInsertRowId();
}

qint64 Database::maxValueLength() const
{
    return m_engine->maxValueLength();
}

bool Database::inTransaction() const
{
    return m_engine->inTransaction();
}

QString Database::displayName() const
{
    return m_engine->displayName();
}

QString Database::lastErrorMessage() const
{
    return m_engine->lastErrorMessage();
}
