#include "DocumentCases.h"

#include "BenchFiles.h"
#include "BenchOptions.h"
#include "ChildProcess.h"
#include "DataMaker.h"
#include "ExternalCommand.h"
#include "ResultTable.h"
#include "Stopwatch.h"

#include "clients/ClientDocuments.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <functional>

namespace {

constexpr double MemoryLimitMiB = 64.0;
const QString Seconds = QStringLiteral("seconds");
const QString Client = QStringLiteral("client");

QString databaseFile(const QString& app)
{
    return QDir(app).filePath(QStringLiteral("Dravolin.mdb"));
}

// One side's result over several rounds: the median time and the largest peak memory.
struct Timing
{
    bool ok = true;
    QString error;
    double seconds = 0;
    double peakMiB = 0;
};
using Alternation = std::vector<Timing>;
using Job = std::function<void(int round, const ChildProcess::Report& report)>;
struct Side
{
    const char* name; // shown with each round's time, so that the spread can be seen
    Job job;
};

// Runs each side's job `rounds` times, each in a child process of its own, the sides taking
// turns at going first. A job reports its time as "seconds".
Alternation alternate(const std::vector<Side>& jobs, int rounds)
{
    Alternation out(jobs.size());
    std::vector<std::vector<double>> times(jobs.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t turn = 0; turn < jobs.size(); ++turn) {
            const size_t job = (turn + static_cast<size_t>(round)) % jobs.size();
            if (!out[job].ok)
                continue;
            const ChildProcess::Outcome outcome =
                ChildProcess::run([&](const ChildProcess::Report& report) { jobs[job].job(round, report); });
            if (!outcome.ok) {
                out[job].ok = false;
                out[job].error = outcome.error;
                continue;
            }
            times[job].push_back(outcome.value(Seconds));
            std::fprintf(stderr, "    round %d, %s: %.3f s\n", round + 1, jobs[job].name, outcome.value(Seconds));
            out[job].peakMiB = std::max(out[job].peakMiB, outcome.peakMiB);
        }
    }
    for (size_t job = 0; job < jobs.size(); ++job)
        out[job].seconds = Stopwatch::median(times[job]);
    return out;
}

void require(bool condition, const QString& message)
{
    if (!condition)
        throw StoreError(message);
}

void freshFolder(const QString& folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

} // namespace

DocumentCases::DocumentCases(const BenchOptions& options, const QString& root, ResultTable& table)
    : m_options(options), m_root(root), m_table(table)
{
}

