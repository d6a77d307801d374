#include "SearchCase.h"

#include "BenchFiles.h"
#include "BenchOptions.h"
#include "BenchServer.h"
#include "ChildProcess.h"
#include "DataMaker.h"
#include "EngineChoice.h"
#include "ExternalCommand.h"
#include "FindWindow.h"
#include "Require.h"
#include "ResultTable.h"
#include "Stopwatch.h"
#include "UiSession.h"

#include "clients/ClientDocuments.h"
#include "platform/ScriptedMessageBox.h"
#include "store/ApplicationFolder.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const QString Seconds = QStringLiteral("seconds");

struct Phrase
{
    const char* caption;
    QString typed;             // what the person types
    QList<QByteArray> planted; // the spellings placed in some documents
    int plantedDocuments;      // how many documents get one of them
};

// The phrases searched. The rare one is placed in five documents; the common one is also in
// the generated text (its words are common); the non-ASCII one is typed in lower case, and
// spellings without the umlaut are placed in other documents, where it must not be found.
const Phrase Phrases[] = {
    {"rare",
     QStringLiteral("velvet harbour ledger"),
     {"Velvet Harbour Ledger", "VELVET HARBOUR LEDGER", "velvet harbour ledger", "vElVeT HaRbOuR LeDgEr"},
     5},
    {"common", QStringLiteral("payment terms"), {"Payment Terms", "PAYMENT TERMS", "payment TERMS"}, 20},
    {"non-ASCII", QStringLiteral("müller"), {"MÜLLER", "Müller", "müller", "MüLLER"}, 40},
};
constexpr int PhraseCount = sizeof Phrases / sizeof Phrases[0];
const QList<QByteArray> Decoys = {"Muller", "MUELLER", "Mueller", "MULLER"};

QString expectedFile(const QString& base, int phrase)
{
    return QDir(base).filePath(QStringLiteral("expected-%1.txt").arg(phrase));
}

QSet<QString> readExpected(const QString& base, int phrase)
{
    QFile file(expectedFile(base, phrase));
    require(file.open(QIODevice::ReadOnly), QStringLiteral("the expected documents are missing"));
    QSet<QString> names;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty())
            names.insert(QString::fromUtf8(line));
    }
    return names;
}

// Per file with a match, its count of matching lines, from the output of `rg -c` over a folder.
QHash<QString, qint64> countsByFile(const QByteArray& output)
{
    QHash<QString, qint64> counts;
    for (const QByteArray& line : output.split('\n')) {
        const qsizetype colon = line.lastIndexOf(':');
        if (colon > 0 && line.mid(colon + 1).toLongLong() > 0)
            counts.insert(QFileInfo(QString::fromUtf8(line.left(colon))).fileName(), line.mid(colon + 1).toLongLong());
    }
    return counts;
}

// The floor: two threads read the file with pread in pieces of 1 MiB and scan each piece
// with memchr for a byte the text never holds, so that every byte is read and looked at.
qint64 readAndScan(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    require(fd >= 0, QStringLiteral("cannot open %1").arg(path));
    const qint64 size = BenchFiles::size(path);
    constexpr qint64 Piece = 1 << 20;
    std::atomic<qint64> found{0};
    std::atomic<qint64> read{0};
    const auto scan = [&](qint64 from, qint64 to) {
        std::vector<char> piece(Piece);
        for (qint64 at = from; at < to;) {
            const ssize_t got = ::pread(fd, piece.data(), static_cast<size_t>(std::min(Piece, to - at)), at);
            if (got <= 0)
                break;
            if (std::memchr(piece.data(), 0, static_cast<size_t>(got)))
                ++found;
            read += got;
            at += got;
        }
    };
    const qint64 half = (size / 2 / Piece) * Piece;
    std::thread other(scan, half, size);
    scan(0, half);
    other.join();
    ::close(fd);
    require(read == size && found == 0, QStringLiteral("the floor's pass read %1 of %2 bytes").arg(read).arg(size));
    return size;
}

} // namespace

