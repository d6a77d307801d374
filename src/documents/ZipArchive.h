#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct zip;
struct zip_file;

// A ZIP archive read from bytes in memory, for reading its entries piece by piece.
// The archive keeps a (shared) copy of the bytes, so they outlive it.
class ZipArchive
{
public:
    // One entry opened for reading its unpacked bytes; closed when destroyed.
    class Entry
    {
    public:
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;
        Entry(Entry&& other) noexcept;
        Entry& operator=(Entry&& other) noexcept;
        ~Entry();

        bool isOpen() const { return m_file != nullptr; }
        // Reads up to `size` unpacked bytes into `data`: the count read, 0 at the end, -1 on
        // a failure (damaged data, wrong checksum), described by errorString().
        qint64 read(char* data, qint64 size);
        QString errorString() const { return m_error; }

    private:
        friend class ZipArchive;
        Entry(zip_file* file, QString error);

        zip_file* m_file = nullptr;
        QString m_error;
    };

    explicit ZipArchive(const QByteArray& bytes);
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    ~ZipArchive();

    bool isOpen() const { return m_archive != nullptr; }
    // Why the archive or an entry could not be opened.
    QString errorString() const { return m_error; }

    // The names of the entries, in the order of the central directory.
    QStringList names() const;
    // The index of entry `name`, or -1 when there is none.
    qint64 indexOf(const QString& name) const;
    bool isEncrypted(qint64 index) const;
    // Opens entry `index`; see Entry::isOpen() and Entry::errorString().
    Entry open(qint64 index) const;

private:
    QByteArray m_bytes;
    zip* m_archive = nullptr;
    QString m_error;
};
