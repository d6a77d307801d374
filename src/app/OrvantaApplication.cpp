#include "app/OrvantaApplication.h"

#include "platform/MessageBox.h"
#include "store/CLsDataBaseConnection.h"
#include "store/DatabaseLocation.h"
#include "store/StoreError.h"

#include <QDir>
#include <QScopedValueRollback>
#include <exception>

OrvantaApplication::OrvantaApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Orvanta"));
    setApplicationVersion(QStringLiteral(ORVANTA_VERSION));
    // Ties the windows to the installed desktop entry: its name and icon in the task bar.
    setDesktopFileName(QStringLiteral("org.orvanta.Orvanta"));
}

bool OrvantaApplication::notify(QObject* receiver, QEvent* event)
{
    QString message;
    try {
        return QApplication::notify(receiver, event);
    } catch (const StoreError& error) {
        message = describe(error);
    } catch (const std::exception& error) {
        message = QString::fromLocal8Bit(error.what());
    } catch (...) {
        message = QStringLiteral("An unexpected error occurred.");
    }
    // A failure while the box itself is up is not reported again.
    if (!m_reporting) {
        const QScopedValueRollback<bool> reporting(m_reporting, true);
        reportError(message);
    }
    return false;
}

void OrvantaApplication::reportError(const QString& message)
{
    try {
        MessageBox::inform(nullptr, QStringLiteral("Orvanta"), message, MessageBox::Critical);
    } catch (...) {
        // Nothing more can be done about a failure to report a failure.
    }
}

QString OrvantaApplication::describe(const StoreError& error)
{
    if (!error.isBusy())
        return error.message();
    return QStringLiteral("Another program is using the database %1, so this could not be done and nothing was "
                          "saved.\n\nPlease try again in a moment.")
        .arg(DatabaseLocation::describe(CLsDataBaseConnection::databasePath()));
}