void DocumentCases::runLarge()
{
    const QString base = QDir(m_root).filePath(QStringLiteral("large"));
    const QString app = QDir(base).filePath(QStringLiteral("app"));
    const QString source = QDir(base).filePath(QStringLiteral("large-document.bin"));
    const QString copy = QDir(base).filePath(QStringLiteral("copy.bin"));
    const QString fetched = QDir(base).filePath(QStringLiteral("fetched.bin"));
    const qint64 bytes = m_options.bigMiB * 1024 * 1024;
    const double mib = static_cast<double>(m_options.bigMiB);
    const QString label = QStringLiteral("%1 MiB").arg(m_options.bigMiB);

    std::fprintf(stderr, "large document: making a %lld MiB file\n", static_cast<long long>(m_options.bigMiB));
    const ChildProcess::Outcome setup = ChildProcess::run([&](const ChildProcess::Report& report) {
        QDir().mkpath(base);
        report.put(Client, static_cast<double>(DataMaker::createFolderWithClient(app)));
        BenchFiles::writeRandom(source, bytes, 1);
    });
    if (!setup.ok) {
        m_table.addError(QStringLiteral("store a %1 document").arg(label), setup.error);
        return;
    }
    const auto clientId = static_cast<qint64>(setup.value(Client));

    // Store: cp + fsync of the same file on the same disk, then the program's upload, which
    // commits (and so syncs) its transaction.
    const ChildProcess::Outcome cpSync = ChildProcess::run([&](const ChildProcess::Report& report) {
        BenchFiles::warm(source);
        BenchFiles::syncFileSystem(base);
        const Stopwatch watch;
        const ExternalCommand::Result cp = ExternalCommand::run(QStringLiteral("cp"), {source, copy}, false);
        BenchFiles::fsyncFile(copy);
        report.put(Seconds, watch.seconds());
        require(cp.started && cp.exitCode == 0, QStringLiteral("cp failed"));
        require(BenchFiles::same(source, copy), QStringLiteral("cp made a different copy"));
        QFile::remove(copy);
        BenchFiles::syncFileSystem(base);
    });
    const ChildProcess::Outcome store = ChildProcess::run([&](const ChildProcess::Report& report) {
        BenchFiles::warm(source);
        BenchFiles::syncFileSystem(base);
        ApplicationFolder::setPath(app);
        const Stopwatch watch;
        const qint64 id = ClientDocuments(clientId).upload(source);
        report.put(Seconds, watch.seconds());
        require(id > 0, QStringLiteral("the upload gave no row"));
    });
    const QString storeName = QStringLiteral("store a %1 document").arg(label);
    if (!cpSync.ok || !store.ok) {
        m_table.addError(storeName, cpSync.ok ? store.error : cpSync.error);
    } else {
        const double ratio = cpSync.value(Seconds) / store.value(Seconds);
        const bool pass = ratio >= 0.5 && store.peakMiB < MemoryLimitMiB;
        m_table.add({storeName,
                     ResultTable::duration(store.value(Seconds)) + QStringLiteral(" (") +
                         ResultTable::speed(mib, store.value(Seconds)) + QLatin1Char(')'),
                     QStringLiteral("cp + fsync: ") + ResultTable::duration(cpSync.value(Seconds)) +
                         QStringLiteral(" (") + ResultTable::speed(mib, cpSync.value(Seconds)) + QLatin1Char(')'),
                     ResultTable::times(ratio), QStringLiteral("≥ 0.5×, peak < 64 MiB"),
                     pass ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail,
                     ResultTable::mebibytes(store.peakMiB)});
    }
    if (!store.ok)
        return;

    // Fetch: cp with both files in the page cache, then the program's copy to a file.
    const ChildProcess::Outcome cpCached = ChildProcess::run([&](const ChildProcess::Report& report) {
        BenchFiles::warm(source);
        BenchFiles::syncFileSystem(base);
        const Stopwatch watch;
        const ExternalCommand::Result cp = ExternalCommand::run(QStringLiteral("cp"), {source, copy}, false);
        report.put(Seconds, watch.seconds());
        require(cp.started && cp.exitCode == 0, QStringLiteral("cp failed"));
        QFile::remove(copy);
        BenchFiles::syncFileSystem(base);
    });
    const ChildProcess::Outcome fetch = ChildProcess::run([&](const ChildProcess::Report& report) {
        BenchFiles::warm(databaseFile(app));
        BenchFiles::syncFileSystem(base);
        ApplicationFolder::setPath(app);
        const Stopwatch watch;
        ClientDocuments(clientId).saveCopy(QFileInfo(source).fileName(), 1, fetched);
        report.put(Seconds, watch.seconds());
        require(BenchFiles::same(source, fetched), QStringLiteral("the fetched document differs from the file stored"));
        QFile::remove(fetched);
        BenchFiles::syncFileSystem(base);
    });
    const QString fetchName = QStringLiteral("fetch it back to a file");
    if (!cpCached.ok || !fetch.ok) {
        m_table.addError(fetchName, cpCached.ok ? fetch.error : cpCached.error);
    } else {
        const double ratio = cpCached.value(Seconds) / fetch.value(Seconds);
        const bool pass = ratio >= 0.5 && fetch.peakMiB < MemoryLimitMiB;
        m_table.add({fetchName,
                     ResultTable::duration(fetch.value(Seconds)) + QStringLiteral(" (") +
                         ResultTable::speed(mib, fetch.value(Seconds)) + QLatin1Char(')'),
                     QStringLiteral("cp, page cache: ") + ResultTable::duration(cpCached.value(Seconds)) +
                         QStringLiteral(" (") + ResultTable::speed(mib, cpCached.value(Seconds)) + QLatin1Char(')'),
                     ResultTable::times(ratio), QStringLiteral("≥ 0.5×, peak < 64 MiB"),
                     pass ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail,
                     ResultTable::mebibytes(fetch.peakMiB)});
    }
    if (!m_options.keep)
        QDir(base).removeRecursively();
}

