#include "CompactionCase.h"

#include "BareSqlite.h"
#include "BenchFiles.h"
#include "BenchOptions.h"
#include "ChildProcess.h"
#include "DataMaker.h"
#include "EngineChoice.h"
#include "ExternalCommand.h"
#include "RecordWindow.h"
#include "Require.h"
#include "ResultTable.h"
#include "Stopwatch.h"
#include "UiSession.h"

#include "clients/ClientDocuments.h"
#include "platform/ScriptedFileDialog.h"
#include "platform/ScriptedMessageBox.h"
#include "store/ApplicationFolder.h"
#include "store/DatabaseCompaction.h"
#include "store/StoreError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>

namespace {

// The one client of a new folder, who holds the documents.
constexpr qint64 StoredClient = 1;
// Thirty documents: of tens of MiB each at the default size, a third of them replaced.
constexpr int Documents = 30;
constexpr double MiB = 1024.0 * 1024.0;

bool replaced(int index)
{
    return index % 3 == 1;
}

void freshFolder(const QString& folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

QString speedText(double mib, double seconds)
{
    return ResultTable::duration(seconds) + QStringLiteral(" (") + ResultTable::speed(mib, seconds) + QLatin1Char(')');
}

// "912 MiB", "2.4 MiB"
QString mibText(double mib)
{
    return QStringLiteral("%1 MiB").arg(mib, 0, 'f', mib < 10 ? 1 : 0);
}

QString sizeText(qint64 bytes)
{
    return mibText(static_cast<double>(bytes) / MiB);
}

QByteArray digestOf(const QString& path)
{
    QFile file(path);
    require(file.open(QIODevice::ReadOnly), QStringLiteral("cannot read %1").arg(path));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    require(hash.addData(&file), QStringLiteral("cannot read %1").arg(path));
    return hash.result().toHex();
}

// How a read of the last `documents` documents stored goes through the file's pages, from
// one page of a document to its next: to the page after (the read-ahead follows), to the page
// before, or elsewhere.
struct PageSteps
{
    qint64 forward = 0;
    qint64 backward = 0;
    qint64 elsewhere = 0;

    QString text() const
    {
        const double all = static_cast<double>(std::max<qint64>(1, forward + backward + elsewhere)) / 100.0;
        return QStringLiteral("%1 % to the page after, %2 % to the page before, %3 % elsewhere")
            .arg(static_cast<double>(forward) / all, 0, 'f', 0)
            .arg(static_cast<double>(backward) / all, 0, 'f', 0)
            .arg(static_cast<double>(elsewhere) / all, 0, 'f', 0);
    }
};

PageSteps pageSteps(const QString& file, qsizetype documents)
{
    // The engine's page map lists each value's overflow pages in the order they are read,
    // under its cell's path, the cells in the order of their keys.
    const BareSqlite bare(file);
    BareSqlite::Query pages(bare, QStringLiteral("SELECT path, pageno FROM dbstat WHERE name = 'Attachments' AND "
                                                 "pagetype = 'overflow' ORDER BY path"));
    QList<QList<qint64>> chains;
    QByteArray cell;
    while (pages.step()) {
        const QByteArray path = pages.text(0);
        const QByteArray owner = path.left(path.indexOf('+'));
        if (chains.isEmpty() || owner != cell)
            chains.append(QList<qint64>());
        cell = owner;
        chains.last().append(pages.integer(1));
    }
    require(chains.size() >= documents, QStringLiteral("the page map shows %1 documents").arg(chains.size()));
    PageSteps steps;
    for (qsizetype c = chains.size() - documents; c < chains.size(); ++c) {
        const QList<qint64>& chain = chains.at(c);
        for (qsizetype i = 1; i < chain.size(); ++i) {
            const qint64 step = chain.at(i) - chain.at(i - 1);
            (step == 1 ? steps.forward : step == -1 ? steps.backward : steps.elsewhere)++;
        }
    }
    return steps;
}

} // namespace

CompactionCase::CompactionCase(const BenchOptions& options, const QString& root, ResultTable& table)
    : m_options(options), m_table(table), m_base(QDir(root).filePath(QStringLiteral("compact")))
{
    // Sizes of 80-120 % of an even share of the whole; a new version 90-115 % of the old one.
    DataMaker maker(5);
    std::vector<qint64> weights;
    qint64 weightSum = 0;
    for (int i = 0; i < Documents; ++i) {
        weights.push_back(maker.between(80, 120));
        weightSum += weights.back();
    }
    const qint64 total = m_options.bigMiB * 1024 * 1024;
    for (int i = 0; i < Documents; ++i) {
        Document document;
        document.name = QStringLiteral("document-%1.bin").arg(i, 2, 10, QLatin1Char('0'));
        document.bytes = total / weightSum * weights.at(static_cast<size_t>(i));
        if (replaced(i)) {
            document.replacementBytes = document.bytes * maker.between(90, 115) / 100;
            m_replacedMiB += static_cast<double>(document.replacementBytes) / MiB;
        }
        m_storedMiB += static_cast<double>(replaced(i) ? document.replacementBytes : document.bytes) / MiB;
        m_documents.push_back(document);
    }
}

QString CompactionCase::path(const QString& name) const
{
    return QDir(m_base).filePath(name);
}

QString CompactionCase::app() const
{
    return path(QStringLiteral("app"));
}

QString CompactionCase::database() const
{
    return BenchFiles::database(app());
}

QStringList CompactionCase::replacedNames() const
{
    QStringList names;
    for (const Document& document : m_documents) {
        if (document.replacementBytes > 0)
            names.append(document.name);
    }
    return names;
}

void CompactionCase::run()
{
    std::fprintf(stderr, "compaction: %d documents of %lld MiB in all, a third of them replaced\n", Documents,
                 static_cast<long long>(m_options.bigMiB));
    QString error;
    if (!makeDocuments(error)) {
        m_table.addError(QStringLiteral("%1 documents (%2 MiB), a third replaced").arg(Documents).arg(m_options.bigMiB),
                         error);
    } else {
        std::fprintf(stderr, "compaction: the replaced documents saved, cold, before compacting\n");
        const std::vector<Rounds::Result> before = fetchRounds(QStringLiteral("before"));
        std::fprintf(stderr, "compaction: compacting\n");
        const std::vector<Rounds::Result> compacted = compactionRounds();
        std::vector<Rounds::Result> after;
        if (compacted.at(1).ok) {
            std::fprintf(stderr, "compaction: the replaced documents saved, cold, after compacting\n");
            after = fetchRounds(QStringLiteral("after"));
        }
        addRows(before, compacted, after);
    }
    if (!m_options.keep)
        QDir(m_base).removeRecursively();
}

void CompactionCase::addRows(const std::vector<Rounds::Result>& before, const std::vector<Rounds::Result>& compacted,
                             const std::vector<Rounds::Result>& after)
{
    const QString fetchName =
        QStringLiteral("Save As of each of the %1 replaced documents (%2) from the record window, cold file")
            .arg(replacedNames().size())
            .arg(mibText(m_replacedMiB));
    const bool afterOk = after.size() == 2 && after.at(0).ok && after.at(1).ok;
    if (!before.at(0).ok || !before.at(1).ok) {
        m_table.addError(fetchName + QStringLiteral(", before compacting"),
                         before.at(0).ok ? before.at(1).error : before.at(0).error);
    } else {
        const double seconds = before.at(1).seconds;
        const double cp = before.at(0).seconds;
        // How many times slower than the same documents read after compacting.
        const QString slower = afterOk ? QStringLiteral("; %1 the time after compacting")
                                             .arg(ResultTable::times(seconds / after.at(1).seconds))
                                       : QString();
        m_table.add({fetchName + QStringLiteral(", before compacting"), speedText(m_replacedMiB, seconds) + slower,
                     QStringLiteral("cp, cold: ") + speedText(m_replacedMiB, cp), ResultTable::times(cp / seconds),
                     QStringLiteral("—"), ResultTable::Verdict::Report, ResultTable::mebibytes(before.at(1).peakMiB)});
    }
    const double fileMiB = static_cast<double>(m_bytesBefore) / MiB;
    const QString compactionName =
        QStringLiteral("the database (%1) compacted: VACUUM INTO a new file, which takes its place")
            .arg(mibText(fileMiB));
    const Rounds::Result& copied = compacted.at(0);
    const Rounds::Result& compaction = compacted.at(1);
    if (!copied.ok || !compaction.ok) {
        m_table.addError(compactionName, copied.ok ? compaction.error : copied.error);
    } else {
        m_table.add({compactionName, speedText(fileMiB, compaction.seconds),
                     QStringLiteral("cp + fsync of the file, cold: ") + speedText(fileMiB, copied.seconds),
                     ResultTable::times(compaction.seconds / copied.seconds), QStringLiteral("—"),
                     ResultTable::Verdict::Report, ResultTable::mebibytes(compaction.peakMiB)});
        const double afterMiB = static_cast<double>(m_bytesAfter) / MiB;
        m_table.add({QStringLiteral("the database file, before and after compacting"),
                     mibText(fileMiB) + QStringLiteral(" → ") + mibText(afterMiB),
                     QStringLiteral("the documents stored: ") + mibText(m_storedMiB),
                     ResultTable::times(afterMiB / m_storedMiB), QStringLiteral("—"), ResultTable::Verdict::Report,
                     QString()});
    }
    if (after.size() == 2 && !afterOk) {
        m_table.addError(fetchName + QStringLiteral(", after compacting"),
                         after.at(0).ok ? after.at(1).error : after.at(0).error);
    } else if (afterOk) {
        const double seconds = after.at(1).seconds;
        const double ratio = after.at(0).seconds / seconds;
        m_table.add({fetchName + QStringLiteral(", after compacting"), speedText(m_replacedMiB, seconds),
                     QStringLiteral("cp, cold: ") + speedText(m_replacedMiB, after.at(0).seconds),
                     ResultTable::times(ratio), QStringLiteral("≥ 0.8×"), ResultTable::atLeast(ratio, 0.8),
                     ResultTable::mebibytes(after.at(1).peakMiB)});
    }
}

bool CompactionCase::makeDocuments(QString& error)
{
    const EngineChoice engine(m_options);
    const QString digests = path(QStringLiteral("replacements.sha256"));
    const ChildProcess::Outcome setup = ChildProcess::run([&](const ChildProcess::Report& report) {
        freshFolder(m_base);
        QDir().mkpath(path(QStringLiteral("first")));
        QDir().mkpath(path(QStringLiteral("new")));
        require(DataMaker::createFolderWithClient(app()) == StoredClient,
                QStringLiteral("the new folder's client is not the first"));
        engine.prepareFile(database());
        ApplicationFolder::setPath(app());
        const ClientDocuments documents(StoredClient);
        // Each uploaded as the Upload button does, one after another.
        std::vector<qint64> ids;
        quint64 seed = 100;
        for (const Document& document : m_documents) {
            const QString file = QDir(path(QStringLiteral("first"))).filePath(document.name);
            BenchFiles::writeRandom(file, document.bytes, ++seed);
            ids.push_back(documents.upload(file));
            QFile::remove(file);
        }
        report.put(QStringLiteral("fresh"), static_cast<double>(BenchFiles::size(database())));
        // A third replaced at once, as a person updates a batch of documents: each old version
        // deleted from the list, then the new versions dropped onto it together.
        QByteArray lines;
        QStringList dropped;
        for (size_t i = 0; i < m_documents.size(); ++i) {
            const Document& document = m_documents.at(i);
            if (document.replacementBytes == 0)
                continue;
            const QString file = QDir(path(QStringLiteral("new"))).filePath(document.name);
            BenchFiles::writeRandom(file, document.replacementBytes, ++seed);
            lines += document.name.toUtf8() + ' ' + digestOf(file) + '\n';
            dropped.append(file);
            require(documents.remove(ids.at(i)), QStringLiteral("%1 was not there to delete").arg(document.name));
        }
        const ClientDocuments::DropResult drop = documents.storeDropped(dropped);
        require(drop.error.isEmpty() && drop.stored == dropped.size(),
                QStringLiteral("the drop of the new versions stopped: %1").arg(drop.error));
        BenchFiles::write(digests, lines);
        require(documents.list(false).size() == m_documents.size(),
                QStringLiteral("the client does not hold %1 documents").arg(m_documents.size()));
        const BareSqlite bare(database());
        BareSqlite::Query free(bare, QStringLiteral("PRAGMA freelist_count"));
        require(free.step(), QStringLiteral("the engine does not tell its free pages"));
        BareSqlite::Query page(bare, QStringLiteral("PRAGMA page_size"));
        require(page.step(), QStringLiteral("the engine does not tell its page size"));
        report.put(QStringLiteral("free"), static_cast<double>(free.integer(0) * page.integer(0)));
        const PageSteps steps = pageSteps(database(), dropped.size());
        report.note(
            QStringLiteral("compact: the new versions' pages, in the order a read takes them: %1.").arg(steps.text()));
        BenchFiles::syncFileSystem(m_base);
    });
    if (!setup.ok) {
        error = setup.error;
        return false;
    }
    QFile file(digests);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1").arg(digests);
        return false;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2)
            m_digests.insert(QString::fromUtf8(parts.at(0)), parts.at(1));
    }
    m_bytesBefore = BenchFiles::size(database());
    qint64 smallest = m_documents.front().bytes;
    qint64 largest = smallest;
    for (const Document& document : m_documents) {
        smallest = std::min(smallest, document.bytes);
        largest = std::max(largest, document.bytes);
    }
    m_table.addNote(
        QStringLiteral("compact: %1 documents of %2–%3 uploaded one after another into a database of %4; then "
                       "%5 of them replaced: each old version deleted, then the new versions (%6 in all) dropped "
                       "onto the list together. The file grew to %7, %8 of it free pages.")
            .arg(Documents)
            .arg(sizeText(smallest), sizeText(largest),
                 sizeText(static_cast<qint64>(setup.value(QStringLiteral("fresh")))))
            .arg(m_digests.size())
            .arg(mibText(m_replacedMiB), sizeText(m_bytesBefore),
                 sizeText(static_cast<qint64>(setup.value(QStringLiteral("free"))))));
    for (const QString& note : setup.notes)
        m_table.addNote(note);
    if (m_digests.size() != replacedNames().size()) {
        error = QStringLiteral("%1 does not hold a digest for each replaced document").arg(digests);
        return false;
    }
    return true;
}

