#include "store/PrivateFiles.h"

#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A descriptor closed on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

void syncPath(const QString& path, int flags)
{
    const Descriptor fd(::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC));
    if (fd.get() < 0 || ::fsync(fd.get()) != 0)
        throw StoreError(QStringLiteral("Cannot write %1 to the disk: %2").arg(native(path), systemError()));
}

void syncFolderOf(const QString& path)
{
    syncPath(QFileInfo(path).absolutePath(), O_RDONLY | O_DIRECTORY);
}

} // namespace

void PrivateFiles::createEmpty(const QString& path)
{
    const Descriptor fd(::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    // The umask narrows the mode at creation only; set it exactly.
    if (fd.get() < 0 || ::fchmod(fd.get(), 0600) != 0)
        throw StoreError(QStringLiteral("Cannot create the file %1: %2").arg(native(path), systemError()));
}

void PrivateFiles::ensureFolder(const QString& path)
{
    const QString folder = QDir::cleanPath(QDir(path).absolutePath());
    if (QFileInfo(folder).isDir())
        return; // a folder the user keeps, whose mode is the user's
    // Each folder made here is private from its first moment, the parents made on the way too.
    const QString parent = QFileInfo(folder).absolutePath();
    if (parent != folder)
        ensureFolder(parent);
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        throw StoreError(QStringLiteral("Cannot create the folder %1: %2").arg(native(folder), systemError()));
    if (::chmod(QFile::encodeName(folder).constData(), 0700) != 0)
        throw StoreError(QStringLiteral("Cannot make the folder %1 private: %2").arg(native(folder), systemError()));
}

void PrivateFiles::sync(const QString& path)
{
    syncPath(path, O_RDONLY);
    syncFolderOf(path);
}

void PrivateFiles::replace(const QString& from, const QString& to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw StoreError(QStringLiteral("Cannot rename %1 to %2: %3").arg(native(from), native(to), systemError()));
    syncFolderOf(to);
}

void PrivateFiles::keepAs(const QString& from, const QString& to)
{
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) {
        syncFolderOf(to);
        return;
    }
    if (errno == EEXIST)
        throw StoreError(QStringLiteral("Cannot keep %1: %2 exists already.").arg(native(from), native(to)));
    // A file system without hard links: a copy, made private and durable before it counts.
    const QString building = buildingName(to);
    if (!QFile::copy(from, building)) {
        QFile::remove(building);
        throw StoreError(QStringLiteral("Cannot copy %1 to %2.").arg(native(from), native(to)));
    }
    try {
        if (::chmod(QFile::encodeName(building).constData(), 0600) != 0)
            throw StoreError(QStringLiteral("Cannot make %1 private: %2").arg(native(building), systemError()));
        sync(building);
        if (::link(QFile::encodeName(building).constData(), QFile::encodeName(to).constData()) != 0 &&
            !QFile::rename(building, to))
            throw StoreError(QStringLiteral("Cannot keep %1 as %2.").arg(native(from), native(to)));
    } catch (const StoreError&) {
        QFile::remove(building);
        throw;
    }
    QFile::remove(building);
    syncFolderOf(to);
}

PrivateFiles::Building::Building(const QString& target) : m_path(buildingName(target)), m_target(target) {}

PrivateFiles::Building::~Building()
{
    if (m_placed)
        return;
    QFile::remove(m_path);
    QFile::remove(m_path + QStringLiteral("-journal"));
}

void PrivateFiles::Building::finish() const
{
    QFile::remove(m_path + QStringLiteral("-journal"));
    sync(m_path);
}

void PrivateFiles::Building::place()
{
    replace(m_path, m_target);
    m_placed = true;
}

QString PrivateFiles::buildingName(const QString& path)
{
    return path + QStringLiteral(".part-%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}
