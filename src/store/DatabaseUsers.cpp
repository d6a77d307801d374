#include "store/DatabaseUsers.h"

#include "store/DatabaseLocation.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

DatabaseUsers* g_thisProgram = nullptr;

// Each opening is a lock of its own (flock locks belong to the open file, not the process),
// so two holders in one process see each other as two copies of the program would.
int openLockFile(const QString& databasePath)
{
    const QString path = DatabaseUsers::lockPath(databasePath);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        throw StoreError(QStringLiteral("Cannot open %1: %2")
                             .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno))));
    return fd;
}

bool lock(int fd, int operation)
{
    int rc;
    do {
        rc = ::flock(fd, operation);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

} // namespace

DatabaseUsers::DatabaseUsers(const QString& databasePath) : m_databasePath(databasePath)
{
    if (DatabaseLocation::isServer(databasePath))
        return;
    m_fd = openLockFile(databasePath);
    // A shared lock waits only for a restore or compaction under way elsewhere.
    lock(m_fd, LOCK_SH);
}

DatabaseUsers::~DatabaseUsers()
{
    if (g_thisProgram == this)
        g_thisProgram = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
}

DatabaseUsers* DatabaseUsers::ofThisProgram()
{
    return g_thisProgram;
}

void DatabaseUsers::setOfThisProgram(DatabaseUsers* users)
{
    g_thisProgram = users;
}

QString DatabaseUsers::lockPath(const QString& databasePath)
{
    return databasePath + QStringLiteral(".users");
}

DatabaseUsers::Exclusive::Exclusive(const QString& databasePath)
{
    if (DatabaseLocation::isServer(databasePath))
        return;
    DatabaseUsers* own = DatabaseUsers::ofThisProgram();
    if (own && own->m_fd >= 0 && QDir::cleanPath(own->m_databasePath) == QDir::cleanPath(databasePath)) {
        // Changing a shared lock into an exclusive one is not atomic: for a moment this copy
        // holds none, which is harmless, as it only ever gives the lock up to look.
        m_users = own;
        m_acquired = lock(own->m_fd, LOCK_EX | LOCK_NB);
        if (!m_acquired)
            lock(own->m_fd, LOCK_SH);
        return;
    }
    m_fd = openLockFile(databasePath);
    m_acquired = lock(m_fd, LOCK_EX | LOCK_NB);
}

DatabaseUsers::Exclusive::~Exclusive()
{
    if (m_users && m_acquired)
        lock(m_users->m_fd, LOCK_SH);
    if (m_fd >= 0)
        ::close(m_fd);
}
