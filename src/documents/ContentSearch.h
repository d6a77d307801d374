#pragma once

#include "documents/ContentMatcher.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class BlobStream;
class Database;

// Scans stored attachments for a phrase on several threads: the documents' bytes, or, for a
// document with an entry in the document text index, the text kept there.
//
// Each worker opens a connection of its own to the database file (a connection serves one
// thread) and reads documents straight from the database in pieces. Documents are handed
// out in the order of their keys; a large one is cut into ranges that overlap by the
// phrase's length, so that the workers share it too. The calling thread waits and reports
// progress meanwhile.
class ContentSearch
{
public:
    // Called on the calling thread with (documents done, documents in all) every few
    // hundredths of a second and at the end; returning false stops the search.
    using Progress = std::function<bool(int done, int total)>;

    // `textMatcher` looks for the phrase in the documents' text, `matcher` in their bytes.
    ContentSearch(const QString& databasePath, const ContentMatcher& matcher, const ContentMatcher& textMatcher);
    ContentSearch(const QString& databasePath, const ContentMatcher& matcher)
        : ContentSearch(databasePath, matcher, matcher)
    {
    }
    ~ContentSearch();

    ContentSearch(const ContentSearch&) = delete;
    ContentSearch& operator=(const ContentSearch&) = delete;

    // Where a document is looked at.
    enum class Source : unsigned char
    {
        Bytes,  // the stored value
        Text,   // its text in the document text index
        Nothing // it cannot hold the phrase (the index says so)
    };

    // Whether each document (an AttachmentsId) holds the phrase, in the order given, each looked
    // at where `sources` says (its bytes when `sources` is empty). When the search is stopped,
    // documents not scanned to the end count as not holding it. Throws StoreError when a
    // document cannot be read.
    std::vector<bool> run(const std::vector<qint64>& ids, const Progress& progress = {},
                          const std::vector<Source>& sources = {});

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
    // Keeps a worker counted as opening documents until released.
    class OpeningGuard
    {
    public:
        explicit OpeningGuard(std::atomic<int>& count) : m_count(&count) {}
        ~OpeningGuard() { release(); }
        OpeningGuard(const OpeningGuard&) = delete;
        OpeningGuard& operator=(const OpeningGuard&) = delete;
        void release()
        {
            if (m_count)
                --*m_count;
            m_count = nullptr;
        }

    private:
        std::atomic<int>* m_count;
    };

    // A worker's own matchers and buffer.
    struct Scanner
    {
        ContentMatcher bytes;
        ContentMatcher text;
        std::vector<char> piece;
        ContentMatcher& matcherFor(Source source) { return source == Source::Text ? text : bytes; }
    };

    void work();
    void scanDocument(const Database& db, Scanner& scanner, size_t document, OpeningGuard* opening);
    std::optional<BlobStream> open(const Database& db, size_t document) const;
    void scanWhole(const Database& db, ContentMatcher& matcher, size_t document);
    bool takeShared(Range& range);
    void scanRange(const BlobStream& blob, ContentMatcher& matcher, std::vector<char>& piece, const Range& range);
    void rangeDone(size_t document);
    void documentDone();
    void waitReporting(int total, int workers, const Progress& progress);

    QString m_path;
    ContentMatcher m_matcher;
    ContentMatcher m_textMatcher;
    std::vector<qint64> m_ids;
    std::vector<Source> m_sources;
    std::vector<size_t> m_order;                      // indexes into m_ids, in the order of the keys
    std::unique_ptr<std::atomic<int>[]> m_rangesLeft; // per document
    std::unique_ptr<std::atomic<bool>[]> m_found;     // per document
    std::atomic<size_t> m_nextDocument{0};            // into m_order
    std::atomic<int> m_opening{0};                    // workers with documents claimed but not opened
    std::mutex m_sharedMutex;                         // guards m_shared
    std::deque<Range> m_shared;                       // ranges of large documents, for any worker
    std::atomic<int> m_sharedCount{0};                // m_shared.size(), read without the lock
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_done{0}; // documents scanned to the end

    std::mutex m_mutex; // guards the members below and pairs with m_changed
    std::condition_variable m_changed;
    int m_finishedWorkers = 0;
    std::exception_ptr m_error;

    bool m_stopped = false;
};
