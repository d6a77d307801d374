#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs another program (a baseline such as cp, rg or grep) and waits for it.
class ExternalCommand
{
public:
    struct Result
    {
        bool started = false;
        int exitCode = -1;
        QByteArray output; // standard output, when captured
    };

    // `program` is looked up in PATH unless it holds a slash. Extra environment entries
    // ("NAME=value") are added to the current environment.
    static Result run(const QString& program, const QStringList& arguments, bool captureOutput,
                      const QStringList& environment = {});
    // Whether `program` can be found in PATH.
    static bool available(const QString& program);
};
