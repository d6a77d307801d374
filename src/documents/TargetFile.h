#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

// A file written with plain system calls. A copy of a stored document needs no more than
// open, write, close and rename, and a batch of copies makes thousands of them.
//
// The bytes go into a new file of a passing name beside the target, which finish() renames
// over the target: a copy that fails halfway (a full disk, say) leaves whatever stood at the
// target as it was, and the new file is removed again.
class TargetFile : public QIODevice
{
public:
    // Prepares to replace `path`.
    //
    // An `ownerOnly` copy is a scratch copy for the program's own folders (Temp): mode 0600
    // from its creation on, and whatever stands at the name, a symbolic link included, is
    // replaced itself, never written through.
    //
    // Otherwise it is the user's file: a new one gets the mode the user's new files get (the
    // umask applies); a file replaced keeps its mode, and a symbolic link keeps pointing at
    // the file it names, which is the one replaced. A device or pipe at the name is written
    // in place, as it cannot be replaced.
    //
    // Throws StoreError, naming `path`, when the file cannot be created.
    TargetFile(const QString& path, bool ownerOnly);
    // Removes the new file unless finish() put it in place.
    ~TargetFile() override;

    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;

    bool isSequential() const override { return true; }
    QString path() const { return m_path; }
    // Closes the file and puts it in place; throws StoreError when the last of its data could
    // not be written or it could not replace the target (then the target is left as it was).
    void finish();
    // Whether a write failed. Then rethrowWriteFailure() throws a StoreError naming the file,
    // for a caller that only saw the device fail.
    bool writeFailed() const { return m_writeFailed; }
    [[noreturn]] void rethrowWriteFailure() const { fail(errorString()); }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    void openInPlace(const QByteArray& target);
    void createBeside(const QByteArray& target, unsigned mode, bool keepMode);
    void discard();
    [[noreturn]] void fail(const QString& reason) const;

    QString m_path;
    QByteArray m_target;    // the name the new file takes (a link's file for a user's link)
    QByteArray m_temporary; // the new file while it is written; empty when written in place
    int m_fd = -1;
    bool m_writeFailed = false;
};
