#include "LargeDocumentCase.h"

#include "BenchFiles.h"
#include "BenchOptions.h"
#include "BenchServer.h"
#include "ChildProcess.h"
#include "DataMaker.h"
#include "EngineChoice.h"
#include "ExternalCommand.h"
#include "FindWindow.h"
#include "RecordWindow.h"
#include "Require.h"
#include "ResultTable.h"
#include "Rounds.h"
#include "Stopwatch.h"
#include "UiSession.h"

#include "platform/RecordingFileOpener.h"
#include "platform/ScriptedFileDialog.h"
#include "platform/ScriptedMessageBox.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTreeView>

namespace {

// The one client of a new folder, who holds the document.
constexpr qint64 StoredClient = 1;
const QString Description = QStringLiteral("Large scanned archive");

// The record window of the client on its Attachments tab, the list filled.
struct AttachmentsTab
{
    RecordWindow record;
    explicit AttachmentsTab(qint64 client, int expected) : record(client, QStringLiteral("Benchmark Ltd"))
    {
        record.showAndWait();
        record.clickTab(QStringLiteral("Attachments"));
        UiSession::waitUntil([&] { return record.listCount() == expected; },
                             QStringLiteral("the attachments list of %1").arg(expected));
    }
};

QString speedText(double mib, double seconds)
{
    return ResultTable::duration(seconds) + QStringLiteral(" (") + ResultTable::speed(mib, seconds) + QLatin1Char(')');
}

} // namespace

LargeDocumentCase::LargeDocumentCase(const BenchOptions& options, const QString& root, ResultTable& table,
                                     const BenchServer* server)
    : m_options(options), m_root(root), m_table(table), m_server(server),
      m_base(QDir(root).filePath(QStringLiteral("large"))),
      m_source(QDir(m_base).filePath(QStringLiteral("large-document.bin")))
{
}

void LargeDocumentCase::run()
{
    std::fprintf(stderr, "large document: making a %lld MiB file\n", static_cast<long long>(m_options.bigMiB));
    const ChildProcess::Outcome setup = ChildProcess::run([&](const ChildProcess::Report&) {
        QDir(m_base).removeRecursively();
        QDir().mkpath(m_base);
        BenchFiles::writeRandom(m_source, m_options.bigMiB * 1024 * 1024, 1);
    });
    if (!setup.ok) {
        m_table.addError(QStringLiteral("a %1 MiB document").arg(m_options.bigMiB), setup.error);
        return;
    }
    runOn(nullptr);
    if (m_server)
        runOn(m_server);
    if (!m_options.keep)
        QDir(m_base).removeRecursively();
}

void LargeDocumentCase::addServerRows(const QString& name, double seconds, int sqliteSide, double psql,
                                      const QString& psqlWork)
{
    const double sqlite = m_sqlite.at(static_cast<size_t>(sqliteSide));
    if (sqlite > 0)
        m_table.add({QStringLiteral("%1: against the same on SQLite").arg(name), QStringLiteral("(as above)"),
                     QStringLiteral("SQLite: ") + ResultTable::duration(sqlite), ResultTable::times(sqlite / seconds),
                     QStringLiteral("—"), ResultTable::Verdict::Report, QString()});
    if (psql > 0)
        m_table.add({QStringLiteral("%1: against psql").arg(name), QStringLiteral("(as above)"),
                     QStringLiteral("psql %1: ").arg(psqlWork) + ResultTable::duration(psql),
                     ResultTable::times(psql / seconds), QStringLiteral("—"), ResultTable::Verdict::Report, QString()});
}

