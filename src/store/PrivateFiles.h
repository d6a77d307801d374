#pragma once

#include <QString>

// Files that hold the clients' data: created readable by their owner only, whatever the umask,
// and made durable before another name points at them.
class PrivateFiles
{
public:
    // Creates an empty file that must not exist yet, with mode 0600. Throws StoreError.
    static void createEmpty(const QString& path);
    // Creates the folder (and its parents) when missing, each with mode 0700; a folder that
    // exists is left as it is. Throws StoreError.
    static void ensureFolder(const QString& path);
    // Writes the file's data and the folder entry that names it to the disk. Throws StoreError.
    static void sync(const QString& path);
    // Renames `from` to `to` in one step (replacing `to`), then syncs the folder. Throws StoreError.
    static void replace(const QString& from, const QString& to);
    // Gives `to` a second name for the file `from` (a hard link), or copies it where the file
    // system has no links. Throws StoreError.
    static void keepAs(const QString& from, const QString& to);
    // A name beside `path` for a file being built: `path` + ".part-" + a random suffix.
    static QString buildingName(const QString& path);

    // A database file built under buildingName(target) beside its target. Whatever ends the
    // work early leaves nothing behind: the file and its journal go on destruction, unless
    // the file has taken the target's name.
    class Building
    {
    public:
        explicit Building(const QString& target);
        ~Building();
        Building(const Building&) = delete;
        Building& operator=(const Building&) = delete;

        QString path() const { return m_path; }
        // Removes the engine's journal and writes the file to the disk.
        void finish() const;
        // Renames it over the target (see replace()).
        void place();

    private:
        QString m_path;
        QString m_target;
        bool m_placed = false;
    };
};
