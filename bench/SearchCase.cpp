#include "SearchCase.h"

#include "BenchFiles.h"
#include "BenchOptions.h"
#include "ChildProcess.h"
#include "DataMaker.h"
#include "ExternalCommand.h"
#include "ResultTable.h"
#include "Stopwatch.h"

#include "clients/ClientDocuments.h"
#include "documents/ClsBinaryFunctions.h"
#include "store/ApplicationFolder.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <vector>

namespace {

const QString Seconds = QStringLiteral("seconds");
const QString Hits = QStringLiteral("hits");
const QString Phrase = QStringLiteral("velvet harbour ledger");
// The phrase as the documents hold it: every spelling must be found.
const QByteArray Planted[] = {"Velvet Harbour Ledger", "VELVET HARBOUR LEDGER", "velvet harbour ledger",
                              "Velvet harbour LEDGER", "vElVeT HaRbOuR LeDgEr"};
constexpr int PlantedCount = sizeof Planted / sizeof Planted[0];

void require(bool condition, const QString& message)
{
    if (!condition)
        throw StoreError(message);
}

// Files with at least one match in the output of `-c`: "path:count" lines.
int filesWithMatches(const QByteArray& output)
{
    int files = 0;
    for (const QByteArray& line : output.split('\n')) {
        const qsizetype colon = line.lastIndexOf(':');
        if (colon >= 0 && line.mid(colon + 1).toLongLong() > 0)
            ++files;
    }
    return files;
}

} // namespace

SearchCase::SearchCase(const BenchOptions& options, const QString& root, ResultTable& table)
    : m_options(options), m_root(root), m_table(table)
{
}

