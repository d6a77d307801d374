#include "ExternalCommand.h"

#include <QStandardPaths>
#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

ExternalCommand::Result ExternalCommand::run(const QString& program, const QStringList& arguments, bool captureOutput,
                                             const QStringList& environment)
{
    Result result;
    std::vector<QByteArray> storage;
    storage.push_back(program.toLocal8Bit());
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);

    std::vector<QByteArray> envStorage;
    for (char** entry = environ; *entry; ++entry)
        envStorage.emplace_back(*entry);
    for (const QString& entry : environment)
        envStorage.push_back(entry.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& item : envStorage)
        envp.push_back(item.data());
    envp.push_back(nullptr);

    int fds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (captureOutput) {
        if (::pipe(fds) != 0) {
            posix_spawn_file_actions_destroy(&actions);
            return result;
        }
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
    }
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, argv.front(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (captureOutput)
        ::close(fds[1]);
    if (rc != 0) {
        if (captureOutput)
            ::close(fds[0]);
        return result;
    }
    result.started = true;
    if (captureOutput) {
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            result.output.append(buffer, got);
        }
        ::close(fds[0]);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool ExternalCommand::available(const QString& program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}