QStringList DocumentCases::names() const
{
    QStringList out;
    for (int i = 0; i < m_options.docs; ++i)
        out.append(QStringLiteral("doc-%1.bin").arg(i, 5, 10, QLatin1Char('0')));
    return out;
}

void DocumentCases::runMany()
{
    const QString base = QDir(m_root).filePath(QStringLiteral("many"));
    const QString app = QDir(base).filePath(QStringLiteral("app"));
    const QDir sources(QDir(base).filePath(QStringLiteral("files")));
    const QDir fetched(QDir(base).filePath(QStringLiteral("fetched-cold")));
    const QStringList files = names();
    const QString dropName = QStringLiteral("%1 documents of 10–100 KiB dropped at once").arg(m_options.docs);

    std::fprintf(stderr, "many documents: making %d files\n", m_options.docs);
    const ChildProcess::Outcome setup = ChildProcess::run([&](const ChildProcess::Report& report) {
        report.put(Client, static_cast<double>(DataMaker::createFolderWithClient(app)));
        freshFolder(sources.path());
        DataMaker maker(2);
        qint64 total = 0;
        QByteArray contents;
        for (const QString& name : files) {
            const qint64 size = maker.between(10 * 1024, 100 * 1024);
            contents.resize(size);
            for (qint64 at = 0; at + 8 <= size; at += 8) {
                const quint64 value = maker.next();
                std::memcpy(contents.data() + at, &value, 8);
            }
            BenchFiles::write(sources.filePath(name), contents);
            total += size;
        }
        BenchFiles::syncFileSystem(base);
        report.put(QStringLiteral("bytes"), static_cast<double>(total));
    });
    if (!setup.ok) {
        m_table.addError(dropName, setup.error);
        return;
    }
    const auto clientId = static_cast<qint64>(setup.value(Client));
    const double mib = setup.value(QStringLiteral("bytes")) / (1024.0 * 1024.0);
    QStringList paths;
    for (const QString& name : files)
        paths.append(sources.filePath(name));

    const auto warmSources = [&] {
        for (const QString& path : paths)
            BenchFiles::warm(path);
        BenchFiles::syncFileSystem(base);
    };
    // Fetches every document into `folder` in one go, under one read lock.
    const auto fetchAll = [&](const QDir& folder) {
        ApplicationFolder::setPath(app);
        std::vector<ClientDocuments::Copy> copies;
        for (const QString& name : files)
            copies.push_back({name, 1, folder.filePath(name)});
        ClientDocuments(clientId).saveCopies(copies);
    };
    // The same one document at a time, the way the record window's SaveAs does.
    const auto fetchEach = [&](const QDir& folder) {
        ApplicationFolder::setPath(app);
        const ClientDocuments documents(clientId);
        for (const QString& name : files)
            documents.saveCopy(name, 1, folder.filePath(name));
    };
    const auto checkFetched = [&](const QDir& folder) {
        for (const QString& name : files)
            require(BenchFiles::same(sources.filePath(name), folder.filePath(name)),
                    QStringLiteral("the fetched document %1 differs from the file stored").arg(name));
    };

    // The file system's speed at creating many files changes from one moment to the next, so
    // each side runs several rounds, the sides taking turns at going first, and the medians
    // are compared. Every round writes into folders of its own that were never used: files
    // are created more slowly for a while after many were deleted.
    const auto folder = [&](const QString& name, int round) {
        return QDir(QDir(base).filePath(QStringLiteral("%1-%2").arg(name).arg(round)));
    };
    const Alternation drops =
        alternate({{"loose files + syncfs",
                    [&](int round, const ChildProcess::Report& report) {
                        const QDir loose = folder(QStringLiteral("loose"), round);
                        freshFolder(loose.path());
                        warmSources();
                        const Stopwatch watch;
                        for (const QString& name : files)
                            BenchFiles::copy(sources.filePath(name), loose.filePath(name));
                        BenchFiles::syncFileSystem(loose.path());
                        report.put(Seconds, watch.seconds());
                    }},
                   {"Orvanta's drop",
                    [&](int round, const ChildProcess::Report& report) {
                        // Later rounds drop into a database of their own.
                        const QString roundApp = round == 0 ? app : folder(QStringLiteral("app"), round).path();
                        const qint64 client = round == 0 ? clientId : DataMaker::createFolderWithClient(roundApp);
                        warmSources();
                        ApplicationFolder::setPath(roundApp);
                        const Stopwatch watch;
                        const ClientDocuments::DropResult result = ClientDocuments(client).storeDropped(paths);
                        report.put(Seconds, watch.seconds());
                        require(result.stored == files.size() && result.error.isEmpty(),
                                QStringLiteral("the drop stored %1 of %2 files: %3")
                                    .arg(result.stored)
                                    .arg(files.size())
                                    .arg(result.error));
                    }}},
                  m_options.rounds);
    const Timing& looseWrite = drops.at(0);
    const Timing& drop = drops.at(1);
    if (!looseWrite.ok || !drop.ok) {
        m_table.addError(dropName, looseWrite.ok ? drop.error : looseWrite.error);
        return;
    }
    const double dropRatio = looseWrite.seconds / drop.seconds;
    m_table.add({dropName,
                 ResultTable::duration(drop.seconds) + QStringLiteral(" (") + ResultTable::speed(mib, drop.seconds) +
                     QLatin1Char(')'),
                 QStringLiteral("loose files + syncfs: ") + ResultTable::duration(looseWrite.seconds),
                 ResultTable::times(dropRatio), QStringLiteral("≥ 1×"), ResultTable::atLeast(dropRatio, 1.0),
                 ResultTable::mebibytes(drop.peakMiB)});

    const QDir loose = folder(QStringLiteral("loose"), 0);
    const auto fetchWarm = [&](const QString& name, const std::function<void(const QDir&)>& fetch) {
        return [&, name, fetch](int round, const ChildProcess::Report& report) {
            const QDir target = folder(name, round);
            freshFolder(target.path());
            BenchFiles::warm(databaseFile(app));
            BenchFiles::syncFileSystem(base);
            const Stopwatch watch;
            fetch(target);
            report.put(Seconds, watch.seconds());
            checkFetched(target);
            BenchFiles::syncFileSystem(base);
        };
    };
    const Alternation fetches =
        alternate({{"loose files read into files",
                    [&](int round, const ChildProcess::Report& report) {
                        const QDir target = folder(QStringLiteral("loose-read"), round);
                        freshFolder(target.path());
                        for (const QString& name : files)
                            BenchFiles::warm(loose.filePath(name));
                        BenchFiles::syncFileSystem(base);
                        const Stopwatch watch;
                        for (const QString& name : files)
                            BenchFiles::copy(loose.filePath(name), target.filePath(name));
                        report.put(Seconds, watch.seconds());
                        BenchFiles::syncFileSystem(base);
                    }},
                   {"Orvanta, all at once", fetchWarm(QStringLiteral("fetched"), fetchAll)},
                   {"Orvanta, one at a time", fetchWarm(QStringLiteral("fetched-one"), fetchEach)}},
                  m_options.rounds);
    const Timing& looseRead = fetches.at(0);
    const QString fetchName = QStringLiteral("all %1 fetched at once, page cache").arg(m_options.docs);
    if (!looseRead.ok || !fetches.at(1).ok) {
        m_table.addError(fetchName, looseRead.ok ? fetches.at(1).error : looseRead.error);
        return;
    }
    const auto addFetch = [&](const QString& name, const Timing& timing, bool target) {
        const double ratio = looseRead.seconds / timing.seconds;
        m_table.add({name,
                     ResultTable::duration(timing.seconds) + QStringLiteral(" (") +
                         ResultTable::speed(mib, timing.seconds) + QLatin1Char(')'),
                     QStringLiteral("loose files read into files: ") + ResultTable::duration(looseRead.seconds),
                     ResultTable::times(ratio), target ? QStringLiteral("≥ 1×") : QStringLiteral("reported"),
                     target ? ResultTable::atLeast(ratio, 1.0) : ResultTable::Verdict::Report,
                     ResultTable::mebibytes(timing.peakMiB)});
    };
    addFetch(fetchName, fetches.at(1), true);
    const QString eachName = QStringLiteral("the same, one document at a time");
    if (fetches.at(2).ok)
        addFetch(eachName, fetches.at(2), false);
    else
        m_table.addError(eachName, fetches.at(2).error);

    // Cold: the database's pages dropped from the page cache before each fetch; first the
    // freshly stored documents, then the same after a third of them were deleted and stored again.
    const auto fetchCold = [&](const ChildProcess::Report& report) {
        freshFolder(fetched.path());
        BenchFiles::syncFileSystem(base);
        BenchFiles::evict(databaseFile(app));
        const Stopwatch watch;
        fetchAll(fetched);
        report.put(Seconds, watch.seconds());
        checkFetched(fetched);
    };
    const ChildProcess::Outcome coldFresh = ChildProcess::run(fetchCold);
    const ChildProcess::Outcome replace = ChildProcess::run([&](const ChildProcess::Report&) {
        ApplicationFolder::setPath(app);
        const ClientDocuments documents(clientId);
        QStringList again;
        for (const ClientDocuments::Attachment& attachment : documents.list(false)) {
            const qsizetype index = files.indexOf(attachment.name);
            if (index % 3 == 0) {
                require(documents.remove(attachment.id), QStringLiteral("a document could not be deleted"));
                again.append(paths.at(index));
            }
        }
        const ClientDocuments::DropResult result = documents.storeDropped(again);
        require(result.stored == again.size(),
                QStringLiteral("storing the replaced third failed: %1").arg(result.error));
    });
    const ChildProcess::Outcome coldReplaced = replace.ok ? ChildProcess::run(fetchCold) : replace;
    const QString coldName = QStringLiteral("the same, a third deleted and stored again, fetched cold");
    if (!coldFresh.ok || !coldReplaced.ok) {
        m_table.addError(coldName, coldFresh.ok ? coldReplaced.error : coldFresh.error);
    } else {
        const double ratio = coldFresh.value(Seconds) / coldReplaced.value(Seconds);
        m_table.add({coldName,
                     ResultTable::duration(coldReplaced.value(Seconds)) + QStringLiteral(" (") +
                         ResultTable::speed(mib, coldReplaced.value(Seconds)) + QLatin1Char(')'),
                     QStringLiteral("freshly stored, cold: ") + ResultTable::duration(coldFresh.value(Seconds)) +
                         QStringLiteral(" (") + ResultTable::speed(mib, coldFresh.value(Seconds)) + QLatin1Char(')'),
                     ResultTable::times(ratio), QStringLiteral("reported"), ResultTable::Verdict::Report,
                     ResultTable::mebibytes(coldReplaced.peakMiB)});
    }
    if (!m_options.keep)
        QDir(base).removeRecursively();
}