void SearchCase::run()
{
    const QString base = QDir(m_root).filePath(QStringLiteral("search"));
    const QString app = QDir(base).filePath(QStringLiteral("app"));
    const QDir files(QDir(base).filePath(QStringLiteral("files")));
    const QString name = QStringLiteral("content search over %1 MiB of stored documents").arg(m_options.searchMiB);

    std::fprintf(stderr, "content search: making %lld MiB of text documents\n",
                 static_cast<long long>(m_options.searchMiB));
    const ChildProcess::Outcome setup = ChildProcess::run([&](const ChildProcess::Report& report) {
        const qint64 clientId = DataMaker::createFolderWithClient(app);
        QDir().mkpath(files.path());
        DataMaker maker(3);
        const qint64 total = m_options.searchMiB * 1024 * 1024;
        QStringList paths;
        qint64 made = 0;
        while (made < total) {
            const qint64 size =
                std::min<qint64>(maker.between(10 * 1024, 100 * 1024), std::max<qint64>(total - made, 16));
            paths.append(files.filePath(QStringLiteral("doc-%1.txt").arg(paths.size(), 5, 10, QLatin1Char('0'))));
            BenchFiles::write(paths.last(), maker.text(size));
            made += size;
        }
        // A few documents, spread over the whole set, hold the phrase.
        for (int i = 0; i < PlantedCount; ++i) {
            const qsizetype index = (paths.size() - 1) * i / std::max(1, PlantedCount - 1);
            const qint64 size = BenchFiles::size(paths.at(index));
            BenchFiles::write(paths.at(index), maker.text(size, Planted[i]));
        }
        ApplicationFolder::setPath(app);
        const ClientDocuments::DropResult result = ClientDocuments(clientId).storeDropped(paths);
        require(result.stored == paths.size(), QStringLiteral("storing the documents failed: %1").arg(result.error));
        report.put(QStringLiteral("documents"), static_cast<double>(paths.size()));
        report.put(QStringLiteral("bytes"), static_cast<double>(made));
    });
    if (!setup.ok) {
        m_table.addError(name, setup.error);
        return;
    }
    const double mib = setup.value(QStringLiteral("bytes")) / (1024.0 * 1024.0);
    const int documents = static_cast<int>(setup.value(QStringLiteral("documents")));

    const auto warmFiles = [&] {
        for (const QFileInfo& file : files.entryInfoList(QDir::Files))
            BenchFiles::warm(file.filePath());
    };
    // One external searcher, timed `repeats` times over the warm files.
    const auto external = [&](const QString& program, const QStringList& arguments) {
        return ChildProcess::run([&](const ChildProcess::Report& report) {
            warmFiles();
            std::vector<double> times;
            int hits = 0;
            for (int r = 0; r < m_options.repeats; ++r) {
                const Stopwatch watch;
                const ExternalCommand::Result result = ExternalCommand::run(program, arguments, true);
                times.push_back(watch.seconds());
                require(result.started && result.exitCode == 0,
                        QStringLiteral("%1 failed (exit code %2)").arg(program).arg(result.exitCode));
                hits = filesWithMatches(result.output);
            }
            report.put(Seconds, Stopwatch::median(times));
            report.put(Hits, hits);
        });
    };

    const bool haveRipgrep = ExternalCommand::available(QStringLiteral("rg"));
    ChildProcess::Outcome ripgrep;
    if (haveRipgrep)
        ripgrep = external(QStringLiteral("rg"),
                           {QStringLiteral("-c"), QStringLiteral("-i"), QStringLiteral("-F"), Phrase, files.path()});
    else
        m_table.addNote(QStringLiteral("ripgrep (rg) is not installed: the comparison with it was skipped "
                                       "(apt-get install ripgrep)."));
    const ChildProcess::Outcome grep =
        external(QStringLiteral("grep"), {QStringLiteral("-r"), QStringLiteral("-c"), QStringLiteral("-i"),
                                          QStringLiteral("-F"), Phrase, files.path()});
    const ChildProcess::Outcome program = ChildProcess::run([&](const ChildProcess::Report& report) {
        int argc = 1;
        char arg0[] = "orvanta-bench";
        char* argv[] = {arg0, nullptr};
        const QCoreApplication application(argc, argv);
        BenchFiles::warm(QDir(app).filePath(QStringLiteral("Dravolin.mdb")));
        ApplicationFolder::setPath(app);
        std::vector<double> times;
        int hits = 0;
        for (int r = 0; r < m_options.repeats; ++r) {
            ClsBinaryFunctions binary;
            const Stopwatch watch;
            const QList<ClsBinaryFunctions::SearchHit> found = binary.cmdOpendb(
                Phrase, QStringLiteral("SELECT * FROM Attachments"), {}, [](int, int) { return true; });
            times.push_back(watch.seconds());
            hits = static_cast<int>(found.size());
        }
        report.put(Seconds, Stopwatch::median(times));
        report.put(Hits, hits);
    });

    if (!program.ok || !grep.ok || (haveRipgrep && !ripgrep.ok)) {
        m_table.addError(name, !program.ok ? program.error : !grep.ok ? grep.error : ripgrep.error);
        return;
    }
    const int hits = static_cast<int>(program.value(Hits));
    QString mismatch;
    if (hits != PlantedCount)
        mismatch = QStringLiteral("Orvanta found %1 documents, %2 hold the phrase").arg(hits).arg(PlantedCount);
    else if (static_cast<int>(grep.value(Hits)) != hits)
        mismatch = QStringLiteral("grep found %1 documents, Orvanta %2").arg(grep.value(Hits)).arg(hits);
    else if (haveRipgrep && static_cast<int>(ripgrep.value(Hits)) != hits)
        mismatch = QStringLiteral("rg found %1 documents, Orvanta %2").arg(ripgrep.value(Hits)).arg(hits);
    if (!mismatch.isEmpty()) {
        m_table.addError(name, mismatch);
        return;
    }

    const QString found = QStringLiteral(" (%1 of %2 documents)").arg(hits).arg(documents);
    const QString programText = ResultTable::duration(program.value(Seconds)) + QStringLiteral(" (") +
                                ResultTable::speed(mib, program.value(Seconds)) + QLatin1Char(')') + found;
    if (haveRipgrep) {
        const double ratio = ripgrep.value(Seconds) / program.value(Seconds);
        m_table.add({name, programText,
                     QStringLiteral("rg -c -i -F: ") + ResultTable::duration(ripgrep.value(Seconds)) +
                         QStringLiteral(" (") + ResultTable::speed(mib, ripgrep.value(Seconds)) + QLatin1Char(')'),
                     ResultTable::times(ratio), QStringLiteral("≥ 1× ripgrep"), ResultTable::atLeast(ratio, 1.0),
                     ResultTable::mebibytes(program.peakMiB)});
    }
    const double grepRatio = grep.value(Seconds) / program.value(Seconds);
    m_table.add({QStringLiteral("the same search"), haveRipgrep ? QStringLiteral("(as above)") : programText,
                 QStringLiteral("grep -c -i -F: ") + ResultTable::duration(grep.value(Seconds)) + QStringLiteral(" (") +
                     ResultTable::speed(mib, grep.value(Seconds)) + QLatin1Char(')'),
                 ResultTable::times(grepRatio), QStringLiteral("reported"), ResultTable::Verdict::Report,
                 haveRipgrep ? QString() : ResultTable::mebibytes(program.peakMiB)});
    if (!m_options.keep)
        QDir(base).removeRecursively();
}
