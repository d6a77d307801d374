// orvanta-bench: what a user waits for at office scale, each case measured side by side with
// its baseline or physical limit in the same run. See bench/README.md.

#include "BenchOptions.h"
#include "BenchServer.h"
#include "CompactionCase.h"
#include "EngineChoice.h"
#include "ExplorerCase.h"
#include "ImportCase.h"
#include "LargeDocumentCase.h"
#include "LoginCase.h"
#include "ManyDocumentsCase.h"
#include "OfficeData.h"
#include "RecordCase.h"
#include "ResultTable.h"
#include "SearchCase.h"
#include "Stopwatch.h"
#include "TextIndexCase.h"
#include "WindowCases.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    BenchOptions options;
    QString error;
    if (!options.parse(arguments, error)) {
        std::fprintf(stderr, "orvanta-bench: %s\n\n%s", qPrintable(error), qPrintable(BenchOptions::usage()));
        return 2;
    }
    if (!options.startupProbeFolder.isEmpty())
        return WindowCases::startupProbe(QString::fromLocal8Bit(argv[0]), options.startupProbeFolder,
                                         options.startupProbeBare);

    // Every case makes its data in this folder; it goes when the run ends.
    QTemporaryDir root(QDir(options.folder).filePath(QStringLiteral("orvanta-bench-XXXXXX")));
    if (!root.isValid()) {
        std::fprintf(stderr, "orvanta-bench: cannot create a folder in %s\n", qPrintable(options.folder));
        return 2;
    }
    root.setAutoRemove(!options.keep);
    std::fprintf(stderr, "orvanta-bench: data in %s, %d cores, %s\n", qPrintable(root.path()),
                 QThread::idealThreadCount(), qPrintable(EngineChoice(options).describe()));
    const Stopwatch run;

    ResultTable table;
    table.addNote(QStringLiteral("Engine: %1.").arg(EngineChoice(options).describe()));
    std::unique_ptr<BenchServer> server;
    if (options.postgresql) {
        std::fprintf(stderr, "orvanta-bench: starting a PostgreSQL server\n");
        server = std::make_unique<BenchServer>(QDir(root.path()).filePath(QStringLiteral("pg")));
        if (server->available()) {
            table.addNote(QStringLiteral("Server: %1.").arg(server->describe()));
        } else {
            table.addError(QStringLiteral("the PostgreSQL server"), server->reason());
            server.reset();
        }
    }
    if (options.runs(QStringLiteral("big")))
        LargeDocumentCase(options, root.path(), table, server.get()).run();
    if (options.runs(QStringLiteral("many")))
        ManyDocumentsCase(options, root.path(), table, server.get()).run();
    if (options.runs(QStringLiteral("compact")))
        CompactionCase(options, root.path(), table).run();
    if (options.runs(QStringLiteral("search")))
        SearchCase(options, root.path(), table, server.get()).run();
    if (options.runs(QStringLiteral("text")))
        TextIndexCase(options, root.path(), table).run();
    if (options.runs(QStringLiteral("explorer")) || options.runs(QStringLiteral("record"))) {
        OfficeData office(options, root.path(), server.get());
        if (!office.build(error)) {
            table.addError(QStringLiteral("the office of %1 clients").arg(options.clients), error);
        } else {
            if (options.runs(QStringLiteral("explorer")))
                ExplorerCase(options, office, table).run();
            if (options.runs(QStringLiteral("record")))
                RecordCase(options, office, table).run();
        }
        if (!options.keep)
            office.remove();
    }
    if (options.runs(QStringLiteral("import")))
        ImportCase(options, root.path(), table).run();
    if (options.runs(QStringLiteral("login")))
        LoginCase(options, root.path(), table).run();
    if (options.runs(QStringLiteral("startup")))
        WindowCases(options, root.path(), table).runStartup();

    table.addNote(QStringLiteral("The whole run took %1.").arg(ResultTable::duration(run.seconds())));
    std::printf("\n");
    std::fflush(stdout);
    table.print();
    if (table.hasErrors()) {
        std::fprintf(stderr, "\norvanta-bench: SOME RESULTS WERE WRONG (see ERROR above)\n");
        return 2;
    }
    return table.hasFailures() ? 1 : 0;
}
