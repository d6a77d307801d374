#include "RecordCase.h"

#include "BareSqlite.h"
#include "BenchFiles.h"
#include "BenchOptions.h"
#include "BenchServer.h"
#include "ChildProcess.h"
#include "EngineChoice.h"
#include "OfficeData.h"
#include "RecordWindow.h"
#include "Require.h"
#include "ResultTable.h"
#include "Stopwatch.h"
#include "UiSession.h"

#include "clients/ui/DisplayExtendedInformation.h"
#include "platform/ScriptedMessageBox.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/Identifier.h"
#include "store/StoreError.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <functional>
#include <vector>

namespace {

// The designed tab clicked and the field typed into.
constexpr int ClickedTab = 4;
constexpr int TypedField = 1;

const QStringList Steps = {QStringLiteral("open"), QStringLiteral("tab"), QStringLiteral("edit"),
                           QStringLiteral("save")};

// Whether a condition on the window holds; false while what it looks at is not on screen.
bool holds(const std::function<bool()>& condition)
{
    try {
        return condition();
    } catch (const StoreError&) {
        return false;
    }
}

QStringList captions(const QString& name)
{
    return {QStringLiteral("%1: first open, cold").arg(name),
            QStringLiteral("click on the tab \"%1\"").arg(OfficeData::tabName(ClickedTab)), QStringLiteral("Edit"),
            QStringLiteral("a field typed, then Save")};
}

QString typedValue(int round)
{
    return QStringLiteral("typed in round %1").arg(round + 1);
}

// The bare engine's reads and writes of the same steps.
void bareSteps(const BareSqlite& db, qint64 client, int round, std::vector<double>& times)
{
    const auto readRow = [&](const QString& table) {
        BareSqlite::Query row(
            db, QStringLiteral("SELECT * FROM %1 WHERE PersonalInformationId = ?").arg(quoteIdentifier(table)));
        row.bind(1, client);
        require(row.step(), QStringLiteral("the bare engine found no row of the client in %1").arg(table));
    };
    const auto readAll = [&](const QString& sql) {
        BareSqlite::Query rows(db, sql);
        while (rows.step()) {
        }
    };
    Stopwatch watch;
    readAll(QStringLiteral("SELECT * FROM TabInfo"));
    readAll(QStringLiteral("SELECT * FROM FieldInfo"));
    readRow(QStringLiteral("Personal Information"));
    times.push_back(watch.seconds());
    watch.restart();
    readRow(OfficeData::tabName(ClickedTab));
    times.push_back(watch.seconds());
    watch.restart();
    readRow(QStringLiteral("Personal Information"));
    for (int t = 0; t < OfficeData::Tabs; ++t)
        readRow(OfficeData::tabName(t));
    times.push_back(watch.seconds());
    watch.restart();
    db.execute(QStringLiteral("BEGIN IMMEDIATE"));
    BareSqlite::Query update(db, QStringLiteral("UPDATE %1 SET %2 = ? WHERE PersonalInformationId = ?")
                                     .arg(quoteIdentifier(OfficeData::tabName(ClickedTab)),
                                          quoteIdentifier(OfficeData::fieldName(TypedField))));
    update.bind(1, QStringLiteral("bare ") + typedValue(round));
    update.bind(2, client);
    update.step();
    db.execute(QStringLiteral("COMMIT"));
    times.push_back(watch.seconds());
}

} // namespace

RecordCase::RecordCase(const BenchOptions& options, const OfficeData& office, ResultTable& table)
    : m_options(options), m_office(office), m_table(table)
{
}

