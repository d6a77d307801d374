#include "app/CopyDatabaseCommand.h"
#include "app/MDIBaseForm.h"
#include "app/OrvantaApplication.h"
#include "app/StartupDatabase.h"
#include "app/frmLogin.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/DatabaseLocation.h"
#include "store/DatabaseUsers.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QIcon>
#include <QScopeGuard>
#include <exception>
#include <optional>

namespace {

// Runs one step of the start; what it throws is reported. False when it failed.
template <typename Step>
bool ranWithoutError(Step step)
{
    try {
        step();
        return true;
    } catch (const StoreError& error) {
        OrvantaApplication::reportError(OrvantaApplication::describe(error));
    } catch (const std::exception& error) {
        OrvantaApplication::reportError(QString::fromLocal8Bit(error.what()));
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // Copying a database is work for a terminal or a script: no display, no login, no window.
    if (CopyDatabaseCommand::isRequested(argc, argv)) {
        const QCoreApplication app(argc, argv);
        return CopyDatabaseCommand::run(QCoreApplication::arguments());
    }

    OrvantaApplication app(argc, argv);
    // Every window's icon, from the PNGs compiled in (orvanta.qrc).
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/org.orvanta.Orvanta.png").arg(size));
    QApplication::setWindowIcon(icon);
    if (!ranWithoutError([&app] {
            ApplicationFolder::setPath(ApplicationFolder::resolve(app.arguments(), app.applicationDirPath()));
            DatabaseLocation::setCommandLine(DatabaseLocation::fromArguments(app.arguments()));
            CLsDataBaseConnection::databasePath(); // a Database.conf that names nothing is reported now
        }))
        return 1;
    // A file that is not our database is reported and left as it is; one that another
    // program holds locked can be tried again.
    if (!StartupDatabase::open(CLsDataBaseConnection::databasePath()))
        return 1;
    // This copy's presence on the database, until it ends: another copy's restore or
    // compaction is refused meanwhile.
    std::optional<DatabaseUsers> users;
    if (!ranWithoutError([&users] { users.emplace(CLsDataBaseConnection::databasePath()); }))
        return 1;
    DatabaseUsers::setOfThisProgram(&*users);
    const auto unregister = qScopeGuard([] { DatabaseUsers::setOfThisProgram(nullptr); });

    MDIBaseForm mainWindow;
    frmLogin login;
    mainWindow.connectLogin(&login);
    if (!ranWithoutError([&login] { login.load(); }))
        return 1;
    // The program ends when its last window closes: the login cancelled at start, or the main window.
    if (!login.isVisible() && !mainWindow.isVisible())
        return 0;
    return app.exec();
}
