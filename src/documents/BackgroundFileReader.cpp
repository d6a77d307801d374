#include "documents/BackgroundFileReader.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How far the helper may read ahead, in memory held (a reused buffer may hold more than its
// file) and in files.
constexpr qint64 AheadBytes = 16 << 20;
constexpr size_t AheadFiles = 64;

QString cannotRead(const QString& path)
{
    return QStringLiteral("The file %1 cannot be read: %2")
        .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno)));
}

// Closes the descriptor when the read is over, however it ends.
struct Descriptor
{
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

BackgroundFileReader::BackgroundFileReader(const QStringList& paths) : m_paths(paths)
{
    m_thread = std::jthread([this] { work(); });
}

BackgroundFileReader::~BackgroundFileReader()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_changed.notify_all();
    m_thread = {}; // joins
}

BackgroundFileReader::File BackgroundFileReader::next()
{
    File file;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_ready.empty(); });
        file = std::move(m_ready.front());
        m_ready.pop_front();
        if (file.contents)
            m_readyBytes -= file.contents->capacity();
    }
    m_changed.notify_all();
    return file;
}

void BackgroundFileReader::recycle(QByteArray buffer)
{
    buffer.resize(0); // keeps its memory
    const std::lock_guard lock(m_mutex);
    m_spare.push_back(std::move(buffer));
}

bool BackgroundFileReader::full() const
{
    return m_readyBytes >= AheadBytes || m_ready.size() >= AheadFiles;
}

void BackgroundFileReader::work()
{
    for (const QString& path : m_paths) {
        QByteArray buffer;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_closing || !full(); });
            if (m_closing)
                return;
            if (!m_spare.empty()) {
                buffer = std::move(m_spare.back());
                m_spare.pop_back();
            }
        }
        File file;
        try {
            file = read(path, std::move(buffer));
        } catch (const std::exception& error) { // out of memory, say: this file fails, not the program
            file = File();
            file.error = QStringLiteral("The file %1 cannot be read: %2")
                             .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(error.what()));
        }
        {
            const std::lock_guard lock(m_mutex);
            if (file.contents)
                m_readyBytes += file.contents->capacity();
            m_ready.push_back(std::move(file));
        }
        m_changed.notify_all();
    }
}

BackgroundFileReader::File BackgroundFileReader::read(const QString& path, QByteArray buffer) const
{
    File file;
    const Descriptor in{::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    struct stat info
    {
    };
    if (in.fd < 0 || ::fstat(in.fd, &info) != 0) {
        file.error = cannotRead(path);
        return file;
    }
    if (!S_ISREG(info.st_mode)) {
        file.error =
            QStringLiteral("The file %1 cannot be read: it is not a regular file").arg(QDir::toNativeSeparators(path));
        return file;
    }
    file.size = info.st_size;
    if (file.size > ValueLimit)
        return file;
    buffer.resize(file.size);
    qint64 done = 0;
    while (done < file.size) {
        const ssize_t got = ::read(in.fd, buffer.data() + done, static_cast<size_t>(file.size - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            file.error = cannotRead(path);
            return file;
        }
        if (got == 0)
            break; // it shrank since: what is there is what is stored
        done += got;
    }
    buffer.resize(done);
    file.size = done;
    file.contents = std::move(buffer);
    return file;
}
