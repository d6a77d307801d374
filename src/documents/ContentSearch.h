#pragma once

#include "documents/ContentMatcher.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class Database;

// Scans stored attachments for a phrase on several threads.
//
// Each worker opens a connection of its own to the database file (a connection serves one
// thread) and reads documents straight from the database in pieces. Documents are handed
// out in order; a large one is cut into ranges that overlap by the phrase's length, so that
// the workers share it too. The calling thread waits and reports progress meanwhile.
class ContentSearch
{
public:
    // Called on the calling thread with (documents done, documents in all), after documents
    // are done and at least every few tenths of a second; returning false stops the search.
    using Progress = std::function<bool(int done, int total)>;

    ContentSearch(const QString& databasePath, const ContentMatcher& matcher);
    ~ContentSearch();

    ContentSearch(const ContentSearch&) = delete;
    ContentSearch& operator=(const ContentSearch&) = delete;

    // Whether each document (an AttachmentsId) holds the phrase, in the order given. When
    // the search is stopped, documents not scanned to the end count as not holding it.
    // Throws StoreError when a document cannot be read.
    std::vector<bool> run(const std::vector<qint64>& ids, const Progress& progress = {});

    bool wasStopped() const { return m_stopped; }

    // How many threads scan at most.
    static int workerCount();
    // The longest range of a document one worker scans in one go.
    static constexpr qint64 RangeSize = 16LL << 20;

private:
    struct Range
    {
        size_t document;
        qint64 offset;
        qint64 length;
    };

    void planRanges(const std::vector<qint64>& ids);
    void work();
    void scanRange(const Database& db, ContentMatcher& matcher, std::vector<char>& piece, const Range& range);
    void documentDone();
    void waitReporting(int total, int workers, const Progress& progress);

    QString m_path;
    ContentMatcher m_matcher;
    std::vector<qint64> m_ids;
    std::vector<Range> m_ranges;
    std::unique_ptr<std::atomic<int>[]> m_rangesLeft; // per document
    std::unique_ptr<std::atomic<bool>[]> m_found;     // per document
    std::atomic<size_t> m_nextRange{0};
    std::atomic<bool> m_stop{false};

    std::mutex m_mutex; // guards the members below and pairs with m_changed
    std::condition_variable m_changed;
    int m_done = 0;
    int m_finishedWorkers = 0;
    std::exception_ptr m_error;

    bool m_stopped = false;
};