void LargeDocumentCase::runOn(const BenchServer* server)
{
    const QString& base = m_base;
    const QString& source = m_source;
    const double mib = static_cast<double>(m_options.bigMiB);
    const QString on = server ? QStringLiteral(" on PostgreSQL") : QString();
    const double target = server ? 0.3 : 0.8;
    const QString targetText = server ? QStringLiteral("≥ 0.3×") : QStringLiteral("≥ 0.8×");
    const QString storeName =
        QStringLiteral("store a %1 MiB document (Upload on the Attachments tab)%2").arg(m_options.bigMiB).arg(on);
    const QString folderPrefix = server ? QStringLiteral("pg-app") : QStringLiteral("app");
    const auto app = [&](int round) {
        return QDir(base).filePath(QStringLiteral("%1-%2").arg(folderPrefix).arg(round));
    };
    const auto databaseName = [](int round) { return QStringLiteral("large_%1").arg(round); };
    const auto copy = [&](const QString& side, int round) {
        return QDir(base).filePath(QStringLiteral("%1-%2.bin").arg(side).arg(round));
    };
    const EngineChoice engine(m_options);
    // psql's own large-object import and export of the same file, into a database of its own.
    QString psqlDatabase;
    if (server) {
        try {
            psqlDatabase = server->createDatabase(QStringLiteral("large_psql"));
        } catch (const StoreError& error) {
            m_table.addError(storeName, error.message());
            return;
        }
    }

    // Storing: every round into a file or a database of its own, which goes afterwards
    // (the first round's database stays for the fetches).
    const bool haveDirect = ExternalCommand::available(QStringLiteral("dd"));
    std::vector<Rounds::Side> stores = {
        {QStringLiteral("cp + fsync"),
         [&](int round, const ChildProcess::Report& report) {
             const QString target = copy(QStringLiteral("cp"), round);
             BenchFiles::warm(source);
             BenchFiles::syncFileSystem(base);
             const Stopwatch watch;
             const ExternalCommand::Result cp = ExternalCommand::run(QStringLiteral("cp"), {source, target}, false);
             BenchFiles::fsyncFile(target);
             report.put(Rounds::Seconds, watch.seconds());
             require(cp.started && cp.exitCode == 0, QStringLiteral("cp failed"));
             require(round > 0 || BenchFiles::same(source, target), QStringLiteral("cp made a different copy"));
             QFile::remove(target);
         }},
        {QStringLiteral("Orvanta, Upload"), [&](int round, const ChildProcess::Report& report) {
             if (server)
                 server->prepareFolder(app(round), databaseName(round));
             const qint64 client = DataMaker::createFolderWithClient(app(round));
             require(client == StoredClient, QStringLiteral("the new folder's client is %1").arg(client));
             if (!server)
                 engine.prepareFile(BenchFiles::database(app(round)));
             engine.applyToProcess();
             const UiSession session;
             ApplicationFolder::setPath(app(round));
             InputProbe probe;
             AttachmentsTab tab(client, 0);
             require(tab.record.button(QStringLiteral("cmdEdit"))->text() == QLatin1String("UpLoad"),
                     QStringLiteral("the Attachments tab's button does not read UpLoad"));
             session.fileDialog().setNextFileName(source);
             BenchFiles::warm(source);
             BenchFiles::syncFileSystem(base);
             const ActionWaits waits = measureAction(
                 probe, tab.record.list()->viewport(), [&] { return tab.record.listCount() == 1; },
                 [&] { tab.record.clickButton(QStringLiteral("cmdEdit")); },
                 [&] { return tab.record.listCount() == 1; }, QStringLiteral("the upload"));
             report.put(Rounds::Seconds, waits.all());
             require(session.messageBox().last().text == QLatin1String("Attachment successfully uploaded"),
                     QStringLiteral("the upload said: %1").arg(session.messageBox().last().text));
             if (round > 0) {
                 QDir(app(round)).removeRecursively();
                 if (server)
                     server->dropDatabase(databaseName(round));
             }
         }}};
    if (server) {
        stores.push_back(
            {QStringLiteral("psql \\lo_import"), [&](int round, const ChildProcess::Report& report) {
                 BenchFiles::warm(source);
                 BenchFiles::syncFileSystem(base);
                 const Stopwatch watch;
                 server->psql(psqlDatabase, {QStringLiteral("-c"), QStringLiteral("\\lo_import '%1'").arg(source)});
                 report.put(Rounds::Seconds, watch.seconds());
                 // The first round's stays for the export.
                 if (round > 0)
                     server->psql(psqlDatabase, {QStringLiteral("-c"), QStringLiteral("SELECT lo_unlink(max(oid)) "
                                                                                      "FROM pg_largeobject_metadata")});
             }});
    } else if (haveDirect) {
        stores.push_back(
            {QStringLiteral("dd oflag=direct conv=fsync"), [&](int round, const ChildProcess::Report& report) {
                 const QString target = copy(QStringLiteral("dd"), round);
                 BenchFiles::warm(source);
                 BenchFiles::syncFileSystem(base);
                 const Stopwatch watch;
                 const ExternalCommand::Result dd = ExternalCommand::run(
                     QStringLiteral("dd"),
                     {QStringLiteral("if=") + source, QStringLiteral("of=") + target, QStringLiteral("bs=4M"),
                      QStringLiteral("oflag=direct"), QStringLiteral("conv=fsync"), QStringLiteral("status=none")},
                     false);
                 report.put(Rounds::Seconds, watch.seconds());
                 require(dd.started && dd.exitCode == 0,
                         QStringLiteral("dd oflag=direct failed (a file system without O_DIRECT?)"));
                 QFile::remove(target);
             }});
    }
    std::fprintf(stderr, "large document: storing%s\n", qPrintable(on));
    const std::vector<Rounds::Result> stored = Rounds::run(stores, m_options.rounds);
    const Rounds::Result& cpSync = stored.at(0);
    const Rounds::Result& upload = stored.at(1);
    if (!cpSync.ok || !upload.ok) {
        m_table.addError(storeName, upload.ok ? cpSync.error : upload.error);
        return;
    }
    const double cpRatio = cpSync.seconds / upload.seconds;
    m_table.add({storeName, speedText(mib, upload.seconds),
                 QStringLiteral("cp + fsync: ") + speedText(mib, cpSync.seconds), ResultTable::times(cpRatio),
                 targetText, ResultTable::atLeast(cpRatio, target), ResultTable::mebibytes(upload.peakMiB)});
    if (!server)
        m_sqlite[0] = upload.seconds;
    if (server) {
        addServerRows(storeName, upload.seconds, 0, stored.at(2).ok ? stored.at(2).seconds : 0,
                      QStringLiteral("\\lo_import"));
    } else if (haveDirect && stored.at(2).ok) {
        const double ddRatio = stored.at(2).seconds / upload.seconds;
        m_table.add({QStringLiteral("the same against the disk written past the page cache"),
                     QStringLiteral("(as above)"),
                     QStringLiteral("dd oflag=direct conv=fsync: ") + speedText(mib, stored.at(2).seconds),
                     ResultTable::times(ddRatio), QStringLiteral("≥ 0.5× (within 2×)"),
                     ResultTable::atLeast(ddRatio, 0.5), QString()});
    } else {
        m_table.addNote(QStringLiteral("dd oflag=direct could not run here: %1")
                            .arg(haveDirect ? stored.at(2).error : QStringLiteral("dd is not installed")));
    }

    // Fetching from the first round's database, through each window's path.
    const ChildProcess::Outcome described = ChildProcess::run([&](const ChildProcess::Report&) {
        ApplicationFolder::setPath(app(0));
        CLsDataBaseConnection connection;
        require(connection.Execute(QStringLiteral("UPDATE Attachments SET AttachmentDescription = ?"), {Description}) ==
                    1,
                QStringLiteral("the stored document is not there"));
    });
    if (!described.ok) {
        m_table.addError(QStringLiteral("fetch it"), described.error);
        return;
    }
    // The server's files stay as the store left them.
    const auto warmDatabase = [&] {
        if (!server)
            BenchFiles::warm(BenchFiles::database(app(0)));
        BenchFiles::syncFileSystem(base);
    };
    const auto checked = [&](const QString& path) {
        require(!path.isEmpty() && BenchFiles::same(source, path),
                QStringLiteral("the fetched document %1 differs from the file stored").arg(path));
        QFile::remove(path);
        BenchFiles::syncFileSystem(base);
    };
    // One window's fetch: `fetch` acts as the person does and gives the file written.
    const auto windowFetch = [&](const std::function<QString(const UiSession&, InputProbe&, double&, int)>& fetch) {
        return [&, fetch](int round, const ChildProcess::Report& report) {
            engine.applyToProcess();
            const UiSession session;
            ApplicationFolder::setPath(app(0));
            InputProbe probe;
            double seconds = 0;
            const QString written = fetch(session, probe, seconds, round);
            report.put(Rounds::Seconds, seconds);
            checked(written);
        };
    };
    std::vector<Rounds::Side> fetches = {
        {QStringLiteral("cp, page cache"),
         [&](int round, const ChildProcess::Report& report) {
             const QString target = copy(QStringLiteral("cp-fetch"), round);
             BenchFiles::warm(source);
             BenchFiles::syncFileSystem(base);
             const Stopwatch watch;
             const ExternalCommand::Result cp = ExternalCommand::run(QStringLiteral("cp"), {source, target}, false);
             report.put(Rounds::Seconds, watch.seconds());
             require(cp.started && cp.exitCode == 0, QStringLiteral("cp failed"));
             QFile::remove(target);
             // The copy's pages are let go before the next side starts, as after the others.
             BenchFiles::syncFileSystem(base);
         }},
        {QStringLiteral("Save As, record window"),
         windowFetch([&](const UiSession& session, InputProbe& probe, double& seconds, int round) {
             AttachmentsTab tab(StoredClient, 1);
             tab.record.select(0);
             const QString target = copy(QStringLiteral("saved"), round);
             session.fileDialog().setNextFileName(target);
             warmDatabase();
             seconds = measureAction(
                           probe, nullptr, {}, [&] { tab.record.trigger(QStringLiteral("MnuSaveAs")); },
                           [&] { return QFile::exists(target); }, QStringLiteral("Save As"))
                           .all();
             require(session.messageBox().shown().isEmpty(),
                     QStringLiteral("Save As said: %1").arg(session.messageBox().last().text));
             return target;
         })},
        {QStringLiteral("View, record window"),
         windowFetch([&](const UiSession& session, InputProbe& probe, double& seconds, int) {
             AttachmentsTab tab(StoredClient, 1);
             tab.record.select(0);
             warmDatabase();
             seconds = measureAction(
                           probe, nullptr, {}, [&] { tab.record.trigger(QStringLiteral("MnuView")); },
                           [&] { return !session.fileOpener().opened().isEmpty(); }, QStringLiteral("View"))
                           .all();
             return session.fileOpener().opened().value(0);
         })},
        {QStringLiteral("View, search results"),
         windowFetch([&](const UiSession& session, InputProbe& probe, double& seconds, int) {
             FindWindow find;
             find.showAndWait();
             find.find(Description.section(QLatin1Char(' '), 1), false);
             require(find.column(1) == QStringList{QStringLiteral("large-document.bin")},
                     QStringLiteral("the summary search found %1").arg(find.column(1).join(QStringLiteral(", "))));
             warmDatabase();
             seconds =
                 measureAction(
                     probe, nullptr, {}, [&] { find.open(0); },
                     [&] { return !session.fileOpener().opened().isEmpty(); }, QStringLiteral("View from the results"))
                     .all();
             return session.fileOpener().opened().value(0);
         })}};
    if (server)
        fetches.push_back(
            {QStringLiteral("psql \\lo_export"), [&](int round, const ChildProcess::Report& report) {
                 const QString target = copy(QStringLiteral("psql-fetch"), round);
                 const QString oid = QString::fromUtf8(
                     server
                         ->psql(psqlDatabase, {QStringLiteral("-Atc"),
                                               QStringLiteral("SELECT min(oid) FROM pg_largeobject_metadata")})
                         .output.trimmed());
                 BenchFiles::syncFileSystem(base);
                 const Stopwatch watch;
                 server->psql(psqlDatabase,
                              {QStringLiteral("-c"), QStringLiteral("\\lo_export %1 '%2'").arg(oid, target)});
                 report.put(Rounds::Seconds, watch.seconds());
                 checked(target);
             }});
    std::fprintf(stderr, "large document: fetching%s\n", qPrintable(on));
    const std::vector<Rounds::Result> fetched = Rounds::run(fetches, m_options.rounds);
    const Rounds::Result& cp = fetched.at(0);
    const QStringList names = {QString(), QStringLiteral("fetch it: Save As from the record window"),
                               QStringLiteral("fetch it: View from the record window"),
                               QStringLiteral("fetch it: View from the search results")};
    for (size_t side = 1; side < 4; ++side) {
        const Rounds::Result& result = fetched.at(side);
        if (!cp.ok || !result.ok) {
            m_table.addError(names.at(static_cast<qsizetype>(side)), result.ok ? cp.error : result.error);
            continue;
        }
        const double ratio = cp.seconds / result.seconds;
        const QString name = names.at(static_cast<qsizetype>(side)) + on;
        m_table.add({name, speedText(mib, result.seconds),
                     QStringLiteral("cp, page cache: ") + speedText(mib, cp.seconds), ResultTable::times(ratio),
                     targetText, ResultTable::atLeast(ratio, target), ResultTable::mebibytes(result.peakMiB)});
        if (!server)
            m_sqlite.at(side) = result.seconds;
        else
            addServerRows(name, result.seconds, static_cast<int>(side),
                          fetched.size() > 4 && fetched.at(4).ok ? fetched.at(4).seconds : 0,
                          QStringLiteral("\\lo_export"));
    }
}
