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

BackgroundFileReader::BackgroundFileReader(const QStringList& paths) : m_paths(paths), m_ready(AheadFiles, AheadBytes)
{
    m_thread = std::jthread([this](const std::stop_token& stop) { work(stop); });
}

BackgroundFileReader::File BackgroundFileReader::next()
{
    return *m_ready.pop(); // the helper adds one for every path
}

void BackgroundFileReader::recycle(QByteArray buffer)
{
    m_ready.recycle(std::move(buffer));
}

void BackgroundFileReader::work(const std::stop_token& stop)
{
    for (const QString& path : m_paths) {
        if (stop.stop_requested())
            return;
        File file;
        try {
            file = read(path, m_ready.spareBuffer());
        } catch (const std::exception& error) { // out of memory, say: this file fails, not the program
            file = File();
            file.error = QStringLiteral("The file %1 cannot be read: %2")
                             .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(error.what()));
        }
        const qint64 bytes = file.contents ? file.contents->capacity() : 0;
        if (!m_ready.push(std::move(file), bytes, stop))
            return;
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
