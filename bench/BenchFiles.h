#pragma once

#include <QString>
#include <QStringList>

// File work around the measurements: making, copying, comparing, syncing and evicting files.
// Failures throw StoreError with the file's name.
class BenchFiles
{
public:
    // Writes `bytes` bytes that do not compress, from `seed`, and syncs them to disk.
    static void writeRandom(const QString& path, qint64 bytes, quint64 seed);
    static void write(const QString& path, const QByteArray& contents);
    // Copies a file with read() and write(), the way a program copies without tricks.
    static void copy(const QString& from, const QString& to);
    // Whether two files hold the same bytes.
    static bool same(const QString& a, const QString& b);
    // Reads a file once so that its pages are in the page cache; returns its size.
    static qint64 warm(const QString& path);
    // Flushes a file to disk and drops its pages from the page cache.
    static void evict(const QString& path);
    static void fsyncFile(const QString& path);
    // syncfs() of the file system that holds `folder`.
    static void syncFileSystem(const QString& folder);
    // The size of one file.
    static qint64 size(const QString& path);
    // The program's database in the application folder `app`.
    static QString database(const QString& app);
};
