#include "store/PgConnectionPool.h"

#include "store/PgConnection.h"

#include <QDeadlineTimer>
#include <QTimeZone>
#include <atomic>
#include <mutex>
#include <vector>

namespace {

struct Idle
{
    QString key;
    std::unique_ptr<PgConnection> connection;
    QDeadlineTimer expires;
};

// Set when the process's static objects go: a connection let go after that is closed.
std::atomic<bool> poolGone{false};

struct Pool
{
    std::mutex mutex;
    std::vector<Idle> idle; // the newest last
    ~Pool() { poolGone = true; }
};

Pool& pool()
{
    static Pool instance;
    return instance;
}

// Connections are interchangeable when they were made alike: the same database, the same
// lock timeout and the same time zone set for the session.
QString keyOf(const QString& uri, int busyTimeoutMs)
{
    return uri + QLatin1Char('\n') + QString::number(busyTimeoutMs) + QLatin1Char('\n') +
           QString::fromUtf8(QTimeZone::systemTimeZoneId());
}

void giveBack(const QString& key, PgConnection* connection)
{
    std::unique_ptr<PgConnection> owned(connection);
    if (poolGone || !owned->reusable())
        return;
    Pool& kept = pool();
    const std::lock_guard<std::mutex> lock(kept.mutex);
    kept.idle.push_back({key, std::move(owned), QDeadlineTimer(PgConnectionPool::MaxIdleSeconds * 1000)});
    while (static_cast<int>(kept.idle.size()) > PgConnectionPool::MaxIdle)
        kept.idle.erase(kept.idle.begin());
}

std::unique_ptr<PgConnection> takeIdle(const QString& key)
{
    Pool& kept = pool();
    std::vector<std::unique_ptr<PgConnection>> stale; // closed outside the lock
    std::unique_ptr<PgConnection> found;
    {
        const std::lock_guard<std::mutex> lock(kept.mutex);
        for (auto it = kept.idle.begin(); it != kept.idle.end();) {
            if (it->expires.hasExpired()) {
                stale.push_back(std::move(it->connection));
                it = kept.idle.erase(it);
            } else {
                ++it;
            }
        }
        for (auto it = kept.idle.rbegin(); it != kept.idle.rend(); ++it) {
            if (it->key == key) {
                found = std::move(it->connection);
                kept.idle.erase(std::next(it).base());
                break;
            }
        }
    }
    return found;
}

} // namespace

std::shared_ptr<PgConnection> PgConnectionPool::connect(const QString& uri, int busyTimeoutMs)
{
    const QString key = keyOf(uri, busyTimeoutMs);
    std::unique_ptr<PgConnection> connection;
    while (std::unique_ptr<PgConnection> idle = takeIdle(key)) {
        // One that stopped working (the server restarted, the database went) is closed.
        if (idle->startReuse()) {
            connection = std::move(idle);
            break;
        }
    }
    if (!connection)
        connection = std::make_unique<PgConnection>(uri, busyTimeoutMs);
    return std::shared_ptr<PgConnection>(connection.release(), [key](PgConnection* used) { giveBack(key, used); });
}
