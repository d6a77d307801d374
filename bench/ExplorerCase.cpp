#include "ExplorerCase.h"

#include "BareSqlite.h"
#include "BenchFiles.h"
#include "BenchOptions.h"
#include "BenchServer.h"
#include "ChildProcess.h"
#include "EngineChoice.h"
#include "ListDigest.h"
#include "OfficeData.h"
#include "Require.h"
#include "ResultTable.h"
#include "Stopwatch.h"
#include "UiSession.h"

#include "clients/ClientGroups.h"
#include "clients/ClientListModel.h"
#include "clients/SortClause.h"
#include "clients/ui/FrmDataBaseExplorer.h"
#include "store/ApplicationFolder.h"
#include "store/Identifier.h"
#include "store/StoreError.h"
#include "store/UserLevels.h"

#include <QHeaderView>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <memory>
#include <numeric>
#include <vector>

namespace {

// The column a header click sorts by.
const QString SortField = QStringLiteral("City");
// Rows a screen of the list shows, and more.
constexpr int ScreenRows = 50;
// The bare engine maps this much of its file (the engine's own ceiling).
constexpr qint64 MapBytes = 0x7fff0000;

double since(std::int64_t start, std::int64_t end)
{
    return static_cast<double>(end - start) / 1e9;
}

int sortColumn()
{
    const QList<ClientListModel::Column>& columns = ClientListModel::clientColumns();
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).field == SortField)
            return i;
    }
    return 0;
}

QString sortedStatement()
{
    SortClause sort;
    sort.click(quoteIdentifier(SortField));
    return ClientGroups::clientListStatement(false, sort);
}

// The bare engine's rows of one group, digested as the window's are.
ListDigest bareList(const BareSqlite& db, const QString& sql, const QString& group, int keyColumn)
{
    BareSqlite::Query rows(db, sql);
    rows.bind(1, ClientGroups::pattern(group));
    ListDigest digest;
    while (rows.step()) {
        digest.beginRow();
        digest.addCell(QByteArray::number(rows.integer(0)));
        for (int c = 1; c < rows.columns(); ++c)
            digest.addCell(rows.text(c));
        digest.endRow();
        if (keyColumn >= 0)
            digest.addKey(rows.text(1 + keyColumn));
    }
    return digest;
}

void putDigest(const ChildProcess::Report& report, const QString& prefix, const ListDigest& digest)
{
    report.put(prefix + QStringLiteral("Rows"), static_cast<double>(digest.rows()));
    report.put(prefix + QStringLiteral("Ordered"), digest.ordered());
    report.put(prefix + QStringLiteral("Unordered"), digest.unordered());
    report.put(prefix + QStringLiteral("Keys"), digest.keys());
}

// The rows the window's list shows, digested.
ListDigest windowList(const QTreeView* list, int keyColumn)
{
    const auto* model = qobject_cast<const ClientListModel*>(list->model());
    require(model != nullptr, QStringLiteral("the explorer's list is not a ClientListModel: its identifiers "
                                             "cannot be checked"));
    ListDigest digest;
    for (int row = 0; row < model->rowCount(); ++row) {
        digest.beginRow();
        digest.addCell(QByteArray::number(model->id(row)));
        for (int column = 0; column < model->columnCount(); ++column)
            digest.addCell(model->data(model->index(row, column)).toString().toUtf8());
        digest.endRow();
        if (keyColumn >= 0)
            digest.addKey(model->data(model->index(row, keyColumn)).toString().toUtf8());
    }
    return digest;
}

// An explorer window as the main window opens it, with its tree and list.
struct Explorer
{
    std::unique_ptr<FrmDataBaseExplorer> window = std::make_unique<FrmDataBaseExplorer>();
    QTreeWidget* tree = nullptr;
    QTreeView* list = nullptr;

    Explorer()
    {
        window->UserLevel = UserLevels::Ordinary;
        window->SecId = QStringLiteral("2");
        tree = window->findChild<QTreeWidget*>(QStringLiteral("TreClassView"));
        list = window->findChild<QTreeView*>(QStringLiteral("LstStudenInformation"));
        require(tree && list, QStringLiteral("the explorer has no TreClassView or LstStudenInformation"));
    }

