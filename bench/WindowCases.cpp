#include "WindowCases.h"

#include "BenchOptions.h"
#include "ChildProcess.h"
#include "DataMaker.h"
#include "ExternalCommand.h"
#include "PaintWatch.h"
#include "ResultTable.h"
#include "Stopwatch.h"

#include "app/MDIBaseForm.h"
#include "app/OrvantaApplication.h"
#include "app/frmLogin.h"
#include "clients/ui/DisplayExtendedInformation.h"
#include "designer/DesignerFieldEntry.h"
#include "designer/DesignerTabPage.h"
#include "designer/TabDefinitionStore.h"
#include "designer/TabTableGenerator.h"
#include "platform/Platform.h"
#include "platform/ScriptedMessageBox.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/DatabaseSchema.h"
#include "store/Identifier.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

const QString Seconds = QStringLiteral("seconds");
constexpr int Tabs = 10;
constexpr int FieldsPerTab = 20;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

WindowCases::WindowCases(const BenchOptions& options, const QString& root, ResultTable& table)
    : m_options(options), m_root(root), m_table(table)
{
}

int WindowCases::startupProbe(const QString& program, const QString& folder)
{
    // The same steps as the program's main(), on the same arguments.
    QByteArray arg0 = program.toLocal8Bit();
    QByteArray arg1("--app-dir");
    QByteArray arg2 = folder.toLocal8Bit();
    char* argv[] = {arg0.data(), arg1.data(), arg2.data(), nullptr};
    int argc = 3;
    OrvantaApplication app(argc, argv);
    try {
        ApplicationFolder::setPath(ApplicationFolder::resolve(app.arguments(), app.applicationDirPath()));
        DatabaseSchema::ensure(CLsDataBaseConnection::databasePath());
        Platform::install(std::make_unique<ScriptedMessageBox>());
        MDIBaseForm mainWindow;
        frmLogin login;
        mainWindow.connectLogin(&login);
        PaintWatch watch;
        login.installEventFilter(&watch);
        login.load();
        while (!watch.painted() && login.isVisible())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!watch.painted())
            return 1;
        std::printf("shown %lld %ld\n", static_cast<long long>(watch.paintedAt()), peakKiB());
        std::fflush(stdout);
        return 0;
    } catch (const StoreError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
}

void WindowCases::runStartup()
{
    const QString name = QStringLiteral("start-up to the login window, new folder");
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    std::vector<double> times;
    double peak = 0;
    for (int r = 0; r < m_options.repeats; ++r) {
        const QString folder = QDir(m_root).filePath(QStringLiteral("startup-%1").arg(r));
        const std::int64_t start = Stopwatch::now();
        const ExternalCommand::Result result = ExternalCommand::run(
            self, {QStringLiteral("--startup-probe"), folder}, true, {QStringLiteral("QT_QPA_PLATFORM=offscreen")});
        const QList<QByteArray> parts = result.output.trimmed().split(' ');
        if (!result.started || result.exitCode != 0 || parts.size() != 3 || parts.at(0) != "shown" ||
            !QFileInfo::exists(QDir(folder).filePath(QStringLiteral("Dravolin.mdb")))) {
            m_table.addError(name, QStringLiteral("the start-up did not reach the login window"));
            return;
        }
        times.push_back(static_cast<double>(parts.at(1).toLongLong() - start) / 1e9);
        peak = std::max(peak, parts.at(2).toDouble() / 1024.0);
        QDir(folder).removeRecursively();
    }
    const double seconds = median(times);
    m_table.add({name, ResultTable::duration(seconds) + QStringLiteral(" (median of %1)").arg(times.size()),
                 QStringLiteral("—"), QStringLiteral("—"), QStringLiteral("< 0.5 s"),
                 seconds < 0.5 ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail,
                 ResultTable::mebibytes(peak)});
}

