#include "store/ReadAheadVfs.h"

#include <QUrl>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <sqlite3.h>

namespace {

constexpr char VfsName[] = "orvanta-readahead";
// The smallest database page.
constexpr int MinimumPage = 512;

std::atomic<bool> g_enabled{true};

// The file layer every call is passed on to.
sqlite3_vfs* g_base = nullptr;

// A database file opened through the layer: SQLite's file object, followed in the same
// allocation by the base layer's own file object, which does the work.
struct ReadAheadFile
{
    sqlite3_file file; // first, so that SQLite's pointer is a pointer to this
    sqlite3_file* base;
    char* window; // owned; allocated on the first read ahead, freed by closeFile()
    sqlite3_int64 windowOffset;
    int windowLength;
    int span;               // the size of the next window read ahead
    sqlite3_int64 fileSize; // -1 until asked for during the current lock
    int lockLevel;          // SQLITE_LOCK_NONE .. SQLITE_LOCK_EXCLUSIVE
    bool usable;            // false once the database turns out to use a write-ahead log
};

ReadAheadFile* from(sqlite3_file* file)
{
    return reinterpret_cast<ReadAheadFile*>(file);
}

void forget(ReadAheadFile* f)
{
    f->windowLength = 0;
    f->fileSize = -1;
}

int closeFile(sqlite3_file* file)
{
    ReadAheadFile* f = from(file);
    const int rc = f->base->pMethods->xClose(f->base);
    delete[] f->window;
    f->window = nullptr;
    return rc;
}

int readFile(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    ReadAheadFile* f = from(file);
    sqlite3_file* base = f->base;
    // Small reads (the file header's change counter, read each time the file is locked) are
    // not worth a window.
    if (!f->usable || f->lockLevel == SQLITE_LOCK_NONE || amount < MinimumPage || amount > ReadAheadVfs::LargeWindow)
        return base->pMethods->xRead(base, buffer, amount, offset);
    const sqlite3_int64 windowEnd = f->windowOffset + f->windowLength;
    if (offset >= f->windowOffset && offset + amount <= windowEnd) {
        std::memcpy(buffer, f->window + (offset - f->windowOffset), static_cast<size_t>(amount));
        return SQLITE_OK;
    }
    if (f->fileSize < 0 && base->pMethods->xFileSize(base, &f->fileSize) != SQLITE_OK)
        f->fileSize = -1;
    if (f->fileSize < 0 || offset + amount > f->fileSize) // a short read is the base layer's to report
        return base->pMethods->xRead(base, buffer, amount, offset);
    // Reading on where the last window ended: read further ahead each time.
    f->span = (f->windowLength > 0 && offset == windowEnd) ? std::min(f->span * 2, ReadAheadVfs::LargeWindow)
                                                           : ReadAheadVfs::SmallWindow;
    const int length = static_cast<int>(std::min<sqlite3_int64>(std::max(f->span, amount), f->fileSize - offset));
    if (!f->window) {
        f->window = new (std::nothrow) char[ReadAheadVfs::LargeWindow];
        if (!f->window)
            return base->pMethods->xRead(base, buffer, amount, offset);
    }
    const int rc = base->pMethods->xRead(base, f->window, length, offset);
    if (rc != SQLITE_OK) {
        forget(f);
        return base->pMethods->xRead(base, buffer, amount, offset);
    }
    f->windowOffset = offset;
    f->windowLength = length;
    std::memcpy(buffer, f->window, static_cast<size_t>(amount));
    return SQLITE_OK;
}

int writeFile(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset)
{
    ReadAheadFile* f = from(file);
    forget(f);
    return f->base->pMethods->xWrite(f->base, buffer, amount, offset);
}

int truncateFile(sqlite3_file* file, sqlite3_int64 size)
{
    ReadAheadFile* f = from(file);
    forget(f);
    return f->base->pMethods->xTruncate(f->base, size);
}

int syncFile(sqlite3_file* file, int flags)
{
    return from(file)->base->pMethods->xSync(from(file)->base, flags);
}

int fileSize(sqlite3_file* file, sqlite3_int64* size)
{
    return from(file)->base->pMethods->xFileSize(from(file)->base, size);
}

int lockFile(sqlite3_file* file, int level)
{
    ReadAheadFile* f = from(file);
    const int rc = f->base->pMethods->xLock(f->base, level);
    if (rc == SQLITE_OK) {
        if (f->lockLevel == SQLITE_LOCK_NONE)
            forget(f); // another process may have changed the file while it was unlocked
        f->lockLevel = level;
    }
    return rc;
}

int unlockFile(sqlite3_file* file, int level)
{
    ReadAheadFile* f = from(file);
    const int rc = f->base->pMethods->xUnlock(f->base, level);
    f->lockLevel = std::min(f->lockLevel, level);
    if (level == SQLITE_LOCK_NONE)
        forget(f);
    return rc;
}

int checkReservedLock(sqlite3_file* file, int* result)
{
    return from(file)->base->pMethods->xCheckReservedLock(from(file)->base, result);
}

int fileControl(sqlite3_file* file, int op, void* argument)
{
    return from(file)->base->pMethods->xFileControl(from(file)->base, op, argument);
}

int sectorSize(sqlite3_file* file)
{
    return from(file)->base->pMethods->xSectorSize(from(file)->base);
}

int deviceCharacteristics(sqlite3_file* file)
{
    return from(file)->base->pMethods->xDeviceCharacteristics(from(file)->base);
}

// Shared memory is used with a write-ahead log only. Then pages change in the file while
// the lock is held, so the layer stops reading ahead for good.
int shmMap(sqlite3_file* file, int page, int pageSize, int extend, void volatile** memory)
{
    ReadAheadFile* f = from(file);
    f->usable = false;
    forget(f);
    if (f->base->pMethods->iVersion < 2)
        return SQLITE_IOERR_SHMMAP;
    return f->base->pMethods->xShmMap(f->base, page, pageSize, extend, memory);
}

int shmLock(sqlite3_file* file, int offset, int n, int flags)
{
    ReadAheadFile* f = from(file);
    if (f->base->pMethods->iVersion < 2)
        return SQLITE_IOERR_SHMLOCK;
    return f->base->pMethods->xShmLock(f->base, offset, n, flags);
}

void shmBarrier(sqlite3_file* file)
{
    ReadAheadFile* f = from(file);
    if (f->base->pMethods->iVersion >= 2)
        f->base->pMethods->xShmBarrier(f->base);
}

int shmUnmap(sqlite3_file* file, int deleteFlag)
{
    ReadAheadFile* f = from(file);
    if (f->base->pMethods->iVersion < 2)
        return SQLITE_OK;
    return f->base->pMethods->xShmUnmap(f->base, deleteFlag);
}

int fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** page)
{
    ReadAheadFile* f = from(file);
    if (f->base->pMethods->iVersion < 3) {
        *page = nullptr;
        return SQLITE_OK;
    }
    return f->base->pMethods->xFetch(f->base, offset, amount, page);
}

