#pragma once

#include <QString>

// The automatic backups of an installation: whether the program backs the database up when it
// closes (at most once a day), into which folder, keeping how many. Kept in "Backup.ini" in the
// application folder, apart from Settings.ini, whose two lines stay as they are.
class BackupSettings
{
public:
    static constexpr int DefaultKeep = 7;
    static constexpr int MinimumKeep = 1;
    static constexpr int MaximumKeep = 999;

    bool automatic = false;
    // As the user gave it: absolute, or relative to the application folder. Default "Backups".
    QString folder = QStringLiteral("Backups");
    int keep = DefaultKeep; // MinimumKeep to MaximumKeep

    // The settings of the application folder; the defaults when the file is missing, and for
    // each value that is missing or not understood.
    static BackupSettings load();
    // Writes the file (under a temporary name, then renamed). Throws StoreError.
    void save() const;

    // `folder` as an absolute path.
    QString folderPath() const;
    static QString filePath();
};