void WindowCases::runRecordWindow()
{
    const QString name = QStringLiteral("record window, %1 data tabs of %2 fields").arg(Tabs).arg(FieldsPerTab);
    const QString app = QDir(m_root).filePath(QStringLiteral("record"));
    const ChildProcess::Outcome outcome = ChildProcess::run([&](const ChildProcess::Report& report) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int argc = 1;
        char arg0[] = "orvanta-bench";
        char* argv[] = {arg0, nullptr};
        QApplication application(argc, argv);
        const qint64 clientId = DataMaker::createFolderWithClient(app);
        Platform::install(std::make_unique<ScriptedMessageBox>());
        {
            // The tabs as the designer writes them, their tables made by its generator, and
            // one stored row per tab for the client.
            CLsDataBaseConnection connection;
            const Database& db = connection.database();
            std::vector<DesignerTabPage> pages;
            std::vector<DesignerFieldEntry> fields;
            for (int t = 0; t < Tabs; ++t) {
                const QString tab = QStringLiteral("Data Tab %1").arg(t + 1);
                pages.push_back({tab, QStringLiteral("Designed tab %1").arg(t + 1), QString()});
                QStringList names;
                for (int f = 0; f < FieldsPerTab; ++f) {
                    DesignerFieldEntry field;
                    field.tabName = tab;
                    field.tabDescription = pages.back().description;
                    field.fieldName = QStringLiteral("Field %1").arg(f + 1);
                    field.fieldDescription = QStringLiteral("Field %1 of %2").arg(f + 1).arg(tab);
                    field.displayOrder = static_cast<qint16>(f + 1);
                    const int column = f / 10;
                    const int top = 360 + (f % 10) * 480;
                    field.labelLeft = QString::number(240 + column * 6840);
                    field.labelTop = QString::number(top);
                    field.fieldLeft = QString::number(2040 + column * 6840);
                    field.fieldTop = QString::number(top);
                    field.fieldWidth = QStringLiteral("4560");
                    fields.push_back(field);
                    names.append(field.fieldName);
                }
                if (!TabTableGenerator(db).create(tab, names))
                    throw StoreError(QStringLiteral("the table of %1 was not created").arg(tab));
                QStringList columns{QStringLiteral("PersonalInformationId")};
                QStringList marks{QStringLiteral("?")};
                QVariantList values{clientId};
                for (const QString& field : names) {
                    columns.append(quoteIdentifier(field));
                    marks.append(QStringLiteral("?"));
                    values.append(QStringLiteral("%1 of client %2").arg(field).arg(clientId));
                }
                db.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(quoteIdentifier(tab), columns.join(QStringLiteral(", ")),
                                    marks.join(QStringLiteral(", "))),
                           values);
            }
            Transaction definitions(db);
            TabDefinitionStore(db).write(pages, fields, false, {});
            definitions.commit();
        }
        std::vector<double> times;
        int tabsShown = 0;
        for (int r = 0; r < m_options.repeats; ++r) {
            PaintWatch watch;
            const std::int64_t start = Stopwatch::now();
            auto window = std::make_unique<DisplayExtendedInformation>();
            window->PersonalInformationId = clientId;
            window->PersonalName = QStringLiteral("Office Archive");
            window->installEventFilter(&watch);
            window->load();
            window->show();
            while (!watch.painted())
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            times.push_back(static_cast<double>(watch.paintedAt() - start) / 1e9);
            tabsShown = static_cast<int>(window->record().tabs().size());
            window->close();
            window.reset();
            QApplication::processEvents();
        }
        if (tabsShown != Tabs + 1)
            throw StoreError(
                QStringLiteral("the record window shows %1 data tabs, not %2").arg(tabsShown).arg(Tabs + 1));
        report.put(Seconds, median(times));
        report.put(QStringLiteral("first"), times.front());
    });
    if (!outcome.ok) {
        m_table.addError(name, outcome.error);
        return;
    }
    const double seconds = outcome.value(Seconds);
    m_table.add({name,
                 ResultTable::duration(seconds) + QStringLiteral(" (median; first ") +
                     ResultTable::duration(outcome.value(QStringLiteral("first"))) + QLatin1Char(')'),
                 QStringLiteral("—"), QStringLiteral("—"), QStringLiteral("< 0.2 s"),
                 seconds < 0.2 ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail,
                 ResultTable::mebibytes(outcome.peakMiB)});
    if (!m_options.keep)
        QDir(app).removeRecursively();
}