std::vector<Rounds::Result> CompactionCase::fetchRounds(const QString& phase) const
{
    const EngineChoice engine(m_options);
    const QStringList names = replacedNames();
    const QDir sources(path(QStringLiteral("new")));
    const auto target = [&](const QString& side, int round) {
        return path(QStringLiteral("%1-%2-%3").arg(side, phase).arg(round));
    };
    // Every file read once before the rounds: on this virtual machine the first read of a file
    // after it was written is slow whatever its layout, and a person fetches a document long
    // after it was stored.
    const ChildProcess::Outcome readOnce = ChildProcess::run([&](const ChildProcess::Report&) {
        BenchFiles::warm(database());
        BenchFiles::evict(database());
        for (const QString& name : names) {
            BenchFiles::warm(sources.filePath(name));
            BenchFiles::evict(sources.filePath(name));
        }
    });
    if (!readOnce.ok) {
        Rounds::Result failed;
        failed.ok = false;
        failed.error = readOnce.error;
        return {failed, failed};
    }
    // Every copy is checked against the digest of the file uploaded. Each side then lets go of
    // the pages it read, so that the next one finds the page cache as this one did: here a Save
    // As right after a cp whose files stayed cached took two to three times as long.
    const auto check = [&](const QDir& folder, const QStringList& read) {
        for (const QString& name : names)
            require(digestOf(folder.filePath(name)) == m_digests.value(name),
                    QStringLiteral("the copy of %1 differs from the file uploaded").arg(name));
        QDir(folder.path()).removeRecursively();
        for (const QString& file : read)
            BenchFiles::evict(file);
        BenchFiles::syncFileSystem(m_base);
    };
    return Rounds::run(
        {{QStringLiteral("cp, cold"),
          [&](int round, const ChildProcess::Report& report) {
              const QDir folder(target(QStringLiteral("cp"), round));
              freshFolder(folder.path());
              QStringList arguments;
              for (const QString& name : names) {
                  BenchFiles::evict(sources.filePath(name));
                  arguments.append(sources.filePath(name));
              }
              arguments.append(folder.path());
              BenchFiles::syncFileSystem(m_base);
              const Stopwatch watch;
              const ExternalCommand::Result cp = ExternalCommand::run(QStringLiteral("cp"), arguments, false);
              report.put(Rounds::Seconds, watch.seconds());
              require(cp.started && cp.exitCode == 0, QStringLiteral("cp failed"));
              check(folder, arguments.mid(0, names.size()));
          }},
         {QStringLiteral("Orvanta, Save As of each, %1 compacting").arg(phase),
          [&](int round, const ChildProcess::Report& report) {
              engine.applyToProcess();
              const UiSession session;
              ApplicationFolder::setPath(app());
              RecordWindow record(StoredClient, QStringLiteral("Benchmark Ltd"));
              record.showAndWait();
              record.clickTab(QStringLiteral("Attachments"));
              const int count = static_cast<int>(m_documents.size());
              UiSession::waitUntil([&] { return record.listCount() == count; }, QStringLiteral("the list"));
              const QStringList listed = record.listNames();
              const QDir folder(target(QStringLiteral("saved"), round));
              freshFolder(folder.path());
              BenchFiles::evict(database());
              BenchFiles::syncFileSystem(m_base);
              // What the person does for each: select the document, SaveAs, pick the file name.
              const Stopwatch watch;
              for (const QString& name : names) {
                  const int row = static_cast<int>(listed.indexOf(name));
                  require(row >= 0, QStringLiteral("the list does not show %1").arg(name));
                  record.select(row);
                  session.fileDialog().setNextFileName(folder.filePath(name));
                  record.trigger(QStringLiteral("MnuSaveAs"));
              }
              report.put(Rounds::Seconds, watch.seconds());
              require(session.messageBox().shown().isEmpty(),
                      QStringLiteral("Save As said: %1").arg(session.messageBox().last().text));
              check(folder, {database()});
          }}},
        m_options.rounds);
}

