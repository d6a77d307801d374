#pragma once

class Database;

// Several statements that see one consistent state of the database. On a file it holds one
// read lock across them, so that the file is locked and checked for changes by other
// processes once instead of once per statement, and writers elsewhere wait while it lasts:
// keep it short. On a server it is a read-only snapshot. Ends when destroyed.
class ReadTransaction
{
public:
    explicit ReadTransaction(const Database& db);
    ~ReadTransaction();

    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    const Database& m_db;
};
