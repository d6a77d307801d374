#pragma once

class Database;

// Rolls back unless commit() was called.
class Transaction
{
public:
    explicit Transaction(const Database& db);
    ~Transaction();

    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    const Database& m_db;
    bool m_done = false;
};
