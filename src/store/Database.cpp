#include "store/Database.h"

#include "store/Statement.h"
#include "store/StoreError.h"

#include <atomic>
#include <sqlite3.h>

namespace {
// A second copy of the program waits this long for the file before giving up.
constexpr int DefaultBusyTimeoutMs = 10000;
std::atomic<int> busyTimeoutMs{DefaultBusyTimeoutMs};
// Statements kept prepared; past this many the cache starts again, so one-off statements
// (the designer's, say) cannot pile up.
constexpr size_t CacheLimit = 64;

// casefold(text): the text with every letter in lower case. The engine's own lower() and
// LIKE fold only A to Z, so "müller" would not find "MÜLLER".
void caseFold(sqlite3_context* context, int, sqlite3_value** values)
{
    if (sqlite3_value_type(values[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
    const QByteArray folded = QString::fromUtf8(text, sqlite3_value_bytes(values[0])).toLower().toUtf8();
    sqlite3_result_text64(context, folded.constData(), static_cast<sqlite3_uint64>(folded.size()), SQLITE_TRANSIENT,
                          SQLITE_UTF8);
}
} // namespace

// A cached statement in use: reset and its values cleared when the call is done, however it
// ends, so that it holds no lock and no bound value until the next call.
class Database::CachedUse
{
public:
    explicit CachedUse(Statement& statement) : m_statement(statement) {}
    ~CachedUse()
    {
        sqlite3_reset(m_statement.handle());
        sqlite3_clear_bindings(m_statement.handle());
    }
    CachedUse(const CachedUse&) = delete;
    CachedUse& operator=(const CachedUse&) = delete;

private:
    Statement& m_statement;
};

Database::Database(const QString& path, bool create) : m_path(path)
{
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw StoreError(QStringLiteral("Cannot open the database %1: %2").arg(path, message));
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, busyTimeoutMs.load());
    const int fold =
        sqlite3_create_function_v2(m_db, "casefold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                   caseFold, nullptr, nullptr, nullptr);
    if (fold != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw StoreError(QStringLiteral("Cannot open the database %1: %2").arg(path, message));
    }
}

void Database::setBusyTimeout(int milliseconds)
{
    busyTimeoutMs.store(milliseconds < 0 ? DefaultBusyTimeoutMs : milliseconds);
}

Database::~Database()
{
    m_cache.clear();
    // close_v2 defers the close until statements still alive are finalized.
    sqlite3_close_v2(m_db);
}

Statement Database::prepare(const QString& sql) const
{
    return Statement(m_db, sql);
}

Statement& Database::cached(const QString& sql) const
{
    const auto found = m_cache.find(sql);
    if (found != m_cache.end())
        return *found->second;
    if (m_cache.size() >= CacheLimit)
        m_cache.clear();
    auto statement = std::make_unique<Statement>(m_db, sql);
    return *m_cache.emplace(sql, std::move(statement)).first->second;
}

int Database::execute(const QString& sql, const QVariantList& params) const
{
    Statement& statement = cached(sql);
    const CachedUse use(statement); // clears the bindings before `params` goes
    statement.bindAllBorrowed(params);
    while (statement.step()) {
    }
    return sqlite3_changes(m_db);
}

void Database::executeScript(const QString& sql) const
{
    char* error = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
        sqlite3_free(error);
        throw StoreError(message, StoreError::kindOf(rc));
    }
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
    return sqlite3_last_insert_rowid(m_db);
}

qint64 Database::maxValueLength() const
{
    return sqlite3_limit(m_db, SQLITE_LIMIT_LENGTH, -1);
}

bool Database::inTransaction() const
{
    return sqlite3_get_autocommit(m_db) == 0;
}

void Database::check(int resultCode) const
{
    if (resultCode != SQLITE_OK && resultCode != SQLITE_ROW && resultCode != SQLITE_DONE)
        throw StoreError(lastErrorMessage(), StoreError::kindOf(resultCode));
}

QString Database::lastErrorMessage() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}