SearchCase::SearchCase(const BenchOptions& options, const QString& root, ResultTable& table, const BenchServer* server)
    : m_options(options), m_table(table), m_server(server), m_base(QDir(root).filePath(QStringLiteral("search"))),
      m_app(QDir(m_base).filePath(QStringLiteral("app"))), m_files(QDir(m_base).filePath(QStringLiteral("files"))),
      m_oneFile(QDir(m_base).filePath(QStringLiteral("all.txt")))
{
}

void SearchCase::run()
{
    const QString name = QStringLiteral("content search over %1 MiB of stored text").arg(m_options.searchMiB);
    std::fprintf(stderr, "content search: making %lld MiB of text documents\n",
                 static_cast<long long>(m_options.searchMiB));
    const ChildProcess::Outcome setup = ChildProcess::run([&](const ChildProcess::Report& report) {
        QDir(m_base).removeRecursively();
        const qint64 clientId = DataMaker::createFolderWithClient(m_app);
        EngineChoice(m_options).prepareFile(BenchFiles::database(m_app));
        QDir().mkpath(m_files);
        DataMaker maker(3);
        const qint64 total = m_options.searchMiB * 1024 * 1024;
        std::vector<QByteArray> texts;
        for (qint64 made = 0; made < total;) {
            const qint64 size =
                std::min<qint64>(maker.between(10 * 1024, 100 * 1024), std::max<qint64>(total - made, 64));
            texts.push_back(maker.text(size));
            made += size;
        }
        // Each planted document gets one spelling of one phrase (or a decoy), spread over the set.
        const auto plant = [&](const QList<QByteArray>& spellings, int documents, int offset) {
            for (int i = 0; i < documents; ++i) {
                const size_t index = (texts.size() * static_cast<size_t>(i) / static_cast<size_t>(documents) +
                                      static_cast<size_t>(offset)) %
                                     texts.size();
                QByteArray& text = texts[index];
                const QByteArray& spelling = spellings.at(i % spellings.size());
                if (text.size() > spelling.size())
                    text.replace(maker.between(0, text.size() - spelling.size()), spelling.size(), spelling);
            }
        };
        for (int p = 0; p < PhraseCount; ++p)
            plant(Phrases[p].planted, Phrases[p].plantedDocuments, 1 + 7 * p);
        plant(Decoys, 40, 3);

        QStringList paths;
        QFile one(m_oneFile);
        require(one.open(QIODevice::WriteOnly), QStringLiteral("cannot write %1").arg(m_oneFile));
        std::vector<QStringList> expected(PhraseCount);
        for (size_t i = 0; i < texts.size(); ++i) {
            const QString file = QStringLiteral("doc-%1.txt").arg(i, 5, 10, QLatin1Char('0'));
            paths.append(QDir(m_files).filePath(file));
            BenchFiles::write(paths.last(), texts[i]);
            // One line ends each document in the one file, so that the lines of one never run into the next.
            one.write(texts[i]);
            one.write("\n", 1);
            // What a search that ignores the case of every letter must find.
            const QString folded = QString::fromUtf8(texts[i]).toCaseFolded();
            for (int p = 0; p < PhraseCount; ++p) {
                if (folded.contains(Phrases[p].typed.toCaseFolded()))
                    expected[static_cast<size_t>(p)].append(file);
            }
        }
        one.close();
        for (int p = 0; p < PhraseCount; ++p)
            BenchFiles::write(expectedFile(m_base, p),
                              expected[static_cast<size_t>(p)].join(QLatin1Char('\n')).toUtf8());
        ApplicationFolder::setPath(m_app);
        const ClientDocuments::DropResult result = ClientDocuments(clientId).storeDropped(paths);
        require(result.stored == paths.size(), QStringLiteral("storing the documents failed: %1").arg(result.error));
        BenchFiles::syncFileSystem(m_base);
        report.put(QStringLiteral("documents"), static_cast<double>(paths.size()));
        report.put(QStringLiteral("bytes"), static_cast<double>(total));
        for (int p = 0; p < PhraseCount; ++p)
            report.put(QStringLiteral("expected%1").arg(p),
                       static_cast<double>(expected[static_cast<size_t>(p)].size()));
    });
    if (!setup.ok) {
        m_table.addError(name, setup.error);
        return;
    }
    m_mib = setup.value(QStringLiteral("bytes")) / (1024.0 * 1024.0);
    m_documents = static_cast<int>(setup.value(QStringLiteral("documents")));
    if (!ExternalCommand::available(QStringLiteral("rg"))) {
        m_table.addError(name,
                         QStringLiteral("ripgrep (rg), the baseline, is not installed (apt-get install ripgrep)"));
        return;
    }
    if (m_server && !copyToServer())
        m_server = nullptr;
    for (int p = 0; p < PhraseCount; ++p) {
        measure(p, false);
        measure(p, true);
    }
    if (!m_options.keep)
        QDir(m_base).removeRecursively();
}

