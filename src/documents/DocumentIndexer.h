#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <thread>

class Database;

// Indexes the text of the documents that have no entry in the document text index yet: those
// stored before the index existed, or by a copy of the program that was closed halfway
// through. An index of another build's format, or one the engine finds damaged, is rebuilt
// first. What is indexed stays indexed, so stopping loses nothing and the next start goes on.
//
// Each document is read in a read transaction, its text extracted outside any, and the entries
// of a few documents written in one short write transaction, so that the program's own writes
// never wait long.
class DocumentIndexer
{
public:
    // (documents indexed so far, documents to index in all); called on the indexing thread.
    // Returning false stops the indexing.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    // Indexes on the calling thread until every document has an entry or `progress` says stop.
    // Returns the documents indexed. Throws StoreError when the database fails.
    static qint64 run(const QString& location, const Progress& progress = {});

    // Rebuilds the index when it is missing, of another format, or damaged. Returns true when
    // it was rebuilt. In a write transaction of its own.
    static bool ensureCurrent(const Database& db);

    DocumentIndexer() = default;
    // Stops the indexing and waits for the thread.
    ~DocumentIndexer();
    DocumentIndexer(const DocumentIndexer&) = delete;
    DocumentIndexer& operator=(const DocumentIndexer&) = delete;

    // Starts indexing `location` on a thread of its own. `finished` is called on that thread at
    // the end, with an empty text or the failure's message.
    void start(const QString& location, Progress progress, std::function<void(const QString& error)> finished);
    void stop();

private:
    std::atomic<bool> m_stop{false};
    std::jthread m_thread;
};
