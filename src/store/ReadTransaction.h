#pragma once

class Database;

// Holds one read lock on the database file across several statements, so that the file is
// locked and checked for changes by other processes once instead of once per statement.
// Writers elsewhere wait while it lasts: keep it short. Ends when destroyed.
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