    // Shows the window; returns when the tree's groups are painted (monotonic nanoseconds).
    std::int64_t showAndWait()
    {
        PaintProbe painted(tree->viewport(), [this] { return tree->topLevelItemCount() > 0; });
        painted.arm();
        window->show();
        UiSession::waitUntil([&] { return painted.painted(); }, QStringLiteral("the explorer's tree"));
        return painted.paintedAt();
    }

    QTreeWidgetItem* node(const QString& group) const
    {
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = tree->topLevelItem(i);
            if (item->data(0, FrmDataBaseExplorer::TagRole).toString() == group)
                return item;
        }
        throw StoreError(QStringLiteral("the explorer's tree has no group %1").arg(group));
    }

    void clickGroup(const QString& group) const
    {
        QTreeWidgetItem* item = node(group);
        tree->scrollToItem(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    }

    void clickHeader(int section) const
    {
        QHeaderView* header = list->header();
        const QPoint point(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                           header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, point);
    }
};

// Clicks and waits for the list of `rows` rows: its first screen painted (`first` tells the
// list's first row when it shows), the window taking input again, every row there and the
// window's fill ended (a sorted list replaces one of as many rows only when read whole).
ActionWaits clickAndWait(InputProbe& probe, const FrmDataBaseExplorer& window, QTreeView* list, qint64 rows,
                         const std::function<bool()>& first, const std::function<void()>& click)
{
    QAbstractItemModel* model = list->model();
    const ActionWaits waits = measureAction(
        probe, list->viewport(), [model, &first] { return model->rowCount() > 0 && first(); }, click,
        [&] { return model->rowCount() >= rows && first() && !window.isListFilling(); },
        QStringLiteral("the list of %1 rows").arg(rows), scrollToEnd(list));
    require(model->rowCount() == rows,
            QStringLiteral("the list shows %1 rows, the group has %2").arg(model->rowCount()).arg(rows));
    return waits;
}

void putWaits(const ChildProcess::Report& report, const QString& prefix, const std::vector<ActionWaits>& waits)
{
    std::vector<double> first, accepted, whole;
    for (const ActionWaits& wait : waits) {
        first.push_back(wait.painted);
        accepted.push_back(wait.accepted);
        whole.push_back(wait.complete);
    }
    report.put(prefix + QStringLiteral("First"), Stopwatch::median(first));
    report.put(prefix + QStringLiteral("Accepted"), Stopwatch::median(accepted));
    report.put(prefix + QStringLiteral("Whole"), Stopwatch::median(whole));
}

// The rows shown must be the bare engine's: every row and text, in order; sorted, the sort
// key's values in order and the same rows. Empty when they are.
QString wrongList(const ChildProcess::Outcome& bare, const ChildProcess::Outcome& window)
{
    QString wrong;
    if (static_cast<qint64>(bare.value(QStringLiteral("counted"))) <= 0)
        wrong = QStringLiteral("the bare engine counted no clients");
    for (const QString& key : {QStringLiteral("listRows"), QStringLiteral("listOrdered")}) {
        if (wrong.isEmpty() && bare.value(key) != window.value(key))
            wrong = QStringLiteral("the largest group's list differs from the bare engine's (%1)").arg(key);
    }
    for (const QString& key :
         {QStringLiteral("sortedListRows"), QStringLiteral("sortedListUnordered"), QStringLiteral("sortedListKeys")}) {
        if (wrong.isEmpty() && bare.value(key) != window.value(key))
            wrong = QStringLiteral("the sorted list differs from the bare engine's (%1)").arg(key);
    }
    return wrong;
}

QString ms(double seconds)
{
    return ResultTable::duration(seconds);
}

} // namespace

ExplorerCase::ExplorerCase(const BenchOptions& options, const OfficeData& office, ResultTable& table)
    : m_options(options), m_office(office), m_table(table)
{
}

