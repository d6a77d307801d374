#pragma once

#include "platform/MessageBox.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class MDIBaseForm;
class QAction;
class QMenu;

// The care of the database file, for the administrator and the built-in account: backing it
// up, restoring a backup in its place, compacting it and checking it, from the main window's
// Tools menu, and the automatic backup when the program closes. Each runs on a thread of its
// own behind a progress dialog (BackgroundWork).
//
// Restoring and compacting replace the database file: every child window is closed and the
// background indexing stopped first, so that the program holds no connection of its own.
// After a restore the program must end; after a compaction it goes on as at the start.
class DatabaseMaintenance : public QObject
{
    Q_OBJECT

public:
    explicit DatabaseMaintenance(MDIBaseForm* main);

    // Adds the commands, hidden, at the end of `tools`.
    void addCommands(QMenu* tools);
    void setCommandsVisible(bool visible);

    void backUpNow();
    void restoreFromBackup();
    // Restores `backup` after the confirmation, without asking for a file.
    void restoreFrom(const QString& backup);
    void compact();
    void check(bool thorough);

    // The automatic backup as the program closes, when it is switched on and none was made
    // today. Never keeps the program from closing.
    void backUpBeforeClosing();

    // Tests give a fixed time; by default the clock of the system.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    QDateTime now() const;
    bool refusedOnServer(const QString& what) const;
    // Closes every child window and stops the indexing; false (nothing changed) when a window
    // refused to close.
    bool releaseDatabase();
    // Goes on as after the login: the indexing, and the explorer for a level that has one.
    void resumeWork();
    void inform(const QString& text, MessageBox::Icon icon) const;

    MDIBaseForm* m_main;
    QList<QAction*> m_commands;
    std::function<QDateTime()> m_clock;
    // The database file was replaced: the program must end, and backs nothing up as it does.
    bool m_replaced = false;
};
