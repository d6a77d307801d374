#pragma once

#include "store/DatabaseCopy.h"

#include <QString>
#include <QStringList>

class QTextStream;

// `orvanta --copy-database FROM TO`: copies a whole database to another location and exits,
// without a display, a window or a login. Progress goes to the error stream, a line per table
// and more while documents are copied; the outcome is one line. FROM and TO are database
// files or PostgreSQL connection URIs.
class CopyDatabaseCommand
{
public:
    static constexpr int Succeeded = 0;
    static constexpr int Failed = 1;
    static constexpr int WrongArguments = 2;

    // Whether the command line asks for a copy; read before any application object exists,
    // so that a copy never needs a display.
    static bool isRequested(int argc, char** argv);

    // Runs the copy the arguments (the program's name first) ask for; returns the exit code.
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err);
    static int run(const QStringList& arguments); // on the standard output and error streams

    // "Attachments: 1,234 of 5,000 rows, 2.1 of 9.8 GB"; "Security: 3 rows" for a table
    // without documents.
    static QString progressLine(const DatabaseCopy::TableProgress& table);
    static QString summaryLine(const DatabaseCopy::Summary& summary, const QString& from, const QString& to);
    // "2.1 of 9.8 GB": both sizes in the unit that suits the larger.
    static QString sizes(qint64 done, qint64 total);
    static QString size(qint64 bytes); // "9.8 GB"
};
