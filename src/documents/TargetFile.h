#pragma once

#include <QIODevice>
#include <QString>

// A file written from its start with plain system calls. A copy of a stored document needs
// no more than open, write and close, and a batch of copies makes thousands of them.
class TargetFile : public QIODevice
{
public:
    // Creates or empties `path`. An `ownerOnly` copy has mode 0600 from its creation on, so
    // it is never readable by others. Throws StoreError when the file cannot be opened.
    TargetFile(const QString& path, bool ownerOnly);
    ~TargetFile() override;

    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;

    bool isSequential() const override { return true; }
    QString path() const { return m_path; }
    // Closes the file; throws StoreError when the last of its data could not be written.
    void finish();
    // Whether a write failed. Then rethrowWriteFailure() throws a StoreError naming the file,
    // for a caller that only saw the device fail.
    bool writeFailed() const { return m_writeFailed; }
    [[noreturn]] void rethrowWriteFailure() const { fail(errorString()); }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    [[noreturn]] void fail(const QString& reason) const;

    QString m_path;
    int m_fd = -1;
    bool m_writeFailed = false;
};
