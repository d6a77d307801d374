#include "documents/TargetFile.h"

#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Tries at a name of the new file before giving up; a clash needs a file of the same random name.
constexpr int NameAttempts = 64;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The folder part of `path`, with its closing slash ("" for a name alone).
QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash + 1);
}

// A name for the new file that no copy running at the same time picks, hidden in a listing.
QByteArray passingName(const QByteArray& folder)
{
    const quint64 random = QRandomGenerator::global()->generate64();
    return folder + ".orvanta-" + QByteArray::number(random, 36) + ".part";
}

} // namespace

TargetFile::TargetFile(const QString& path, bool ownerOnly) : m_path(path), m_target(QFile::encodeName(path))
{
    if (ownerOnly) {
        createBeside(m_target, 0600, false);
    } else {
        struct stat existing = {};
        if (::stat(m_target.constData(), &existing) != 0) {
            if (errno != ENOENT)
                fail(systemError());
            createBeside(m_target, 0666, false); // a new file, or a link to none: the umask applies
        } else if (!S_ISREG(existing.st_mode)) {
            openInPlace(m_target);
        } else {
            // A file the user may not change stays unchanged, as it would if it were written in place.
            if (::access(m_target.constData(), W_OK) != 0)
                fail(systemError());
            const std::unique_ptr<char, decltype(&std::free)> real(::realpath(m_target.constData(), nullptr),
                                                                   &std::free);
            if (!real)
                fail(systemError());
            m_target = QByteArray(real.get());
            createBeside(m_target, existing.st_mode & 0777, true);
        }
    }
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

TargetFile::~TargetFile()
{
    discard();
}

void TargetFile::openInPlace(const QByteArray& target)
{
    m_fd = ::open(target.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (m_fd < 0)
        fail(systemError());
}

void TargetFile::createBeside(const QByteArray& target, unsigned mode, bool keepMode)
{
    const QByteArray folder = folderOf(target);
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const QByteArray name = passingName(folder);
        m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (m_fd >= 0) {
            m_temporary = name;
            break;
        }
        if (errno != EEXIST)
            fail(systemError());
    }
    if (m_fd < 0)
        fail(systemError());
    // The umask narrowed the mode at creation; the file replaced had exactly this one.
    if (keepMode && ::fchmod(m_fd, mode) != 0) {
        const QString reason = systemError();
        discard();
        fail(reason);
    }
}

void TargetFile::finish()
{
    const int fd = m_fd;
    m_fd = -1;
    close();
    if (fd >= 0 && ::close(fd) != 0) {
        const QString reason = systemError();
        discard();
        fail(reason);
    }
    if (m_temporary.isEmpty())
        return;
    // One step: the name holds the old file, or the whole new one. A link standing at the name
    // is replaced itself.
    if (::rename(m_temporary.constData(), m_target.constData()) != 0) {
        const QString reason = systemError();
        discard();
        fail(reason);
    }
    m_temporary.clear();
}

void TargetFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
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