int unfetch(sqlite3_file* file, sqlite3_int64 offset, void* page)
{
    ReadAheadFile* f = from(file);
    if (f->base->pMethods->iVersion < 3)
        return SQLITE_OK;
    return f->base->pMethods->xUnfetch(f->base, offset, page);
}

const sqlite3_io_methods ReadAheadMethods = {3,
                                             closeFile,
                                             readFile,
                                             writeFile,
                                             truncateFile,
                                             syncFile,
                                             fileSize,
                                             lockFile,
                                             unlockFile,
                                             checkReservedLock,
                                             fileControl,
                                             sectorSize,
                                             deviceCharacteristics,
                                             shmMap,
                                             shmLock,
                                             shmBarrier,
                                             shmUnmap,
                                             fetch,
                                             unfetch};

int openFile(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    if ((flags & SQLITE_OPEN_MAIN_DB) == 0) // journals and temporary files: the base layer's own
        return g_base->xOpen(g_base, name, file, flags, outFlags);
    ReadAheadFile* f = from(file);
    f->file.pMethods = nullptr;
    f->base = reinterpret_cast<sqlite3_file*>(f + 1);
    f->window = nullptr;
    f->windowOffset = 0;
    f->span = ReadAheadVfs::SmallWindow;
    f->lockLevel = SQLITE_LOCK_NONE;
    f->usable = true;
    forget(f);
    const int rc = g_base->xOpen(g_base, name, f->base, flags, outFlags);
    if (rc != SQLITE_OK) {
        if (f->base->pMethods)
            f->base->pMethods->xClose(f->base);
        return rc;
    }
    f->file.pMethods = &ReadAheadMethods;
    return SQLITE_OK;
}

} // namespace

bool ReadAheadVfs::registerOnce()
{
    static const bool registered = [] {
        sqlite3_vfs* base = sqlite3_vfs_find(nullptr);
        if (!base || !sqlite3_compileoption_used("USE_URI"))
            return false;
        g_base = base;
        // Everything but opening a file is the base layer's, with its own data.
        static sqlite3_vfs vfs = *base;
        vfs.pNext = nullptr;
        vfs.zName = VfsName;
        // The base layer's file object follows this layer's, suitably aligned.
        static_assert(sizeof(ReadAheadFile) % alignof(sqlite3_int64) == 0);
        vfs.szOsFile = static_cast<int>(sizeof(ReadAheadFile)) + base->szOsFile;
        vfs.xOpen = openFile;
        return sqlite3_vfs_register(&vfs, 0) == SQLITE_OK;
    }();
    return registered;
}

QString ReadAheadVfs::openName(const QString& databasePath)
{
    if (!g_enabled.load() || !registerOnce())
        return databasePath;
    return QStringLiteral("file:") + QString::fromLatin1(QUrl::toPercentEncoding(databasePath, "/")) +
           QStringLiteral("?vfs=") + QLatin1String(VfsName);
}

void ReadAheadVfs::setEnabled(bool enabled)
{
    g_enabled.store(enabled);
}