void ExplorerCase::run()
{
    const QString largest = m_office.largestGroup();
    const qint64 largestRows = m_office.active()[static_cast<size_t>(largest.at(0).toLatin1() - 'A')];
    const int keyColumn = sortColumn();
    const QString coldName = QStringLiteral("explorer, %1 clients, cold: tree, click on \"%2\", first screen")
                                 .arg(m_office.clients())
                                 .arg(largest);
    std::fprintf(stderr, "explorer: the bare engine's baseline\n");

    // The baseline: the bare engine on its own file, the tree's counts and a screen of the
    // largest group from a cold file, then the whole list and the sorted list, warm.
    const ChildProcess::Outcome bare = ChildProcess::run([&](const ChildProcess::Report& report) {
        BenchFiles::evict(m_office.bareFile());
        const Stopwatch cold;
        const BareSqlite db(m_office.bareFile());
        db.mapMemory(MapBytes);
        std::vector<QString> groups;
        {
            BareSqlite::Query nodes(db, ClientGroups::groupStatement());
            while (nodes.step())
                groups.push_back(QString::fromUtf8(nodes.text(0)));
        }
        BareSqlite::Query count(db, ClientGroups::countStatement(false));
        qint64 counted = 0;
        for (const QString& group : groups) {
            count.reset();
            count.bind(1, ClientGroups::pattern(group));
            if (count.step())
                counted += count.integer(0);
        }
        {
            BareSqlite::Query rows(db, ClientGroups::clientListStatement(false, SortClause()));
            rows.bind(1, ClientGroups::pattern(largest));
            for (int r = 0; r < ScreenRows && rows.step(); ++r) {
            }
        }
        report.put(QStringLiteral("cold"), cold.seconds());
        report.put(QStringLiteral("counted"), static_cast<double>(counted));
        require(counted == std::accumulate(m_office.active().begin(), m_office.active().end(), qint64(0)),
                QStringLiteral("the bare engine counted %1 active clients in the groups").arg(counted));
        {
            // What the first row of each list is, for telling the window's first screen of it.
            BareSqlite::Query first(db, ClientGroups::clientListStatement(false, SortClause()));
            first.bind(1, ClientGroups::pattern(largest));
            require(first.step(), QStringLiteral("the bare engine lists no client in %1").arg(largest));
            report.put(QStringLiteral("firstId"), static_cast<double>(first.integer(0)));
            BareSqlite::Query firstSorted(db, sortedStatement());
            firstSorted.bind(1, ClientGroups::pattern(largest));
            require(firstSorted.step(), QStringLiteral("the bare engine lists no client in %1").arg(largest));
            report.put(QStringLiteral("firstKey"), ListDigest::cell(firstSorted.text(1 + keyColumn)));
        }
        std::vector<double> whole, sorted;
        ListDigest list, sortedList;
        for (int r = 0; r < m_options.repeats; ++r) {
            const Stopwatch watch;
            list = bareList(db, ClientGroups::clientListStatement(false, SortClause()), largest, -1);
            whole.push_back(watch.seconds());
            const Stopwatch sortWatch;
            sortedList = bareList(db, sortedStatement(), largest, keyColumn);
            sorted.push_back(sortWatch.seconds());
        }
        report.put(QStringLiteral("whole"), Stopwatch::median(whole));
        report.put(QStringLiteral("sorted"), Stopwatch::median(sorted));
        putDigest(report, QStringLiteral("list"), list);
        putDigest(report, QStringLiteral("sortedList"), sortedList);
    });
    if (!bare.ok) {
        m_table.addError(coldName, QStringLiteral("the bare engine's baseline: ") + bare.error);
        return;
    }

    std::fprintf(stderr, "explorer: the window\n");
    const ChildProcess::Outcome window = measureWindow(
        m_office.app(), [this] { BenchFiles::evict(m_office.file()); }, bare);
    if (!shownRight(window, bare, coldName))
        return;

    const double peak = window.peakMiB;
    const QString peakText = ResultTable::mebibytes(peak);
    const double coldTotal = window.value(QStringLiteral("coldTree")) + window.value(QStringLiteral("coldFirst"));
    m_table.add({coldName,
                 ms(coldTotal) + QStringLiteral(" (tree ") + ms(window.value(QStringLiteral("coldTree"))) +
                     QStringLiteral(", first screen ") + ms(window.value(QStringLiteral("coldFirst"))) +
                     QStringLiteral(" after the click)"),
                 QStringLiteral("bare SQLite, cold, counts + %1 rows: ").arg(ScreenRows) +
                     ms(bare.value(QStringLiteral("cold"))),
                 ResultTable::times(coldTotal / bare.value(QStringLiteral("cold"))), QStringLiteral("< 0.3 s"),
                 coldTotal < 0.3 ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail, peakText});

    const QString idle = QStringLiteral("idle window: ") + ms(window.value(QStringLiteral("idle")));
    const auto addInput = [&](const QString& name, double seconds) {
        m_table.add({name, ms(seconds), idle, QStringLiteral("—"), QStringLiteral("< 100 ms"),
                     seconds < 0.1 ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail, QString()});
    };
    addInput(QStringLiteral("input taken again after that click (cold)"), window.value(QStringLiteral("coldAccepted")));

    const auto addWhole = [&](const QString& name, double seconds, double baseline, const QString& first) {
        const double ratio = seconds / baseline;
        m_table.add({name, ms(seconds) + QStringLiteral(" (first screen ") + first + QLatin1Char(')'),
                     QStringLiteral("bare SQLite, mmap: ") + ms(baseline), ResultTable::times(ratio),
                     QStringLiteral("≤ 1.5× the time"),
                     ratio <= 1.5 ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail, QString()});
    };
    addWhole(QStringLiteral("\"%1\": the whole list of %2 rows, warm").arg(largest).arg(largestRows),
             window.value(QStringLiteral("groupWhole")), bare.value(QStringLiteral("whole")),
             ms(window.value(QStringLiteral("groupFirst"))));
    addInput(QStringLiteral("input taken again after the click on \"%1\", warm").arg(largest),
             window.value(QStringLiteral("groupAccepted")));
    addWhole(QStringLiteral("\"%1\" sorted by a click on \"%2\": the whole list").arg(largest, SortField),
             window.value(QStringLiteral("sortedWhole")), bare.value(QStringLiteral("sorted")),
             ms(window.value(QStringLiteral("sortedFirst"))));
    addInput(QStringLiteral("input taken again after the click on \"%1\"").arg(SortField),
             window.value(QStringLiteral("sortedAccepted")));
    if (m_office.server())
        addServerRows(bare, window);
}

