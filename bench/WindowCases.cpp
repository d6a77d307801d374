#include "WindowCases.h"

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

#include <QApplication>
#include <QDir>
#include <QEvent>
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
