#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// The backups kept in one folder: the files named as DatabaseBackup::fileNameFor() names them
// ("Dravolin-YYYY-MM-DD-HHMM.mdb"); any other file in the folder is never touched.
class BackupFolder
{
public:
    struct Entry
    {
        QString path;
        QDateTime taken; // from the name
    };

    explicit BackupFolder(const QString& path);

    // Newest first.
    QList<Entry> backups() const;
    // The newest backup, or an entry with an empty path when there is none.
    Entry newest() const;
    // No backup taken on `now`'s day yet.
    bool isDue(const QDateTime& now) const;
    // A free name for a backup taken at `now` (the default name; if taken already within the
    // same minute, the newer one replaces it).
    QString pathFor(const QDateTime& now) const;
    // Deletes the oldest backups so that the newest `keep` remain, never `verified` (the one
    // just made and checked). Returns the files deleted.
    QStringList rotate(int keep, const QString& verified) const;

    // The date in a backup's name; invalid for any other name.
    static QDateTime takenFromName(const QString& fileName);

private:
    QString m_path;
};
