#include "WindowCases.h"

#include "BenchFiles.h"
#include "BenchOptions.h"
#include "ExternalCommand.h"
#include "PaintWatch.h"
#include "ResultTable.h"
#include "Stopwatch.h"

#include "app/MDIBaseForm.h"
#include "app/OrvantaApplication.h"
#include "app/frmLogin.h"
#include "platform/Platform.h"
#include "platform/ScriptedMessageBox.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/DatabaseSchema.h"
#include "store/StoreError.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

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

int WindowCases::startupProbe(const QString& program, const QString& folder, bool bare)
{
    // The same steps as the program's main(), on the same arguments.
    QByteArray arg0 = program.toLocal8Bit();
    QByteArray arg1("--app-dir");
    QByteArray arg2 = folder.toLocal8Bit();
    char* argv[] = {arg0.data(), arg1.data(), arg2.data(), nullptr};
    int argc = 3;
    if (bare) {
        QApplication app(argc, argv);
        QWidget window;
        window.resize(Twips::size(3750, 1560));
        PaintWatch watch;
        window.installEventFilter(&watch);
        window.show();
        while (!watch.painted())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        std::printf("shown %lld %ld\n", static_cast<long long>(watch.paintedAt()), peakKiB());
        std::fflush(stdout);
        return 0;
    }
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
    // One start: the time from the process's start to its window's first paint, and its peak memory.
    const auto start = [&](bool bare, int round, double& seconds, double& peak) {
        const QString folder = QDir(m_root).filePath(QStringLiteral("startup-%1").arg(round));
        const std::int64_t started = Stopwatch::now();
        const ExternalCommand::Result result = ExternalCommand::run(
            self, {bare ? QStringLiteral("--startup-probe-bare") : QStringLiteral("--startup-probe"), folder}, true,
            {QStringLiteral("QT_QPA_PLATFORM=offscreen")});
        const QList<QByteArray> parts = result.output.trimmed().split(' ');
        const bool ok = result.started && result.exitCode == 0 && parts.size() == 3 && parts.at(0) == "shown" &&
                        (bare || QFileInfo::exists(BenchFiles::database(folder)));
        QDir(folder).removeRecursively();
        if (!ok)
            return false;
        seconds = static_cast<double>(parts.at(1).toLongLong() - started) / 1e9;
        peak = std::max(peak, parts.at(2).toDouble() / 1024.0);
        return true;
    };
    std::vector<double> times, bareTimes;
    double peak = 0;
    double barePeak = 0;
    for (int r = 0; r < m_options.repeats; ++r) {
        double seconds = 0;
        double bareSeconds = 0;
        // The two take turns at going first.
        const bool bareFirst = r % 2 == 1;
        if ((bareFirst && !start(true, r, bareSeconds, barePeak)) || !start(false, r, seconds, peak) ||
            (!bareFirst && !start(true, r, bareSeconds, barePeak))) {
            m_table.addError(name, QStringLiteral("the start-up did not reach the login window"));
            return;
        }
        times.push_back(seconds);
        bareTimes.push_back(bareSeconds);
    }
    const double seconds = median(times);
    const double baseline = median(bareTimes);
    m_table.add({name, ResultTable::duration(seconds) + QStringLiteral(" (median of %1)").arg(times.size()),
                 QStringLiteral("an empty Qt window of its size: ") + ResultTable::duration(baseline) +
                     QStringLiteral(", ") + ResultTable::mebibytes(barePeak),
                 ResultTable::times(seconds / baseline), QStringLiteral("< 0.5 s"),
                 seconds < 0.5 ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail,
                 ResultTable::mebibytes(peak)});
}