void RecordCase::run()
{
    const qint64 client = m_office.recordClient();
    const QString name = QStringLiteral("record window, %1 clients, %2 designed tabs with a row per client")
                             .arg(m_office.clients())
                             .arg(OfficeData::Tabs);
    std::fprintf(stderr, "record window\n");

    // The baseline, its first round from a cold file, on the next client (whose rows are
    // as large), so that the window later finds its client's rows as they were made.
    const ChildProcess::Outcome bare = ChildProcess::run([&](const ChildProcess::Report& report) {
        BenchFiles::evict(m_office.file());
        std::vector<double> first;
        {
            const BareSqlite db(m_office.file());
            bareSteps(db, client + 1, 0, first);
        }
        std::vector<std::vector<double>> warm(Steps.size());
        for (int r = 1; r <= m_options.repeats; ++r) {
            const BareSqlite db(m_office.file());
            std::vector<double> times;
            bareSteps(db, client + 1, r, times);
            for (size_t s = 0; s < times.size(); ++s)
                warm[s].push_back(times[s]);
        }
        for (qsizetype s = 0; s < Steps.size(); ++s) {
            report.put(Steps.at(s), first[static_cast<size_t>(s)]);
            report.put(Steps.at(s) + QStringLiteral("Warm"), Stopwatch::median(warm[static_cast<size_t>(s)]));
        }
    });

    const ChildProcess::Outcome program =
        measureProgram(m_office.app(), [this] { BenchFiles::evict(m_office.file()); });
    if (!bare.ok || !program.ok) {
        m_table.addError(name, !program.ok ? program.error : QStringLiteral("the bare engine: ") + bare.error);
        return;
    }

    const QStringList bareSteps = {QStringLiteral("definitions + client row"), QStringLiteral("the tab's row"),
                                   QStringLiteral("%1 rows").arg(OfficeData::Tabs + 1),
                                   QStringLiteral("update + commit")};
    const double targets[] = {0.2, 0.05, 0.1, 0.2};
    const QStringList targetTexts = {QStringLiteral("< 200 ms"), QStringLiteral("< 50 ms"), QStringLiteral("< 100 ms"),
                                     QStringLiteral("< 200 ms")};
    for (qsizetype s = 0; s < Steps.size(); ++s) {
        const double first = program.value(Steps.at(s));
        const double baseline = bare.value(Steps.at(s));
        const double target = targets[s];
        m_table.add({captions(name).at(s),
                     ResultTable::duration(first) + QStringLiteral(" (warm ") +
                         ResultTable::duration(program.value(Steps.at(s) + QStringLiteral("Warm"))) + QLatin1Char(')'),
                     QStringLiteral("bare SQLite, %1: ").arg(bareSteps.at(s)) + ResultTable::duration(baseline) +
                         QStringLiteral(" (warm ") +
                         ResultTable::duration(bare.value(Steps.at(s) + QStringLiteral("Warm"))) + QLatin1Char(')'),
                     ResultTable::times(first / baseline), targetTexts.at(s) + QStringLiteral(", the first time"),
                     first < target ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail,
                     s == 0 ? ResultTable::mebibytes(program.peakMiB) : QString()});
    }
    if (m_office.server())
        addServerRows(program);
}

void RecordCase::addServerRows(const ChildProcess::Outcome& sqlite)
{
    const QString name = QStringLiteral("record window on PostgreSQL, %1 clients").arg(m_office.clients());
    std::fprintf(stderr, "record window on PostgreSQL\n");
    const BenchServer* server = m_office.server();
    const ChildProcess::Outcome program = measureProgram(m_office.serverApp(), [server] { server->makeCold(); });
    if (!program.ok) {
        m_table.addError(name, program.error);
        return;
    }
    for (qsizetype s = 0; s < Steps.size(); ++s) {
        const double first = program.value(Steps.at(s));
        const double warm = program.value(Steps.at(s) + QStringLiteral("Warm"));
        const double sqliteFirst = sqlite.value(Steps.at(s));
        const double sqliteWarm = sqlite.value(Steps.at(s) + QStringLiteral("Warm"));
        const double ratio = std::max(first / sqliteFirst, warm / sqliteWarm);
        m_table.add(
            {captions(name).at(s),
             ResultTable::duration(first) + QStringLiteral(" (warm ") + ResultTable::duration(warm) + QLatin1Char(')'),
             QStringLiteral("SQLite: ") + ResultTable::duration(sqliteFirst) + QStringLiteral(" (warm ") +
                 ResultTable::duration(sqliteWarm) + QLatin1Char(')'),
             ResultTable::times(first / sqliteFirst) + QStringLiteral(" (warm ") +
                 ResultTable::times(warm / sqliteWarm) + QLatin1Char(')'),
             QStringLiteral("≤ 2× SQLite's, first and warm"),
             ratio <= 2 ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail,
             s == 0 ? ResultTable::mebibytes(program.peakMiB) : QString()});
    }
}

