#include "documents/TargetFile.h"

#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

TargetFile::TargetFile(const QString& path, bool ownerOnly) : m_path(path)
{
    m_fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, ownerOnly ? 0600 : 0666);
    if (m_fd < 0)
        fail(systemError());
    // An existing file keeps its mode when it is emptied.
    if (ownerOnly && ::fchmod(m_fd, 0600) != 0) {
        const QString reason = systemError();
        ::close(m_fd);
        m_fd = -1;
        fail(reason);
    }
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

TargetFile::~TargetFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void TargetFile::finish()
{
    const int fd = m_fd;
    m_fd = -1;
    close();
    if (fd >= 0 && ::close(fd) != 0)
        fail(systemError());
}

qint64 TargetFile::readData(char*, qint64)
{
    return -1;
}

qint64 TargetFile::writeData(const char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t written = ::write(m_fd, data + done, static_cast<size_t>(size - done));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            setErrorString(systemError());
            m_writeFailed = true;
            return done > 0 ? done : -1;
        }
        done += written;
    }
    return done;
}

void TargetFile::fail(const QString& reason) const
{
    throw StoreError(QStringLiteral("The file %1 cannot be written: %2").arg(QDir::toNativeSeparators(m_path), reason));
}
