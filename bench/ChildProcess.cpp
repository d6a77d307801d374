#include "ChildProcess.h"

#include "store/StoreError.h"

#include <QByteArray>
#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void writeAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        data += written;
        size -= written;
    }
}

QByteArray oneLine(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.toUtf8();
}

} // namespace

void ChildProcess::Report::send(const QByteArray& line) const
{
    writeAll(m_fd, line.constData(), line.size());
}

void ChildProcess::Report::put(const QString& key, double value) const
{
    send("value\t" + key.toUtf8() + '\t' + QByteArray::number(value, 'g', 17) + '\n');
}

void ChildProcess::Report::note(const QString& text) const
{
    send("note\t" + oneLine(text) + '\n');
}

ChildProcess::Outcome ChildProcess::run(const std::function<void(const Report&)>& measurement)
{
    Outcome outcome;
    int fds[2];
    // Close-on-exec: a program the measurement starts (a server it restarts) must not hold the
    // pipe open after the measurement ends.
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        outcome.error = QStringLiteral("cannot create a pipe");
        return outcome;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        outcome.error = QStringLiteral("cannot fork");
        ::close(fds[0]);
        ::close(fds[1]);
        return outcome;
    }
    if (pid == 0) {
        ::close(fds[0]);
        const Report report(fds[1]);
        int status = 0;
        try {
            measurement(report);
        } catch (const StoreError& error) {
            report.send("error\t" + oneLine(error.message()) + '\n');
            status = 1;
        } catch (const std::exception& error) {
            report.send("error\t" + oneLine(QString::fromLocal8Bit(error.what())) + '\n');
            status = 1;
        }
        ::close(fds[1]);
        // Never run the driver's destructors (they would delete its folders) in the child.
        ::_exit(status);
    }

    ::close(fds[1]);
    QByteArray received;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        received.append(buffer, got);
    }
    ::close(fds[0]);

    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    outcome.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB

    for (const QByteArray& line : received.split('\n')) {
        const QList<QByteArray> parts = line.split('\t');
        if (parts.size() == 3 && parts.at(0) == "value")
            outcome.values.insert(QString::fromUtf8(parts.at(1)), parts.at(2).toDouble());
        else if (parts.size() >= 2 && parts.at(0) == "note")
            outcome.notes.append(QString::fromUtf8(line.mid(5)));
        else if (parts.size() >= 2 && parts.at(0) == "error")
            outcome.error = QString::fromUtf8(line.mid(6));
    }
    if (WIFSIGNALED(status) && outcome.error.isEmpty())
        outcome.error = QStringLiteral("the measurement died of signal %1").arg(WTERMSIG(status));
    else if (WIFEXITED(status) && WEXITSTATUS(status) != 0 && outcome.error.isEmpty())
        outcome.error = QStringLiteral("the measurement ended with status %1").arg(WEXITSTATUS(status));
    outcome.ok = outcome.error.isEmpty() && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}
