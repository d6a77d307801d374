#include "app/StartupDatabase.h"

#include "app/BackgroundWork.h"
#include "app/OrvantaApplication.h"
#include "platform/MessageBox.h"
#include "store/BackupFolder.h"
#include "store/BackupSettings.h"
#include "store/DatabaseRestore.h"
#include "store/DatabaseSchema.h"
#include "store/StoreError.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>

namespace {

const QString Title = QStringLiteral("Orvanta");

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Says that the database is damaged and offers the newest backup in its place. True when the
// backup was restored.
bool restoredAfterDamage(const QString& path, const StoreError& damage)
{
    // The store names the file and gives the engine's words.
    QString found = damage.message();
    if (!found.endsWith(QLatin1Char('.')))
        found += QLatin1Char('.');
    const QString folder = BackupSettings::load().folderPath();
    const BackupFolder::Entry newest = BackupFolder(folder).newest();
    if (newest.path.isEmpty()) {
        OrvantaApplication::reportError(found + QStringLiteral("\n\nThere is no backup in %1 to restore it from. The "
                                                               "file has been left as it is.")
                                                    .arg(shown(folder)));
        return false;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QString taken = QLocale().toString(newest.taken, QLocale::ShortFormat);
    const QString question = found + QStringLiteral("\n\nThe newest backup is of %1 (%2). Restore it now? The damaged "
                                                    "database is kept as %3.")
                                         .arg(taken, shown(newest.path), shown(DatabaseRestore::keptName(path, now)));
    if (MessageBox::ask(nullptr, Title, question, MessageBox::YesNo, MessageBox::Warning) != MessageBox::Yes)
        return false;
    QString kept;
    const std::optional<StoreError> failure =
        BackgroundWork(nullptr, QStringLiteral("Restoring the database from the backup..."))
            .run([&](const WorkProgress& progress) {
                DatabaseRestore restore(newest.path, path);
                restore.setProgress(progress);
                restore.setTime(now);
                kept = restore.run();
            });
    if (failure) {
        if (!failure->isCancelled())
            OrvantaApplication::reportError(
                QStringLiteral("The backup could not be restored; the damaged database is as it was.\n\n%1")
                    .arg(failure->message()));
        return false;
    }
    MessageBox::inform(nullptr, Title,
                       QStringLiteral("The database was restored from the backup of %1. The damaged database is kept "
                                      "as %2.")
                           .arg(taken, shown(kept)),
                       MessageBox::Information);
    return true;
}

} // namespace

bool StartupDatabase::open(const QString& path)
{
    bool restored = false;
    for (;;) {
        try {
            DatabaseSchema::ensure(path);
            return true;
        } catch (const StoreError& error) {
            if (!error.isBusy()) {
                // A backup is offered once: a restored one was checked before it took the name.
                if (!error.isDamaged() || restored) {
                    OrvantaApplication::reportError(error.message());
                    return false;
                }
                if (!restoredAfterDamage(path, error))
                    return false;
                restored = true;
                continue; // the restored backup is checked and brought up to date as any file
            }
            // Nothing has been written yet: cancelling leaves the file and the settings as they are.
            const QString text =
                error.message() + QStringLiteral("\n\nWhen that program has finished with it, choose Retry. "
                                                 "Cancel ends Orvanta without changing anything.");
            if (MessageBox::ask(nullptr, QStringLiteral("Orvanta"), text, MessageBox::RetryCancel,
                                MessageBox::Warning) != MessageBox::Retry)
                return false;
        }
    }
}