void SearchCase::measure(int phrase, bool cold)
{
    const Phrase& searched = Phrases[phrase];
    const QString name = QStringLiteral("content search \"%1\" (%2) over %3 MiB, %4")
                             .arg(searched.typed, QString::fromLatin1(searched.caption))
                             .arg(m_mib, 0, 'f', 0)
                             .arg(cold ? QStringLiteral("cold") : QStringLiteral("warm"));
    const int samples = cold ? m_options.rounds : m_options.repeats;
    const QStringList fileList = QDir(m_files).entryList(QDir::Files);
    // Before each sample: the files read once, or dropped from the page cache.
    const auto prepareFiles = [&](const QStringList& paths) {
        for (const QString& path : paths) {
            if (cold)
                BenchFiles::evict(path);
            else
                BenchFiles::warm(path);
        }
    };
    QStringList manyPaths;
    for (const QString& file : fileList)
        manyPaths.append(QDir(m_files).filePath(file));
    const QString database = BenchFiles::database(m_app);

    std::fprintf(stderr, "content search: \"%s\", %s\n", qPrintable(searched.typed), cold ? "cold" : "warm");
    const ChildProcess::Outcome program = measureProgram(phrase, samples, m_app, [&] { prepareFiles({database}); });
    const ChildProcess::Outcome onServer = m_server ? measureProgram(phrase, samples, m_serverApp,
                                                                     [&] {
                                                                         if (cold)
                                                                             m_server->makeCold();
                                                                     })
                                                    : ChildProcess::Outcome();
    const auto ripgrep = [&](const QString& target, const QStringList& paths, bool many) {
        return ChildProcess::run([&](const ChildProcess::Report& report) {
            std::vector<double> times;
            ExternalCommand::Result result;
            for (int r = 0; r < samples; ++r) {
                prepareFiles(paths);
                const Stopwatch watch;
                result = ExternalCommand::run(
                    QStringLiteral("rg"),
                    {QStringLiteral("-c"), QStringLiteral("-i"), QStringLiteral("-F"), searched.typed, target}, true);
                times.push_back(watch.seconds());
                require(result.started && (result.exitCode == 0 || result.exitCode == 1),
                        QStringLiteral("rg failed (exit code %1)").arg(result.exitCode));
            }
            report.put(Seconds, Stopwatch::median(times));
            if (many) {
                const QHash<QString, qint64> counts = countsByFile(result.output);
                const QSet<QString> expected = readExpected(m_base, phrase);
                require(
                    QSet<QString>(counts.keyBegin(), counts.keyEnd()) == expected,
                    QStringLiteral("rg found %1 files, %2 hold the phrase").arg(counts.size()).arg(expected.size()));
                qint64 lines = 0;
                for (const qint64 count : counts)
                    lines += count;
                report.put(QStringLiteral("lines"), static_cast<double>(lines));
            } else {
                report.put(QStringLiteral("lines"), result.output.trimmed().toDouble());
            }
        });
    };
    const ChildProcess::Outcome many = ripgrep(m_files, manyPaths, true);
    const ChildProcess::Outcome one = ripgrep(m_oneFile, {m_oneFile}, false);
    const ChildProcess::Outcome floor = ChildProcess::run([&](const ChildProcess::Report& report) {
        std::vector<double> times;
        for (int r = 0; r < samples; ++r) {
            prepareFiles({m_oneFile});
            const Stopwatch watch;
            readAndScan(m_oneFile);
            times.push_back(watch.seconds());
        }
        report.put(Seconds, Stopwatch::median(times));
    });
    for (const ChildProcess::Outcome* outcome : {&program, &many, &one, &floor}) {
        if (!outcome->ok) {
            m_table.addError(name,
                             outcome == &program ? outcome->error : QStringLiteral("the baseline: ") + outcome->error);
            return;
        }
    }
    if (many.value(QStringLiteral("lines")) != one.value(QStringLiteral("lines"))) {
        m_table.addError(name, QStringLiteral("rg counted %1 lines in the files and %2 in the one file")
                                   .arg(many.value(QStringLiteral("lines")))
                                   .arg(one.value(QStringLiteral("lines"))));
        return;
    }
    const double seconds = program.value(Seconds);
    const double manyRatio = many.value(Seconds) / seconds;
    const double oneRatio = one.value(Seconds) / seconds;
    const double floorRatio = seconds / floor.value(Seconds);
    const bool pass = manyRatio >= 1.0 && oneRatio >= 1.0 && floorRatio <= 2.0;
    m_table.add({name,
                 ResultTable::duration(seconds) + QStringLiteral(" (%1 of %2 documents found, as expected)")
                                                      .arg(program.value(QStringLiteral("found")))
                                                      .arg(m_documents),
                 QStringLiteral("rg -c -i -F, files: %1; one file: %2; floor: %3")
                     .arg(ResultTable::duration(many.value(Seconds)), ResultTable::duration(one.value(Seconds)),
                          ResultTable::duration(floor.value(Seconds))),
                 QStringLiteral("%1 / %2 / %3 the floor")
                     .arg(ResultTable::times(manyRatio), ResultTable::times(oneRatio), ResultTable::times(floorRatio)),
                 QStringLiteral("≥ 1× / ≥ 1× / ≤ 2× the floor"),
                 pass ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail,
                 ResultTable::mebibytes(program.peakMiB)});
    if (!m_server)
        return;
    const QString serverName = name + QStringLiteral(", on PostgreSQL");
    if (!onServer.ok) {
        m_table.addError(serverName, onServer.error);
        return;
    }
    const double onServerSeconds = onServer.value(Seconds);
    m_table.add({serverName,
                 ResultTable::duration(onServerSeconds) +
                     QStringLiteral(" (%1 found, as expected)").arg(onServer.value(QStringLiteral("found"))),
                 QStringLiteral("SQLite: %1; rg -c -i -F, files: %2")
                     .arg(ResultTable::duration(seconds), ResultTable::duration(many.value(Seconds))),
                 QStringLiteral("%1 SQLite's time").arg(ResultTable::times(onServerSeconds / seconds)),
                 QStringLiteral("—"), ResultTable::Verdict::Report, ResultTable::mebibytes(onServer.peakMiB)});
}

