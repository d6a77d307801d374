#include "ManyDocumentsCase.h"

#include "BareSqlite.h"
#include "BenchFiles.h"
#include "BenchOptions.h"
#include "BenchServer.h"
#include "ChildProcess.h"
#include "DataMaker.h"
#include "EngineChoice.h"
#include "RecordWindow.h"
#include "Require.h"
#include "ResultTable.h"
#include "Rounds.h"
#include "Stopwatch.h"
#include "UiSession.h"

#include "platform/ScriptedFileDialog.h"
#include "platform/ScriptedMessageBox.h"
#include "store/ApplicationFolder.h"
#include "store/StoreError.h"

#include <QDir>
#include <QTreeView>
#include <cstring>

namespace {

// The one client of a new folder, who holds the documents.
constexpr qint64 StoredClient = 1;
const QString Attachments = QStringLiteral("Attachments");

void freshFolder(const QString& folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

QString speedText(double mib, double seconds)
{
    return ResultTable::duration(seconds) + QStringLiteral(" (") + ResultTable::speed(mib, seconds) + QLatin1Char(')');
}

} // namespace

ManyDocumentsCase::ManyDocumentsCase(const BenchOptions& options, const QString& root, ResultTable& table,
                                     const BenchServer* server)
    : m_options(options), m_table(table), m_server(server), m_base(QDir(root).filePath(QStringLiteral("many")))
{
    for (int i = 0; i < m_options.docs; ++i)
        m_files.append(QStringLiteral("doc-%1.bin").arg(i, 5, 10, QLatin1Char('0')));
    for (const QString& name : m_files)
        m_paths.append(QDir(folder(QStringLiteral("files"), 0)).filePath(name));
}

QString ManyDocumentsCase::folder(const QString& name, int round) const
{
    return QDir(m_base).filePath(QStringLiteral("%1-%2").arg(name).arg(round));
}

QString ManyDocumentsCase::app(int round) const
{
    return folder(m_on ? QStringLiteral("pg-app") : QStringLiteral("app"), round);
}

void ManyDocumentsCase::addServerRow(const QString& name, double seconds, const QString& baseline,
                                     double baselineSeconds, int sqliteFigure, const QString& peak)
{
    const double sqlite = m_sqlite.at(static_cast<size_t>(sqliteFigure));
    m_table.add({name + QStringLiteral(", on PostgreSQL"), ResultTable::duration(seconds),
                 QStringLiteral("SQLite: %1; %2: %3")
                     .arg(ResultTable::duration(sqlite), baseline, ResultTable::duration(baselineSeconds)),
                 QStringLiteral("%1 SQLite's time").arg(ResultTable::times(seconds / sqlite)), QStringLiteral("—"),
                 ResultTable::Verdict::Report, peak});
}

void ManyDocumentsCase::run()
{
    std::fprintf(stderr, "many documents: making %d files\n", m_options.docs);
    const ChildProcess::Outcome setup = ChildProcess::run([&](const ChildProcess::Report& report) {
        QDir(m_base).removeRecursively();
        freshFolder(folder(QStringLiteral("files"), 0));
        DataMaker maker(2);
        qint64 total = 0;
        QByteArray contents;
        for (const QString& path : m_paths) {
            const qint64 size = maker.between(10 * 1024, 100 * 1024);
            contents.resize(size);
            for (qint64 at = 0; at + 8 <= size; at += 8) {
                const quint64 value = maker.next();
                std::memcpy(contents.data() + at, &value, 8);
            }
            BenchFiles::write(path, contents);
            total += size;
        }
        BenchFiles::syncFileSystem(m_base);
        report.put(QStringLiteral("bytes"), static_cast<double>(total));
    });
    if (!setup.ok) {
        m_table.addError(QStringLiteral("%1 documents dropped").arg(m_options.docs), setup.error);
        return;
    }
    m_mib = setup.value(QStringLiteral("bytes")) / (1024.0 * 1024.0);
    runDrop();
    if (m_dropped) {
        runAttachmentsTab();
        runSaveAs();
    }
    if (m_server && m_dropped) {
        m_on = m_server;
        m_dropped = false;
        runDrop();
        if (m_dropped) {
            runAttachmentsTab();
            runSaveAs();
        }
        m_on = nullptr;
    }
    if (!m_options.keep)
        QDir(m_base).removeRecursively();
}

void ManyDocumentsCase::runDrop()
{
    const QString name = QStringLiteral("%1 documents of 10–100 KiB dropped onto the record window, its list refreshed")
                             .arg(m_files.size());
    const auto warmSources = [&] {
        for (const QString& path : m_paths)
            BenchFiles::warm(path);
        BenchFiles::syncFileSystem(m_base);
    };
    const EngineChoice engine(m_options);
    // Every round writes into folders never used before (creating files is slow for a while
    // after many were deleted); all but the first round's go afterwards.
    const std::vector<Rounds::Result> drops =
        Rounds::run({{QStringLiteral("loose files + syncfs"),
                      [&](int round, const ChildProcess::Report& report) {
                          const QDir loose(folder(QStringLiteral("loose"), round));
                          freshFolder(loose.path());
                          warmSources();
                          const Stopwatch watch;
                          for (qsizetype i = 0; i < m_files.size(); ++i)
                              BenchFiles::copy(m_paths.at(i), loose.filePath(m_files.at(i)));
                          BenchFiles::syncFileSystem(loose.path());
                          report.put(Rounds::Seconds, watch.seconds());
                          if (round > 0)
                              QDir(loose.path()).removeRecursively();
                      }},
                     {QStringLiteral("Orvanta, drop"),
                      [&](int round, const ChildProcess::Report& report) {
                          if (m_on)
                              m_on->prepareFolder(app(round), QStringLiteral("many_%1").arg(round));
                          require(DataMaker::createFolderWithClient(app(round)) == StoredClient,
                                  QStringLiteral("the new folder's client is not the first"));
                          if (!m_on)
                              engine.prepareFile(BenchFiles::database(app(round)));
                          engine.applyToProcess();
                          const UiSession session;
                          ApplicationFolder::setPath(app(round));
                          InputProbe probe;
                          RecordWindow record(StoredClient, QStringLiteral("Benchmark Ltd"));
                          record.showAndWait();
                          record.clickTab(Attachments);
                          UiSession::settle();
                          warmSources();
                          const qsizetype count = m_files.size();
                          const ActionWaits waits = measureAction(
                              probe, record.list()->viewport(), [&] { return record.listCount() > 0; },
                              [&] { record.drop(m_paths); }, [&] { return record.listCount() == count; },
                              QStringLiteral("the drop"), scrollToEnd(record.list()));
                          report.put(Rounds::Seconds, waits.all());
                          require(session.messageBox().shown().isEmpty(),
                                  QStringLiteral("the drop said: %1").arg(session.messageBox().last().text));
                          require(record.listNames() == m_files,
                                  QStringLiteral("the refreshed list does not show the documents dropped"));
                          if (round > 0) {
                              QDir(app(round)).removeRecursively();
                              if (m_on)
                                  m_on->dropDatabase(QStringLiteral("many_%1").arg(round));
                          }
                      }}},
                    m_options.rounds);
    const Rounds::Result& loose = drops.at(0);
    const Rounds::Result& drop = drops.at(1);
    if (!loose.ok || !drop.ok) {
        m_table.addError(name, loose.ok ? drop.error : loose.error);
        return;
    }
    m_dropped = true;
    if (m_on) {
        addServerRow(name, drop.seconds, QStringLiteral("loose files + syncfs"), loose.seconds, Drop,
                     ResultTable::mebibytes(drop.peakMiB));
        return;
    }
    m_sqlite[Drop] = drop.seconds;
    const double ratio = loose.seconds / drop.seconds;
    m_table.add({name, speedText(m_mib, drop.seconds),
                 QStringLiteral("loose files + syncfs: ") + ResultTable::duration(loose.seconds),
                 ResultTable::times(ratio), QStringLiteral("≥ 1×"), ResultTable::atLeast(ratio, 1.0),
                 ResultTable::mebibytes(drop.peakMiB)});
}

void ManyDocumentsCase::runAttachmentsTab()
{
    const QString name = QStringLiteral("Attachments tab of a client with %1 documents").arg(m_files.size());
    const QString file = BenchFiles::database(app(0));
    const QString statement =
        QStringLiteral("SELECT AttachmentsId, AttachmentsName, AttachmentsDate, AttachmentVersion FROM Attachments "
                       "WHERE PersonalInformationId = ? ORDER BY AttachmentsName, AttachmentVersion DESC");
    // The baseline: the bare engine reading the columns the list shows, cold and then warm
    // (on the server, the same case on SQLite is).
    const auto bareReads = [&](const ChildProcess::Report& report) {
        BenchFiles::evict(file);
        std::vector<double> times;
        for (int r = 0; r <= m_options.repeats; ++r) {
            const Stopwatch watch;
            const BareSqlite db(file);
            BareSqlite::Query rows(db, statement);
            rows.bind(1, StoredClient);
            QStringList names;
            while (rows.step())
                names.append(QString::fromUtf8(rows.text(1)));
            times.push_back(watch.seconds());
            require(names == m_files, QStringLiteral("the bare engine lists other documents"));
        }
        report.put(QStringLiteral("cold"), times.front());
        times.erase(times.begin());
        report.put(QStringLiteral("warm"), Stopwatch::median(times));
    };
    ChildProcess::Outcome bare;
    bare.ok = true;
    if (!m_on)
        bare = ChildProcess::run(bareReads);
    const ChildProcess::Outcome window = ChildProcess::run([&](const ChildProcess::Report& report) {
        EngineChoice(m_options).applyToProcess();
        const UiSession session;
        ApplicationFolder::setPath(app(0));
        InputProbe probe;
        RecordWindow record(StoredClient, QStringLiteral("Benchmark Ltd"));
        record.showAndWait();
        const qsizetype count = m_files.size();
        std::vector<double> times;
        for (int r = 0; r <= m_options.repeats; ++r) {
            if (r == 0 && m_on)
                m_on->makeCold();
            else if (r == 0)
                BenchFiles::evict(file);
            const ActionWaits waits = measureAction(
                probe, record.list()->viewport(), [&] { return record.listCount() > 0; },
                [&] { record.clickTab(Attachments); }, [&] { return record.listCount() == count; },
                QStringLiteral("the Attachments tab"), scrollToEnd(record.list()));
            times.push_back(waits.all());
            require(record.listNames() == m_files, QStringLiteral("the list shows other documents"));
            record.clickTab(QStringLiteral("Personal Information"));
            UiSession::settle();
        }
        report.put(QStringLiteral("cold"), times.front());
        times.erase(times.begin());
        report.put(QStringLiteral("warm"), Stopwatch::median(times));
    });
    if (!bare.ok || !window.ok) {
        m_table.addError(name, window.ok ? QStringLiteral("the bare engine: ") + bare.error : window.error);
        return;
    }
    if (m_on) {
        addServerRow(name + QStringLiteral(", cold (server restarted)"), window.value(QStringLiteral("cold")),
                     QStringLiteral("the same, warm"), window.value(QStringLiteral("warm")), TabCold,
                     ResultTable::mebibytes(window.peakMiB));
        addServerRow(name + QStringLiteral(", warm"), window.value(QStringLiteral("warm")),
                     QStringLiteral("the same, cold"), window.value(QStringLiteral("cold")), TabWarm, QString());
        return;
    }
    m_sqlite[TabCold] = window.value(QStringLiteral("cold"));
    m_sqlite[TabWarm] = window.value(QStringLiteral("warm"));
    const auto add = [&](const QString& caption, const QString& key, double target, const QString& targetText,
                         const QString& peak) {
        const double seconds = window.value(key);
        const double baseline = bare.value(key);
        m_table.add({caption, ResultTable::duration(seconds),
                     QStringLiteral("bare SQLite, the list's columns: ") + ResultTable::duration(baseline),
                     ResultTable::times(seconds / baseline), targetText,
                     seconds < target ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail, peak});
    };
    add(name + QStringLiteral(", cold file"), QStringLiteral("cold"), 0.5, QStringLiteral("< 0.5 s"),
        ResultTable::mebibytes(window.peakMiB));
    add(QStringLiteral("the same, warm"), QStringLiteral("warm"), 0.1, QStringLiteral("< 0.1 s"), QString());
}

void ManyDocumentsCase::runSaveAs()
{
    const QString name = QStringLiteral("Save As of each of the %1 documents, one at a time").arg(m_files.size());
    const QDir loose(folder(QStringLiteral("loose"), 0));
    const EngineChoice engine(m_options);
    const std::vector<Rounds::Result> copies =
        Rounds::run({{QStringLiteral("loose files copied one at a time"),
                      [&](int round, const ChildProcess::Report& report) {
                          const QDir target(folder(QStringLiteral("copied"), round));
                          freshFolder(target.path());
                          for (const QString& file : m_files)
                              BenchFiles::warm(loose.filePath(file));
                          BenchFiles::syncFileSystem(m_base);
                          const Stopwatch watch;
                          for (const QString& file : m_files)
                              BenchFiles::copy(loose.filePath(file), target.filePath(file));
                          report.put(Rounds::Seconds, watch.seconds());
                          BenchFiles::syncFileSystem(m_base);
                          QDir(target.path()).removeRecursively();
                      }},
                     {QStringLiteral("Orvanta, Save As of each"),
                      [&](int round, const ChildProcess::Report& report) {
                          engine.applyToProcess();
                          const UiSession session;
                          ApplicationFolder::setPath(app(0));
                          RecordWindow record(StoredClient, QStringLiteral("Benchmark Ltd"));
                          record.showAndWait();
                          record.clickTab(Attachments);
                          const int count = static_cast<int>(m_files.size());
                          const std::function<void()> scroll = scrollToEnd(record.list());
                          UiSession::waitUntil(
                              [&] {
                                  scroll();
                                  return record.listCount() == count;
                              },
                              QStringLiteral("the list"));
                          const QDir target(folder(QStringLiteral("saved"), round));
                          freshFolder(target.path());
                          if (!m_on)
                              BenchFiles::warm(BenchFiles::database(app(0)));
                          BenchFiles::syncFileSystem(m_base);
                          // What the person does for each: select the document, SaveAs, pick the file name.
                          const Stopwatch watch;
                          for (int i = 0; i < count; ++i) {
                              record.select(i);
                              session.fileDialog().setNextFileName(
                                  target.filePath(record.list()->model()->index(i, 0).data().toString()));
                              record.trigger(QStringLiteral("MnuSaveAs"));
                          }
                          report.put(Rounds::Seconds, watch.seconds());
                          require(session.messageBox().shown().isEmpty(),
                                  QStringLiteral("Save As said: %1").arg(session.messageBox().last().text));
                          BenchFiles::syncFileSystem(m_base);
                          for (const QString& file : m_files)
                              require(BenchFiles::same(loose.filePath(file), target.filePath(file)),
                                      QStringLiteral("the saved copy of %1 differs from the file dropped").arg(file));
                          QDir(target.path()).removeRecursively();
                      }}},
                    m_options.rounds);
    const Rounds::Result& baseline = copies.at(0);
    const Rounds::Result& saved = copies.at(1);
    if (!baseline.ok || !saved.ok) {
        m_table.addError(name, baseline.ok ? saved.error : baseline.error);
        return;
    }
    if (m_on) {
        addServerRow(name, saved.seconds, QStringLiteral("loose files copied one at a time"), baseline.seconds,
                     SaveEach, ResultTable::mebibytes(saved.peakMiB));
        return;
    }
    m_sqlite[SaveEach] = saved.seconds;
    const double ratio = baseline.seconds / saved.seconds;
    m_table.add({name, speedText(m_mib, saved.seconds),
                 QStringLiteral("loose files copied one at a time: ") + ResultTable::duration(baseline.seconds),
                 ResultTable::times(ratio), QStringLiteral("≥ 0.6×"), ResultTable::atLeast(ratio, 0.6),
                 ResultTable::mebibytes(saved.peakMiB)});
}
