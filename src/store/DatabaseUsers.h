#pragma once

#include <QString>

// Which copies of the program use a database file. Each running copy holds a shared lock on a
// small file beside the database (the database's name + ".users") for as long as it runs; work
// that replaces the database file (restoring a backup, compacting) needs the lock alone, and is
// refused while another copy holds it. The lock is the operating system's (flock): it is given
// up when a copy ends in any way, even when it crashes.
class DatabaseUsers
{
public:
    // Holds the shared lock for `databasePath`. A server location holds nothing. Throws
    // StoreError when the lock file cannot be made.
    explicit DatabaseUsers(const QString& databasePath);
    ~DatabaseUsers();

    DatabaseUsers(const DatabaseUsers&) = delete;
    DatabaseUsers& operator=(const DatabaseUsers&) = delete;

    QString databasePath() const { return m_databasePath; }

    // The presence of this running program, registered at start (none in tests that do not).
    static DatabaseUsers* ofThisProgram();
    static void setOfThisProgram(DatabaseUsers* users);

    // The lock file of a database.
    static QString lockPath(const QString& databasePath);

    // While alive, this program is the only one using the database, if acquired() says so.
    // Uses the program's own presence when it is for the same file (and gives its shared lock
    // back at the end), else a lock of its own.
    class Exclusive
    {
    public:
        explicit Exclusive(const QString& databasePath);
        ~Exclusive();
        Exclusive(const Exclusive&) = delete;
        Exclusive& operator=(const Exclusive&) = delete;
        bool acquired() const { return m_acquired; }

    private:
        DatabaseUsers* m_users = nullptr;
        int m_fd = -1;
        bool m_acquired = false;
    };

private:
    friend class Exclusive;
    QString m_databasePath;
    int m_fd = -1;
};