bool SearchCase::copyToServer()
{
    std::fprintf(stderr, "content search: copying the documents to the server\n");
    m_serverApp = QDir(m_base).filePath(QStringLiteral("pg-app"));
    const ChildProcess::Outcome copied = ChildProcess::run([&](const ChildProcess::Report&) {
        m_server->copyIn(BenchFiles::database(m_app), m_serverApp, QStringLiteral("search"));
    });
    if (!copied.ok)
        m_table.addError(QStringLiteral("content search on PostgreSQL"), copied.error);
    return copied.ok;
}

ChildProcess::Outcome SearchCase::measureProgram(int phrase, int samples, const QString& app,
                                                 const std::function<void()>& prepare) const
{
    const Phrase& searched = Phrases[phrase];
    return ChildProcess::run([&](const ChildProcess::Report& report) {
        EngineChoice(m_options).applyToProcess();
        const UiSession session;
        ApplicationFolder::setPath(app);
        FindWindow find;
        find.showAndWait();
        find.prepare(searched.typed, true);
        const QSet<QString> expected = readExpected(m_base, phrase);
        const std::vector<double> times = find.timeSearches(samples, expected, prepare);
        require(session.messageBox().shown().size() == samples,
                QStringLiteral("the search said: %1").arg(session.messageBox().last().text));
        report.put(Seconds, Stopwatch::median(times));
        report.put(QStringLiteral("found"), static_cast<double>(expected.size()));
    });
}
