#include "ExplorerCase.h"

#include "BenchFiles.h"
#include "BenchOptions.h"
#include "ChildProcess.h"
#include "DataMaker.h"
#include "PaintWatch.h"
#include "ResultTable.h"
#include "Stopwatch.h"

#include "clients/ClientGroups.h"
#include "clients/ClientListModel.h"
#include "clients/SortClause.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/DatabaseSchema.h"
#include "store/Statement.h"
#include "store/StoreError.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace {

const QString Seconds = QStringLiteral("seconds");

void require(bool condition, const QString& message)
{
    if (!condition)
        throw StoreError(message);
}

// What a list read gives, to compare the program's list with the bare engine's.
struct ListSum
{
    qint64 rows = 0;
    qint64 ids = 0;
    qint64 bytes = 0;
};

// The bare engine: library calls only, the same SQL text as the program's.
using Connection = std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)>;

Connection openBare(const QString& path)
{
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    Connection connection(db, &sqlite3_close_v2);
    if (rc != SQLITE_OK)
        throw StoreError(QStringLiteral("cannot open %1").arg(path));
    return connection;
}

sqlite3_stmt* prepareBare(const Connection& db, const QString& sql)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db.get(), text.constData(), static_cast<int>(text.size()), &statement, nullptr) != SQLITE_OK)
        throw StoreError(QString::fromUtf8(sqlite3_errmsg(db.get())));
    return statement;
}

std::vector<qint64> bareTree(const QString& path)
{
    const Connection engine = openBare(path);
    std::vector<QByteArray> names;
    sqlite3_stmt* nodes = prepareBare(engine, ClientGroups::groupStatement());
    while (sqlite3_step(nodes) == SQLITE_ROW)
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(nodes, 0)));
    sqlite3_finalize(nodes);
    std::vector<qint64> counts;
    sqlite3_stmt* count = prepareBare(engine, ClientGroups::countStatement(false));
    for (const QByteArray& name : names) {
        sqlite3_reset(count);
        const QByteArray pattern = ClientGroups::pattern(QString::fromUtf8(name)).toUtf8();
        sqlite3_bind_text(count, 1, pattern.constData(), static_cast<int>(pattern.size()), SQLITE_TRANSIENT);
        counts.push_back(sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int64(count, 0) : -1);
    }
    sqlite3_finalize(count);
    return counts;
}

ListSum bareList(const QString& path, const QString& group)
{
    const Connection engine = openBare(path);
    sqlite3_stmt* rows = prepareBare(engine, ClientGroups::clientListStatement(false, SortClause()));
    const QByteArray pattern = ClientGroups::pattern(group).toUtf8();
    sqlite3_bind_text(rows, 1, pattern.constData(), static_cast<int>(pattern.size()), SQLITE_TRANSIENT);
    ListSum sum;
    const int columns = sqlite3_column_count(rows);
    while (sqlite3_step(rows) == SQLITE_ROW) {
        ++sum.rows;
        sum.ids += sqlite3_column_int64(rows, 0);
        for (int c = 1; c < columns; ++c) {
            if (sqlite3_column_text(rows, c))
                sum.bytes += sqlite3_column_bytes(rows, c);
        }
    }
    sqlite3_finalize(rows);
    return sum;
}

std::vector<qint64> programTree()
{
    CLsDataBaseConnection connection;
    std::vector<qint64> counts;
    for (const ClientGroups::Group& group : ClientGroups::clientGroups(connection.database(), false))
        counts.push_back(group.count);
    return counts;
}

// The explorer's path: a connection, the list statement, the model filled from it.
void programList(ClientListModel& model, const QString& group, qint64 expected)
{
    CLsDataBaseConnection connection;
    Statement rows = connection.database().prepare(ClientGroups::clientListStatement(false, SortClause()));
    rows.bind(1, ClientGroups::pattern(group));
    model.fill(ClientListModel::clientColumns(), rows, true, expected);
}

