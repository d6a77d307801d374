#pragma once

#include <functional>
#include <memory>

class Database;

// Reads stored documents through a connection of its own, opened at the first read and
// kept for the next ones: documents copied one
// after another pay for opening the database and reading its schema once.
//
// Each read() is one read transaction, ended before read() returns. It sees what is stored
// when it begins (a document changed or deleted meanwhile, by this program or another, is
// seen so), and between reads the connection holds no lock, so that others may write. A
// database file that another one has replaced at its path is opened anew. For one thread.
class DocumentReader
{
public:
    DocumentReader();
    // Closes the connection.
    ~DocumentReader();

    DocumentReader(const DocumentReader&) = delete;
    DocumentReader& operator=(const DocumentReader&) = delete;

    // Runs `work` on the connection to the application's database, inside one read
    // transaction. Throws StoreError when the database cannot be opened; what `work` throws
    // is passed on.
    void read(const std::function<void(const Database&)>& work);

private:
    struct Connection;
    std::unique_ptr<Connection> m_connection;
};