ChildProcess::Outcome RecordCase::measureProgram(const QString& app, const std::function<void()>& makeCold) const
{
    const qint64 client = m_office.recordClient();
    const QString tab = OfficeData::tabName(ClickedTab);
    const QString field = OfficeData::fieldName(TypedField);
    return ChildProcess::run([&](const ChildProcess::Report& report) {
        EngineChoice(m_options).applyToProcess();
        const UiSession session;
        ApplicationFolder::setPath(app);
        InputProbe probe;
        makeCold();
        std::vector<std::vector<double>> times(Steps.size());
        for (int r = 0; r <= m_options.repeats; ++r) {
            const std::int64_t start = Stopwatch::now();
            RecordWindow record(client, QStringLiteral("Client %1").arg(client));
            times[0].push_back(static_cast<double>(record.showAndWait() - start) / 1e9);
            require(record.tabs()->count() == OfficeData::Tabs + 4,
                    QStringLiteral("the record window shows %1 tabs, not %2")
                        .arg(record.tabs()->count())
                        .arg(OfficeData::Tabs + 4));

            // A designed tab: its boxes show the client's stored values.
            const QString expected = OfficeData::storedValue(ClickedTab, 0, client);
            const auto shown = [&] {
                return holds([&] { return record.box(OfficeData::fieldName(0))->text() == expected; });
            };
            times[1].push_back(measureAction(
                                   probe, &record.window(), shown, [&] { record.clickTab(tab); }, shown,
                                   QStringLiteral("the tab %1").arg(tab))
                                   .all());

            // Edit: every tab's stored row is read and the boxes are unlocked.
            const auto editing = [&] { return holds([&] { return !record.box(field)->isReadOnly(); }); };
            times[2].push_back(measureAction(
                                   probe, &record.window(), editing,
                                   [&] { record.clickButton(QStringLiteral("cmdEdit")); }, editing,
                                   QStringLiteral("Edit"))
                                   .all());
            const QString before = r == 0 ? OfficeData::storedValue(ClickedTab, TypedField, client) : typedValue(r - 1);
            require(
                record.box(field)->text() == before,
                QStringLiteral("Edit shows \"%1\" in %2, not \"%3\"").arg(record.box(field)->text(), field, before));

            // A field typed, then Save: the window goes back to viewing.
            QLineEdit* box = record.box(field);
            box->setFocus();
            box->selectAll();
            QTest::keyClicks(box, typedValue(r));
            session.messageBox().clear();
            const auto saved = [&] { return record.button(QStringLiteral("cmdEdit"))->isVisible(); };
            times[3].push_back(measureAction(
                                   probe, &record.window(), saved,
                                   [&] { record.clickButton(QStringLiteral("cmdDelete")); }, saved,
                                   QStringLiteral("Save"))
                                   .all());
            require(session.messageBox().shown().isEmpty(),
                    QStringLiteral("Save said: %1").arg(session.messageBox().last().text));
            CLsDataBaseConnection check;
            require(check.database()
                            .scalar(QStringLiteral("SELECT %1 FROM %2 WHERE PersonalInformationId = ?")
                                        .arg(quoteIdentifier(field), quoteIdentifier(tab)),
                                    {client})
                            .toString() == typedValue(r),
                    QStringLiteral("Save did not store what was typed"));
        }
        for (qsizetype s = 0; s < Steps.size(); ++s) {
            std::vector<double>& step = times[static_cast<size_t>(s)];
            report.put(Steps.at(s), step.front());
            step.erase(step.begin());
            report.put(Steps.at(s) + QStringLiteral("Warm"), Stopwatch::median(step));
        }
    });
}
