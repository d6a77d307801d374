#include "app/DatabaseMaintenance.h"

#include "app/BackgroundWork.h"
#include "app/DocumentIndexingStatus.h"
#include "app/MDIBaseForm.h"
#include "platform/FileDialog.h"
#include "store/ApplicationFolder.h"
#include "store/BackupFolder.h"
#include "store/BackupSettings.h"
#include "store/CLsDataBaseConnection.h"
#include "store/DatabaseBackup.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseCompaction.h"
#include "store/DatabaseLocation.h"
#include "store/DatabaseRestore.h"
#include "store/PrivateFiles.h"
#include "store/UserLevels.h"
#include "widgets/MenuBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

namespace {

const QString Title = QStringLiteral("Orvanta");
const QString BackupFilter = QStringLiteral("Orvanta backups (*.mdb)");
// A check lists at most this many of the engine's lines; the rest are counted.
constexpr int ProblemsListed = 20;

QString counted(qint64 count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(QLocale().toString(count), QLatin1String(count == 1 ? one : many));
}

QString sizeText(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QString dateText(const QDateTime& when)
{
    return QLocale().toString(when, QLocale::ShortFormat);
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString database()
{
    return CLsDataBaseConnection::databasePath();
}

QString listed(const QStringList& problems)
{
    QStringList lines = problems.mid(0, ProblemsListed);
    if (problems.size() > ProblemsListed)
        lines << QStringLiteral("and %1 more").arg(QLocale().toString(problems.size() - ProblemsListed));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

DatabaseMaintenance::DatabaseMaintenance(MDIBaseForm* main) : QObject(main), m_main(main) {}

void DatabaseMaintenance::addCommands(QMenu* tools)
{
    m_commands << MenuBuilder::separator(tools, QStringLiteral("mnuSepBackup"));
    m_commands << MenuBuilder::item(tools, QStringLiteral("mnuBackup"), QStringLiteral("&Back Up Now..."), this,
                                    &DatabaseMaintenance::backUpNow);
    m_commands << MenuBuilder::item(tools, QStringLiteral("mnuRestore"), QStringLiteral("&Restore from Backup..."),
                                    this, &DatabaseMaintenance::restoreFromBackup);
    m_commands << MenuBuilder::item(tools, QStringLiteral("mnuCompact"), QStringLiteral("Co&mpact Database"), this,
                                    &DatabaseMaintenance::compact);
    m_commands << MenuBuilder::item(tools, QStringLiteral("mnuCheck"), QStringLiteral("C&heck Database..."), this,
                                    [this] { check(false); });
    m_commands << MenuBuilder::item(tools, QStringLiteral("mnuCheckFull"),
                                    QStringLiteral("Check Database &Thoroughly..."), this, [this] { check(true); });
    setCommandsVisible(false);
}

void DatabaseMaintenance::setCommandsVisible(bool visible)
{
    for (QAction* command : std::as_const(m_commands))
        command->setVisible(visible);
}

QDateTime DatabaseMaintenance::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void DatabaseMaintenance::inform(const QString& text, MessageBox::Icon icon) const
{
    MessageBox::inform(m_main, Title, text, icon);
}

bool DatabaseMaintenance::refusedOnServer(const QString& what) const
{
    if (!DatabaseLocation::isServer(database()))
        return false;
    inform(
        QStringLiteral("The %1 is %2 with the server's own tools.").arg(DatabaseLocation::describe(database()), what),
        MessageBox::Information);
    return true;
}

void DatabaseMaintenance::backUpNow()
{
    const QString from = database();
    QString folder = BackupSettings::load().folderPath();
    try {
        PrivateFiles::ensureFolder(folder);
    } catch (const StoreError&) {
        // The user chooses the place anyway; the dialog starts beside the database.
        folder = ApplicationFolder::path();
    }
    const QString file =
        FileDialog::instance().getSaveFileName(m_main, QStringLiteral("Back Up the Database"),
                                               QDir(folder).filePath(DatabaseBackup::fileNameFor(now())), BackupFilter);
    if (file.isEmpty())
        return;
    if (!DatabaseLocation::isServer(from) && QFileInfo(file) == QFileInfo(from)) {
        inform(QStringLiteral("A backup cannot take the place of the database itself. Choose another name."),
               MessageBox::Warning);
        return;
    }
    DatabaseBackup::Result result;
    const std::optional<StoreError> failure =
        BackgroundWork(m_main, QStringLiteral("Backing up the database...")).run([&](const WorkProgress& progress) {
            DatabaseBackup backup(from, file);
            backup.setProgress(progress);
            result = backup.run();
        });
    if (failure) {
        if (!failure->isCancelled())
            inform(
                QStringLiteral("The database could not be backed up to %1.\n\n%2").arg(shown(file), failure->message()),
                MessageBox::Critical);
        return;
    }
    inform(QStringLiteral("The database was backed up to %1.\n\n%2, %3, %4.")
               .arg(shown(file), counted(result.clients, "client", "clients"),
                    counted(result.documents, "document", "documents"), sizeText(result.bytes)),
           MessageBox::Information);
}

void DatabaseMaintenance::restoreFromBackup()
{
    if (refusedOnServer(QStringLiteral("restored")))
        return;
    QString folder = BackupSettings::load().folderPath();
    if (!QFileInfo(folder).isDir())
        folder = ApplicationFolder::path();
    const QString backup = FileDialog::instance().getOpenFileName(m_main, QStringLiteral("Restore from Backup"), folder,
                                                                  BackupFilter + QStringLiteral(";;All files (*)"));
    if (!backup.isEmpty())
        restoreFrom(backup);
}

void DatabaseMaintenance::restoreFrom(const QString& backup)
{
    if (refusedOnServer(QStringLiteral("restored")))
        return;
    const QString to = database();
    DatabaseCheck::Contents contents;
    try {
        contents = DatabaseCheck::inspect(backup);
    } catch (const StoreError& error) {
        inform(error.message(), MessageBox::Critical);
        return;
    }
    const QDateTime when = now();
    const QString question =
        QStringLiteral(
            "Restore the backup of %1 (%2, %3) in place of the current database?\n\nThe current database "
            "is kept as %4. Every window closes now; when the backup is restored, Orvanta closes and must be "
            "started again.")
            .arg(dateText(contents.taken), counted(contents.clients, "client", "clients"),
                 counted(contents.documents, "document", "documents"), shown(DatabaseRestore::keptName(to, when)));
    if (MessageBox::ask(m_main, Title, question, MessageBox::YesNoDefaultNo, MessageBox::Warning) != MessageBox::Yes)
        return;
    if (!releaseDatabase())
        return;
    QString kept;
    const std::optional<StoreError> failure =
        BackgroundWork(m_main, QStringLiteral("Restoring the database from the backup..."))
            .run([&](const WorkProgress& progress) {
                DatabaseRestore restore(backup, to);
                restore.setProgress(progress);
                restore.setTime(when);
                kept = restore.run();
            });
    if (failure) {
        if (failure->isBusy())
            inform(failure->message(), MessageBox::Warning); // names the database and what to do
        else if (!failure->isCancelled())
            inform(QStringLiteral("The backup could not be restored; the database is as it was.\n\n%1")
                       .arg(failure->message()),
                   MessageBox::Critical);
        resumeWork();
        return;
    }
    m_replaced = true;
    QString text = QStringLiteral("The database was restored from the backup of %1.").arg(dateText(contents.taken));
    if (!kept.isEmpty())
        text += QStringLiteral(" The former database is kept as %1.").arg(shown(kept));
    inform(text + QStringLiteral("\n\nOrvanta closes now. Start it again to go on working."), MessageBox::Information);
    m_main->close();
}

void DatabaseMaintenance::compact()
{
    if (refusedOnServer(QStringLiteral("compacted")))
        return;
    if (!releaseDatabase())
        return;
    const QString path = database();
    DatabaseCompaction::Result result;
    const std::optional<StoreError> failure =
        BackgroundWork(m_main, QStringLiteral("Compacting the database...")).run([&](const WorkProgress& progress) {
            DatabaseCompaction compaction(path);
            compaction.setProgress(progress);
            result = compaction.run();
        });
    if (!failure)
        inform(QStringLiteral("The database was compacted: %1 before, %2 now.")
                   .arg(sizeText(result.bytesBefore), sizeText(result.bytesAfter)),
               MessageBox::Information);
    else if (failure->isBusy())
        inform(failure->message(), MessageBox::Warning);
    else if (!failure->isCancelled())
        inform(QStringLiteral("The database could not be compacted; it is as it was.\n\n%1").arg(failure->message()),
               MessageBox::Critical);
    resumeWork();
}

void DatabaseMaintenance::check(bool thorough)
{
    if (refusedOnServer(QStringLiteral("checked")))
        return;
    const QString path = database();
    QStringList problems;
    const std::optional<StoreError> failure =
        BackgroundWork(m_main, thorough ? QStringLiteral("Checking the whole database thoroughly...")
                                        : QStringLiteral("Checking the database..."))
            .run([&](const WorkProgress& progress) {
                problems = DatabaseCheck::problems(
                    path, thorough ? DatabaseCheck::Depth::Full : DatabaseCheck::Depth::Quick, progress);
            });
    if (failure) {
        if (failure->isCancelled())
            return;
        if (!failure->isDamaged()) {
            inform(QStringLiteral("The database %1 could not be checked.\n\n%2").arg(shown(path), failure->message()),
                   MessageBox::Critical);
            return;
        }
        // So damaged that the check itself stopped: that is its finding.
        problems = QStringList{failure->message()};
    }
    if (problems.isEmpty()) {
        inform(QStringLiteral("No problems found in the database %1.").arg(shown(path)), MessageBox::Information);
        return;
    }
    const QString found = QStringLiteral("The database %1 has problems:\n\n%2").arg(shown(path), listed(problems));
    const BackupSettings settings = BackupSettings::load();
    const BackupFolder::Entry newest = BackupFolder(settings.folderPath()).newest();
    if (newest.path.isEmpty()) {
        inform(found +
                   QStringLiteral("\n\nThere is no backup in %1 to restore it from.").arg(shown(settings.folderPath())),
               MessageBox::Warning);
        return;
    }
    const QString question =
        found +
        QStringLiteral("\n\nRestore the newest backup, of %1 (%2)?").arg(dateText(newest.taken), shown(newest.path));
    if (MessageBox::ask(m_main, Title, question, MessageBox::YesNo, MessageBox::Warning) == MessageBox::Yes)
        restoreFrom(newest.path);
}

void DatabaseMaintenance::backUpBeforeClosing()
{
    if (m_replaced)
        return;
    const BackupSettings settings = BackupSettings::load();
    if (!settings.automatic)
        return;
    const QDateTime when = now();
    const QString folder = settings.folderPath();
    const BackupFolder backups(folder);
    if (!backups.isDue(when))
        return;
    try {
        PrivateFiles::ensureFolder(folder);
    } catch (const StoreError& error) {
        inform(QStringLiteral("The automatic backup was not made: the folder %1 cannot be used.\n\n%2")
                   .arg(shown(folder), error.message()),
               MessageBox::Warning);
        return;
    }
    const QString from = database();
    const QString file = backups.pathFor(when);
    DatabaseBackup::Result result;
    const std::optional<StoreError> failure =
        BackgroundWork(m_main, QStringLiteral("Backing up the database before Orvanta closes..."))
            .run([&](const WorkProgress& progress) {
                DatabaseBackup backup(from, file);
                backup.setProgress(progress);
                result = backup.run();
            });
    if (failure) {
        if (!failure->isCancelled())
            inform(QStringLiteral("The automatic backup could not be made; Orvanta closes without it.\n\n%1")
                       .arg(failure->message()),
                   MessageBox::Warning);
        return;
    }
    try {
        backups.rotate(settings.keep, file);
    } catch (const StoreError& error) {
        inform(QStringLiteral("The database was backed up to %1, but older backups could not be deleted.\n\n%2")
                   .arg(shown(file), error.message()),
               MessageBox::Warning);
    }
}

bool DatabaseMaintenance::releaseDatabase()
{
    QMdiArea* area = m_main->mdiArea();
    area->closeAllSubWindows();
    const QList<QMdiSubWindow*> children = area->subWindowList();
    for (QMdiSubWindow* child : children) {
        // A window that refused to close (its own question answered No) keeps everything as it is.
        if (!child->isHidden())
            return false;
    }
    // The closed windows go now, with whatever of the database they still hold.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_main->indexing()->stop();
    return true;
}

void DatabaseMaintenance::resumeWork()
{
    m_main->indexing()->start();
    if (m_main->UserLevel != UserLevels::BuiltIn)
        m_main->openExplorer();
}