ChildProcess::Outcome ExplorerCase::measureWindow(const QString& app, const std::function<void()>& makeCold,
                                                  const ChildProcess::Outcome& bare) const
{
    const QString largest = m_office.largestGroup();
    const qint64 largestRows = m_office.active()[static_cast<size_t>(largest.at(0).toLatin1() - 'A')];
    const int keyColumn = sortColumn();
    return ChildProcess::run([&](const ChildProcess::Report& report) {
        EngineChoice(m_options).applyToProcess();
        const UiSession session;
        ApplicationFolder::setPath(app);
        InputProbe probe;
        // How soon a probe is taken when nothing else happens: the resolution of the waits.
        std::vector<double> idle;
        for (int r = 0; r < 5; ++r) {
            const std::int64_t start = Stopwatch::now();
            probe.arm();
            UiSession::waitUntil([&] { return probe.accepted(); }, QStringLiteral("an idle probe"));
            idle.push_back(since(start, probe.acceptedAt()));
        }
        report.put(QStringLiteral("idle"), Stopwatch::median(idle));

        // Cold: the database's pages dropped from the page cache, the window opened, the group clicked.
        makeCold();
        const std::int64_t opened = Stopwatch::now();
        auto cold = std::make_unique<Explorer>();
        report.put(QStringLiteral("coldTree"), since(opened, cold->showAndWait()));
        for (int i = 0; i < 26; ++i) {
            const QString group(QLatin1Char(static_cast<char>('A' + i)));
            const qint64 shown = cold->node(group)->data(0, FrmDataBaseExplorer::CountRole).toLongLong();
            require(shown == m_office.active()[static_cast<size_t>(i)],
                    QStringLiteral("the tree counts %1 clients in %2, %3 were made")
                        .arg(shown)
                        .arg(group)
                        .arg(m_office.active()[static_cast<size_t>(i)]));
        }
        const auto firstOfGroup = [&](const QTreeView* list) {
            return [list, id = static_cast<qint64>(bare.value(QStringLiteral("firstId")))] {
                const auto* model = qobject_cast<const ClientListModel*>(list->model());
                return model && model->id(0) == id;
            };
        };
        const auto firstSorted = [&](const QTreeView* list) {
            return [list, key = bare.value(QStringLiteral("firstKey")), keyColumn] {
                const QAbstractItemModel* model = list->model();
                return ListDigest::cell(model->data(model->index(0, keyColumn)).toString().toUtf8()) == key;
            };
        };
        const ActionWaits coldWaits = clickAndWait(probe, *cold->window, cold->list, largestRows,
                                                   firstOfGroup(cold->list), [&] { cold->clickGroup(largest); });
        report.put(QStringLiteral("coldFirst"), coldWaits.painted);
        report.put(QStringLiteral("coldAccepted"), coldWaits.accepted);
        report.put(QStringLiteral("coldWhole"), coldWaits.complete);
        putDigest(report, QStringLiteral("list"), windowList(cold->list, -1));
        cold.reset();

        // Warm: a new window each time (the sort order lasts as long as its window).
        std::vector<ActionWaits> group, sorted;
        for (int r = 0; r < m_options.repeats; ++r) {
            Explorer warm;
            warm.showAndWait();
            group.push_back(clickAndWait(probe, *warm.window, warm.list, largestRows, firstOfGroup(warm.list),
                                         [&] { warm.clickGroup(largest); }));
            sorted.push_back(clickAndWait(probe, *warm.window, warm.list, largestRows, firstSorted(warm.list),
                                          [&] { warm.clickHeader(keyColumn); }));
            if (r + 1 == m_options.repeats)
                putDigest(report, QStringLiteral("sortedList"), windowList(warm.list, keyColumn));
        }
        putWaits(report, QStringLiteral("group"), group);
        putWaits(report, QStringLiteral("sorted"), sorted);
    });
}

