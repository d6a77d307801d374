#pragma once

#include "store/WorkProgress.h"

#include <QDateTime>
#include <QString>

// Puts a backup in the place of the database file. The backup must be a database of this
// program of this build's schema or an older one (which is brought up to date). It is copied
// beside the database under a temporary name (the backup itself is left as it is), upgraded,
// checked and synced; the current file keeps a second name,
// "<database>.before-restore-YYYY-MM-DD-HHMM", and the copy takes the database's name in one
// step, so that at every moment the database's name holds one whole database.
//
// Refused (a busy StoreError) while another copy of the program has the database open or a
// connection holds it locked; the program itself must have closed its own connections first.
class DatabaseRestore
{
public:
    DatabaseRestore(const QString& backup, const QString& database);

    void setProgress(WorkProgress progress) { m_progress = std::move(progress); }
    void setTime(const QDateTime& now) { m_now = now; }

    // Returns the name the replaced database was kept under (empty when there was none).
    // Throws StoreError.
    QString run() const;

    static QString keptName(const QString& database, const QDateTime& when);

private:
    QString m_backup;
    QString m_database;
    WorkProgress m_progress;
    QDateTime m_now;
};
