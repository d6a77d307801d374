#include "BenchFiles.h"

#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr qsizetype Piece = 1 << 20;

[[noreturn]] void fail(const QString& what, const QString& path)
{
    throw StoreError(QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(errno))));
}

int openFile(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0644);
    if (fd < 0)
        fail(QStringLiteral("cannot open"), path);
    return fd;
}

void writeAll(int fd, const char* data, qint64 size, const QString& path)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(QStringLiteral("cannot write"), path);
        }
        data += written;
        size -= written;
    }
}

qint64 readSome(int fd, char* data, qint64 size, const QString& path)
{
    for (;;) {
        const ssize_t got = ::read(fd, data, static_cast<size_t>(size));
        if (got >= 0)
            return got;
        if (errno != EINTR)
            fail(QStringLiteral("cannot read"), path);
    }
}

// Fills `size` bytes from the state of a xorshift generator.
void fillRandom(char* data, qsizetype size, quint64& state)
{
    qsizetype at = 0;
    for (; at + 8 <= size; at += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        std::memcpy(data + at, &state, 8);
    }
    for (; at < size; ++at)
        data[at] = static_cast<char>(state >> (8 * (at % 8)));
}

} // namespace

void BenchFiles::writeRandom(const QString& path, qint64 bytes, quint64 seed)
{
    const int fd = openFile(path, O_WRONLY | O_CREAT | O_TRUNC);
    std::vector<char> piece(Piece);
    quint64 state = seed * 0x9E3779B97F4A7C15ULL + 1;
    for (qint64 done = 0; done < bytes;) {
        const qint64 length = std::min<qint64>(Piece, bytes - done);
        fillRandom(piece.data(), length, state);
        writeAll(fd, piece.data(), length, path);
        done += length;
    }
    if (::fsync(fd) != 0)
        fail(QStringLiteral("cannot sync"), path);
    ::close(fd);
}

void BenchFiles::write(const QString& path, const QByteArray& contents)
{
    const int fd = openFile(path, O_WRONLY | O_CREAT | O_TRUNC);
    writeAll(fd, contents.constData(), contents.size(), path);
    ::close(fd);
}

void BenchFiles::copy(const QString& from, const QString& to)
{
    const int in = openFile(from, O_RDONLY);
    const int out = openFile(to, O_WRONLY | O_CREAT | O_TRUNC);
    thread_local std::vector<char> piece(Piece);
    for (;;) {
        const qint64 got = readSome(in, piece.data(), Piece, from);
        if (got == 0)
            break;
        writeAll(out, piece.data(), got, to);
    }
    ::close(in);
    ::close(out);
}

bool BenchFiles::same(const QString& a, const QString& b)
{
    const int fa = openFile(a, O_RDONLY);
    const int fb = openFile(b, O_RDONLY);
    thread_local std::vector<char> pa(Piece);
    thread_local std::vector<char> pb(Piece);
    bool equal = true;
    for (;;) {
        const qint64 ga = readSome(fa, pa.data(), Piece, a);
        qint64 gb = 0;
        // Fill b's piece to the same length when it is shorter in one read.
        while (gb < ga) {
            const qint64 more = readSome(fb, pb.data() + gb, ga - gb, b);
            if (more == 0)
                break;
            gb += more;
        }
        if (ga != gb || std::memcmp(pa.data(), pb.data(), static_cast<size_t>(ga)) != 0) {
            equal = false;
            break;
        }
        if (ga == 0) {
            char extra = 0;
            equal = readSome(fb, &extra, 1, b) == 0;
            break;
        }
    }
    ::close(fa);
    ::close(fb);
    return equal;
}

qint64 BenchFiles::warm(const QString& path)
{
    const int fd = openFile(path, O_RDONLY);
    thread_local std::vector<char> piece(Piece);
    qint64 total = 0;
    for (;;) {
        const qint64 got = readSome(fd, piece.data(), Piece, path);
        if (got == 0)
            break;
        total += got;
    }
    ::close(fd);
    return total;
}

void BenchFiles::evict(const QString& path)
{
    const int fd = openFile(path, O_RDONLY);
    if (::fdatasync(fd) != 0)
        fail(QStringLiteral("cannot sync"), path);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

void BenchFiles::fsyncFile(const QString& path)
{
    const int fd = openFile(path, O_RDONLY);
    if (::fsync(fd) != 0)
        fail(QStringLiteral("cannot sync"), path);
    ::close(fd);
}

void BenchFiles::syncFileSystem(const QString& folder)
{
    const int fd = openFile(folder, O_RDONLY | O_DIRECTORY);
    if (::syncfs(fd) != 0)
        fail(QStringLiteral("cannot sync the file system of"), folder);
    ::close(fd);
}

qint64 BenchFiles::size(const QString& path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        fail(QStringLiteral("cannot stat"), path);
    return info.st_size;
}

QString BenchFiles::database(const QString& app)
{
    return QDir(app).filePath(QStringLiteral("Dravolin.mdb"));
}
