#pragma once

#include <QString>
#include <functional>

class Database;

// Copies a whole database of this program to another location: every table, the designed
// tabs' included, every row with its own key, and the long-binary values in pieces, so that
// a document of any size copies in little memory.
//
// The source is read inside one read transaction and must be at this build's schema version
// (it is never written, not even upgraded). The target is a file that does not exist yet, an
// empty database file, or an empty server database; anything else is refused before a byte
// is written. The target is written inside one transaction and checked before it is kept:
// the same row count in every table and the same SHA-256 digest of every long-binary value.
// A file is built under a temporary name in the target's folder and takes the target's name
// only once it has passed the check, so a copy that fails leaves nothing under that name.
class DatabaseCopy
{
public:
    // Where the copy has got to in one table.
    struct TableProgress
    {
        QString table;
        qint64 rows = 0;
        qint64 rowsDone = 0;
        bool hasDocuments = false; // the table has long-binary columns
        qint64 bytes = 0;          // the size of its long-binary values together
        qint64 bytesDone = 0;
    };

    // Told how a copy goes. A failure it throws ends the copy as any other failure does.
    class Progress
    {
    public:
        virtual ~Progress() = default;
        virtual void tableStarted(const TableProgress& table) = 0;
        // While long-binary values are copied: at most every reportInterval, and once when
        // the table is done.
        virtual void documentsCopied(const TableProgress& table) = 0;
        virtual void verifying() = 0;
    };

    struct Summary
    {
        int tables = 0;
        qint64 rows = 0;
        qint64 documents = 0; // long-binary values that are not Null
        qint64 bytes = 0;
    };

    static constexpr qint64 ReportBytes = qint64(64) << 20;
    static constexpr qint64 ReportMilliseconds = 5000;

    DatabaseCopy(const QString& from, const QString& to);

    void setProgress(Progress* progress) { m_progress = progress; }
    // How often documentsCopied() is told during long-binary values: after this many bytes
    // or this much time, whichever comes first.
    void setReportInterval(qint64 bytes, qint64 milliseconds);
    // Runs on the target's connection once every row is written, just before the check:
    // lets a test change what was written.
    void setBeforeVerification(std::function<void(const Database& target)> hook) { m_beforeVerification = hook; }

    // Throws StoreError with a message for the user when the copy cannot be made.
    Summary run() const;

    // A PostgreSQL connection URI rather than a file path.
    static bool isServerLocation(const QString& location);

private:
    class Run;

    QString m_from;
    QString m_to;
    Progress* m_progress = nullptr;
    qint64 m_reportBytes = ReportBytes;
    qint64 m_reportMilliseconds = ReportMilliseconds;
    std::function<void(const Database&)> m_beforeVerification;
};