bool ExplorerCase::shownRight(const ChildProcess::Outcome& window, const ChildProcess::Outcome& bare,
                              const QString& name)
{
    if (!window.ok) {
        m_table.addError(name, window.error);
        return false;
    }
    const QString wrong = wrongList(bare, window);
    if (!wrong.isEmpty())
        m_table.addError(name, wrong);
    return wrong.isEmpty();
}

void ExplorerCase::addServerRows(const ChildProcess::Outcome& bare, const ChildProcess::Outcome& sqlite)
{
    const BenchServer* server = m_office.server();
    const QString largest = m_office.largestGroup();
    const qint64 largestRows = m_office.active()[static_cast<size_t>(largest.at(0).toLatin1() - 'A')];
    const QString coldName = QStringLiteral("explorer on PostgreSQL, %1 clients, cold (server restarted): tree, "
                                            "click on \"%2\", first screen")
                                 .arg(m_office.clients())
                                 .arg(largest);
    std::fprintf(stderr, "explorer: the window on PostgreSQL\n");
    const ChildProcess::Outcome window = measureWindow(
        m_office.serverApp(), [server] { server->makeCold(); }, bare);
    if (!shownRight(window, bare, coldName))
        return;

    // psql reading the same rows of the group, in the window's order and sorted, each time a
    // new psql process with its own connection (as the window's list opens one).
    QStringList columns{QStringLiteral("\"PersonalInformationId\"")};
    for (const ClientListModel::Column& column : ClientListModel::clientColumns())
        columns.append(QLatin1Char('"') + column.field + QLatin1Char('"'));
    const QString select = QStringLiteral("SELECT %1 FROM \"Personal Information\" WHERE lower(\"Last Name\") "
                                          "LIKE '%2%' AND \"Active\" = 1 ORDER BY ")
                               .arg(columns.join(QStringLiteral(", ")), largest.toLower());
    const auto psqlList = [&](const QString& order) {
        std::vector<double> times;
        for (int r = 0; r < m_options.repeats; ++r) {
            const Stopwatch watch;
            const ExternalCommand::Result copied =
                server->psql(server->uriOf(QStringLiteral("office")),
                             {QStringLiteral("-c"), QStringLiteral("COPY (%1%2) TO STDOUT").arg(select, order)});
            times.push_back(watch.seconds());
            require(copied.output.count('\n') == largestRows, QStringLiteral("psql listed %1 rows, the group has %2")
                                                                  .arg(copied.output.count('\n'))
                                                                  .arg(largestRows));
        }
        return Stopwatch::median(times);
    };
    double psqlWhole = 0;
    double psqlSorted = 0;
    try {
        psqlWhole = psqlList(QStringLiteral("lower(\"Last Name\"), \"Active\", \"PersonalInformationId\""));
        psqlSorted = psqlList(QStringLiteral("\"%1\" ASC NULLS FIRST").arg(SortField));
    } catch (const StoreError& error) {
        m_table.addNote(QStringLiteral("psql could not read the explorer's lists: %1").arg(error.message()));
    }

    const auto within = [](double seconds, double sqlite) {
        return seconds <= 2 * sqlite ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail;
    };
    const double coldTotal = window.value(QStringLiteral("coldTree")) + window.value(QStringLiteral("coldFirst"));
    const double sqliteCold = sqlite.value(QStringLiteral("coldTree")) + sqlite.value(QStringLiteral("coldFirst"));
    m_table.add({coldName,
                 ms(coldTotal) + QStringLiteral(" (tree ") + ms(window.value(QStringLiteral("coldTree"))) +
                     QStringLiteral(", first screen ") + ms(window.value(QStringLiteral("coldFirst"))) +
                     QStringLiteral(" after the click)"),
                 QStringLiteral("SQLite, cold file: ") + ms(sqliteCold), ResultTable::times(coldTotal / sqliteCold),
                 QStringLiteral("≤ 2× SQLite's"), within(coldTotal, sqliteCold),
                 ResultTable::mebibytes(window.peakMiB)});
    const QString idle = QStringLiteral("idle window: ") + ms(window.value(QStringLiteral("idle")));
    const auto addInput = [&](const QString& name, double seconds) {
        m_table.add({name, ms(seconds), idle, QStringLiteral("—"), QStringLiteral("< 100 ms"),
                     seconds < 0.1 ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail, QString()});
    };
    addInput(QStringLiteral("input taken again after that click (cold, PostgreSQL)"),
             window.value(QStringLiteral("coldAccepted")));
    const auto addWhole = [&](const QString& name, const QString& key, double psql) {
        const double seconds = window.value(key + QStringLiteral("Whole"));
        const double onSqlite = sqlite.value(key + QStringLiteral("Whole"));
        m_table.add({name,
                     ms(seconds) + QStringLiteral(" (first screen ") + ms(window.value(key + QStringLiteral("First"))) +
                         QLatin1Char(')'),
                     QStringLiteral("SQLite: ") + ms(onSqlite) +
                         (psql > 0 ? QStringLiteral("; psql COPY to stdout: ") + ms(psql) : QString()),
                     ResultTable::times(seconds / onSqlite), QStringLiteral("≤ 2× SQLite's"), within(seconds, onSqlite),
                     QString()});
    };
    addWhole(QStringLiteral("\"%1\" on PostgreSQL: the whole list of %2 rows, warm").arg(largest).arg(largestRows),
             QStringLiteral("group"), psqlWhole);
    addInput(QStringLiteral("input taken again after the click on \"%1\", warm (PostgreSQL)").arg(largest),
             window.value(QStringLiteral("groupAccepted")));
    addWhole(QStringLiteral("\"%1\" on PostgreSQL sorted by a click on \"%2\": the whole list").arg(largest, SortField),
             QStringLiteral("sorted"), psqlSorted);
    addInput(QStringLiteral("input taken again after the click on \"%1\" (PostgreSQL)").arg(SortField),
             window.value(QStringLiteral("sortedAccepted")));
}
