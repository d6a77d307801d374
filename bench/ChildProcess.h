#pragma once

#include <QMap>
#include <QString>
#include <functional>

// Runs one measurement in a child process of its own, so that its peak resident memory
// (getrusage of that child) is its own and not the largest of the whole run. The child
// sends its figures back as named numbers; a failed check or an exception in the child
// makes the outcome fail with its message.
//
// The driver that forks stays small: it opens no database and creates no QApplication.
class ChildProcess
{
public:
    // What the measurement sends back from the child.
    class Report
    {
    public:
        explicit Report(int fd) : m_fd(fd) {}
        void put(const QString& key, double value) const;
        void note(const QString& text) const; // a line shown under the table

    private:
        friend class ChildProcess;
        void send(const QByteArray& line) const;
        int m_fd;
    };

    struct Outcome
    {
        bool ok = false;
        QString error;
        QMap<QString, double> values;
        QStringList notes;
        double peakMiB = 0; // the child's peak resident memory

        double value(const QString& key) const { return values.value(key, 0.0); }
    };

    static Outcome run(const std::function<void(const Report&)>& measurement);
};