std::vector<Rounds::Result> CompactionCase::compactionRounds()
{
    const EngineChoice engine(m_options);
    const auto work = [&](int round) { return path(QStringLiteral("compacted-%1").arg(round)); };
    qint64 storedBytes = 0;
    for (const Document& document : m_documents)
        storedBytes += document.replacementBytes > 0 ? document.replacementBytes : document.bytes;
    std::vector<Rounds::Result> results = Rounds::run(
        {{QStringLiteral("cp + fsync of the file"),
          [&](int round, const ChildProcess::Report& report) {
              const QString copy = path(QStringLiteral("copy-%1.mdb").arg(round));
              BenchFiles::evict(database());
              BenchFiles::syncFileSystem(m_base);
              const Stopwatch watch;
              const ExternalCommand::Result cp = ExternalCommand::run(QStringLiteral("cp"), {database(), copy}, false);
              BenchFiles::fsyncFile(copy);
              report.put(Rounds::Seconds, watch.seconds());
              require(cp.started && cp.exitCode == 0, QStringLiteral("cp failed"));
              QFile::remove(copy);
              BenchFiles::evict(database());
              BenchFiles::syncFileSystem(m_base);
          }},
         {QStringLiteral("Orvanta, compaction"),
          [&](int round, const ChildProcess::Report& report) {
              // A copy of the fragmented file each round, so that every round compacts the same.
              freshFolder(work(round));
              const QString file = BenchFiles::database(work(round));
              BenchFiles::copy(database(), file);
              BenchFiles::evict(file);
              BenchFiles::evict(database());
              BenchFiles::syncFileSystem(m_base);
              engine.applyToProcess();
              const Stopwatch watch;
              const DatabaseCompaction::Result result = DatabaseCompaction(file).run();
              report.put(Rounds::Seconds, watch.seconds());
              require(result.bytesBefore == m_bytesBefore,
                      QStringLiteral("the compaction found a file of %1 bytes, not %2")
                          .arg(result.bytesBefore)
                          .arg(m_bytesBefore));
              require(result.bytesAfter == BenchFiles::size(file),
                      QStringLiteral("the compaction says %1 bytes, the file holds %2")
                          .arg(result.bytesAfter)
                          .arg(BenchFiles::size(file)));
              const BareSqlite bare(file);
              BareSqlite::Query rows(bare,
                                     QStringLiteral("SELECT count(*), sum(length(Attachments)) FROM Attachments"));
              require(rows.step() && rows.integer(0) == static_cast<qint64>(m_documents.size()) &&
                          rows.integer(1) == storedBytes,
                      QStringLiteral("the compacted file does not hold the %1 documents").arg(m_documents.size()));
              BenchFiles::evict(file);
              if (round > 0)
                  QDir(work(round)).removeRecursively();
              BenchFiles::syncFileSystem(m_base);
          }}},
        m_options.rounds);
    if (!results.at(1).ok)
        return results;
    // The first round's compacted file takes the fragmented one's place, as the compaction's
    // own swap does, for the fetches after it.
    const QString compacted = BenchFiles::database(work(0));
    m_bytesAfter = BenchFiles::size(compacted);
    if (std::rename(QFile::encodeName(compacted).constData(), QFile::encodeName(database()).constData()) != 0) {
        results.at(1).ok = false;
        results.at(1).error = QStringLiteral("the compacted file could not take the database's place");
    }
    QDir(work(0)).removeRecursively();
    const ChildProcess::Outcome steps = ChildProcess::run([&](const ChildProcess::Report& report) {
        report.note(QStringLiteral("compact: the same after compacting: %1.")
                        .arg(pageSteps(database(), replacedNames().size()).text()));
        BenchFiles::evict(database());
    });
    for (const QString& note : steps.notes)
        m_table.addNote(note);
    if (!steps.ok)
        m_table.addNote(
            QStringLiteral("compact: the compacted file's page map could not be read: %1").arg(steps.error));
    return results;
}