ListSum sumOf(const ClientListModel& model)
{
    ListSum sum;
    sum.rows = model.rowCount();
    for (int row = 0; row < model.rowCount(); ++row) {
        sum.ids += model.id(row);
        for (int column = 0; column < model.columnCount(); ++column)
            sum.bytes += model.text(row, column).toUtf8().size();
    }
    return sum;
}

} // namespace

ExplorerCase::ExplorerCase(const BenchOptions& options, const QString& root, ResultTable& table)
    : m_options(options), m_root(root), m_table(table)
{
}

void ExplorerCase::run()
{
    const QString base = QDir(m_root).filePath(QStringLiteral("explorer"));
    const QString app = QDir(base).filePath(QStringLiteral("app"));
    const QString file = QDir(app).filePath(QStringLiteral("Dravolin.mdb"));
    const QString treeName = QStringLiteral("explorer tree, 26 group counts, %1 clients").arg(m_options.clients);
    const QString listName = QStringLiteral("largest group's list");
    const QString screenName = QStringLiteral("largest group: first screen painted");

    std::fprintf(stderr, "explorer: adding %lld clients\n", static_cast<long long>(m_options.clients));
    const ChildProcess::Outcome setup = ChildProcess::run([&](const ChildProcess::Report& report) {
        QDir().mkpath(app);
        ApplicationFolder::setPath(app);
        DatabaseSchema::ensure(CLsDataBaseConnection::databasePath());
        CLsDataBaseConnection connection;
        DataMaker maker(4);
        const std::array<qint64, 26> active = maker.addClients(connection.database(), m_options.clients);
        for (int i = 0; i < 26; ++i)
            report.put(QString(QLatin1Char(static_cast<char>('A' + i))), static_cast<double>(active[i]));
    });
    if (!setup.ok) {
        m_table.addError(treeName, setup.error);
        return;
    }
    std::vector<qint64> expected;
    QString largest = QStringLiteral("A");
    for (int i = 0; i < 26; ++i) {
        const QString letter(QLatin1Char(static_cast<char>('A' + i)));
        expected.push_back(static_cast<qint64>(setup.value(letter)));
        if (expected.back() > static_cast<qint64>(setup.value(largest)))
            largest = letter;
    }
    const qint64 largestCount = static_cast<qint64>(setup.value(largest));

    const ChildProcess::Outcome measured = ChildProcess::run([&](const ChildProcess::Report& report) {
        BenchFiles::warm(file);
        ApplicationFolder::setPath(app);
        std::vector<double> bareTreeTimes, programTreeTimes, bareListTimes, programListTimes;
        // Each round runs the two sides in turn, the bare engine first in even rounds and
        // the program first in odd ones, so that neither always pays for the other's leftovers.
        for (int r = 0; r < 2 * m_options.repeats; ++r) {
            const bool bareFirst = r % 2 == 0;
            std::vector<qint64> bare;
            std::vector<qint64> program;
            for (int side = 0; side < 2; ++side) {
                const Stopwatch watch;
                if ((side == 0) == bareFirst) {
                    bare = bareTree(file);
                    bareTreeTimes.push_back(watch.seconds());
                } else {
                    program = programTree();
                    programTreeTimes.push_back(watch.seconds());
                }
            }
            require(bare == expected, QStringLiteral("the bare engine's group counts differ from the clients made"));
            require(program == expected, QStringLiteral("the explorer's group counts differ from the clients made"));

            ListSum bareSum;
            ClientListModel model;
            for (int side = 0; side < 2; ++side) {
                const Stopwatch watch;
                if ((side == 0) == bareFirst) {
                    bareSum = bareList(file, largest);
                    bareListTimes.push_back(watch.seconds());
                } else {
                    programList(model, largest, largestCount);
                    programListTimes.push_back(watch.seconds());
                }
            }
            const ListSum programSum = sumOf(model);
            require(bareSum.rows == largestCount && programSum.rows == largestCount,
                    QStringLiteral("the list of %1 holds %2 rows, the bare engine's %3, the group %4 clients")
                        .arg(largest)
                        .arg(programSum.rows)
                        .arg(bareSum.rows)
                        .arg(largestCount));
            require(bareSum.ids == programSum.ids && bareSum.bytes == programSum.bytes,
                    QStringLiteral("the list's identifiers or texts differ from the bare engine's"));
        }
        report.put(QStringLiteral("bareTree"), Stopwatch::median(bareTreeTimes));
        report.put(QStringLiteral("programTree"), Stopwatch::median(programTreeTimes));
        report.put(QStringLiteral("bareList"), Stopwatch::median(bareListTimes));
        report.put(QStringLiteral("programList"), Stopwatch::median(programListTimes));
    });

    // The first screen: from the click to the list's rows painted in a view of the explorer's size.
    const ChildProcess::Outcome screen = ChildProcess::run([&](const ChildProcess::Report& report) {
        BenchFiles::warm(file);
        ApplicationFolder::setPath(app);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int argc = 1;
        char arg0[] = "orvanta-bench";
        char* argv[] = {arg0, nullptr};
        QApplication application(argc, argv);
        ClientListModel model;
        QTableView view;
        view.setModel(&model);
        view.resize(1000, 600);
        view.show();
        QApplication::processEvents();
        std::vector<double> times;
        for (int r = 0; r < m_options.repeats; ++r) {
            model.reset(ClientListModel::clientColumns());
            QApplication::processEvents();
            // The first paint of the list's area after the click shows the first rows.
            PaintWatch watch;
            view.viewport()->installEventFilter(&watch);
            const std::int64_t start = Stopwatch::now();
            programList(model, largest, largestCount);
            while (!watch.painted())
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            times.push_back(static_cast<double>(watch.paintedAt() - start) / 1e9);
            view.viewport()->removeEventFilter(&watch);
            require(model.rowCount() == largestCount, QStringLiteral("the view's list is incomplete"));
        }
        report.put(Seconds, Stopwatch::median(times));
    });

    if (!measured.ok) {
        m_table.addError(treeName, measured.error);
        return;
    }
    const double treeRatio = measured.value(QStringLiteral("programTree")) / measured.value(QStringLiteral("bareTree"));
    m_table.add({treeName, ResultTable::duration(measured.value(QStringLiteral("programTree"))),
                 QStringLiteral("bare SQLite: ") + ResultTable::duration(measured.value(QStringLiteral("bareTree"))),
                 ResultTable::times(treeRatio), QStringLiteral("≤ 1.5× the time"),
                 treeRatio <= 1.5 ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail,
                 ResultTable::mebibytes(measured.peakMiB)});
    const double listRatio = measured.value(QStringLiteral("programList")) / measured.value(QStringLiteral("bareList"));
    m_table.add({QStringLiteral("%1 (\"%2\", %3 rows)").arg(listName, largest).arg(largestCount),
                 ResultTable::duration(measured.value(QStringLiteral("programList"))),
                 QStringLiteral("bare SQLite: ") + ResultTable::duration(measured.value(QStringLiteral("bareList"))),
                 ResultTable::times(listRatio), QStringLiteral("≤ 1.5× the time"),
                 listRatio <= 1.5 ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail, QString()});
    if (!screen.ok) {
        m_table.addError(screenName, screen.error);
    } else {
        const double seconds = screen.value(Seconds);
        m_table.add({screenName, ResultTable::duration(seconds), QStringLiteral("—"), QStringLiteral("—"),
                     QStringLiteral("< 50 ms"),
                     seconds < 0.05 ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail,
                     ResultTable::mebibytes(screen.peakMiB)});
    }
    if (!m_options.keep)
        QDir(base).removeRecursively();
}
