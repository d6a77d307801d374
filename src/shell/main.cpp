#include "shell/MDIBaseForm.h"
#include "shell/OrvantaApplication.h"
#include "shell/frmLogin.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/DatabaseSchema.h"
#include "store/StoreError.h"

#include <exception>

int main(int argc, char** argv)
{
    OrvantaApplication app(argc, argv);
    try {
        ApplicationFolder::setPath(ApplicationFolder::resolve(app.arguments(), app.applicationDirPath()));
        DatabaseSchema::ensure(CLsDataBaseConnection::databasePath());
    } catch (const StoreError& error) {
        // A file that is not our database is reported and left as it is.
        OrvantaApplication::reportError(error.message());
        return 1;
    } catch (const std::exception& error) {
        OrvantaApplication::reportError(QString::fromLocal8Bit(error.what()));
        return 1;
    }

    MDIBaseForm mainWindow;
    frmLogin login(&mainWindow);
    try {
        login.load();
    } catch (const StoreError& error) {
        OrvantaApplication::reportError(error.message());
        return 1;
    } catch (const std::exception& error) {
        OrvantaApplication::reportError(QString::fromLocal8Bit(error.what()));
        return 1;
    }
    // The program ends when its last window closes: the login cancelled at start, or the main window.
    if (!login.isVisible() && !mainWindow.isVisible())
        return 0;
    return app.exec();
}
