#include "shell/MDIBaseForm.h"
#include "shell/OrvantaApplication.h"
#include "shell/frmLogin.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/DatabaseSchema.h"
#include "store/StoreError.h"

#include <exception>

namespace {

// Runs one step of the start; what it throws is reported. False when it failed.
template <typename Step>
bool ranWithoutError(Step step)
{
    try {
        step();
        return true;
    } catch (const StoreError& error) {
        OrvantaApplication::reportError(error.message());
    } catch (const std::exception& error) {
        OrvantaApplication::reportError(QString::fromLocal8Bit(error.what()));
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    OrvantaApplication app(argc, argv);
    // A file that is not our database is reported and left as it is.
    if (!ranWithoutError([&app] {
            ApplicationFolder::setPath(ApplicationFolder::resolve(app.arguments(), app.applicationDirPath()));
            DatabaseSchema::ensure(CLsDataBaseConnection::databasePath());
        }))
        return 1;

    MDIBaseForm mainWindow;
    frmLogin login(&mainWindow);
    if (!ranWithoutError([&login] { login.load(); }))
        return 1;
    // The program ends when its last window closes: the login cancelled at start, or the main window.
    if (!login.isVisible() && !mainWindow.isVisible())
        return 0;
    return app.exec();
}
