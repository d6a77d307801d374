#include "documents/ContentSearch.h"

#include "store/ReadAheadVfs.h"
#include "store/BlobStream.h"
#include "store/Database.h"
#include "store/Statement.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

// How long the calling thread waits at most between two progress reports, and at least
// (unless the search ends): a report may pump the window system's events, which takes time.
constexpr std::chrono::milliseconds ReportInterval(100);
constexpr std::chrono::milliseconds ReportSpacing(25);

const QString Table = QStringLiteral("Attachments");
const QString Column = QStringLiteral("Attachments");

} // namespace

ContentSearch::ContentSearch(const QString& databasePath, const ContentMatcher& matcher)
    : m_path(databasePath), m_matcher(matcher)
{
}

ContentSearch::~ContentSearch() = default;

int ContentSearch::workerCount()
{
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 2U, 4U));
}

void ContentSearch::planRanges(const std::vector<qint64>& ids)
{
    m_ids = ids;
    m_ranges.clear();
    m_rangesLeft = std::make_unique<std::atomic<int>[]>(ids.size());
    m_found = std::make_unique<std::atomic<bool>[]>(ids.size());
    const qint64 overlap = m_matcher.phrase().size() - 1;
    Database db(m_path);
    Statement length =
        db.prepare(QStringLiteral("SELECT length(Attachments) FROM Attachments WHERE AttachmentsId = ?"));
    for (size_t document = 0; document < ids.size(); ++document) {
        length.reset();
        length.bind(1, ids[document]);
        // length() of a long-binary value is read from the row without reading the value.
        const qint64 size = length.step() ? length.value(0).toLongLong() : 0;
        int count = 0;
        for (qint64 offset = 0; offset < size; offset += RangeSize, ++count)
            m_ranges.push_back({document, offset, std::min(RangeSize + overlap, size - offset)});
        m_rangesLeft[document] = count;
    }
}

std::vector<bool> ContentSearch::run(const std::vector<qint64>& ids, const Progress& progress)
{
    const int total = static_cast<int>(ids.size());
    const bool everywhere = m_matcher.phrase().isEmpty();
    std::vector<bool> result(ids.size(), everywhere);
    m_stopped = false;
    if (everywhere || ids.empty()) {
        // An empty phrase is in every document; nothing needs reading.
        if (progress)
            progress(total, total);
        return result;
    }

    planRanges(ids);
    m_nextRange = 0;
    m_stop = false;
    m_done = 0;
    m_finishedWorkers = 0;
    m_error = nullptr;
    for (size_t document = 0; document < ids.size(); ++document)
        if (m_rangesLeft[document] == 0)
            ++m_done; // an empty document holds no phrase

    const int workers = static_cast<int>(std::min<size_t>(static_cast<size_t>(workerCount()), m_ranges.size()));
    {
        std::vector<std::jthread> threads;
        // Declared after the threads, so that it stops them before they are joined, also
        // when reporting progress throws.
        struct StopOnExit
        {
            std::atomic<bool>& stop;
            ~StopOnExit() { stop = true; }
        } stopOnExit{m_stop};
        for (int i = 0; i < workers; ++i)
            threads.emplace_back([this] { work(); });
        waitReporting(total, workers, progress);
    }
    if (m_error)
        std::rethrow_exception(m_error);
    for (size_t document = 0; document < ids.size(); ++document)
        result[document] = m_found[document];
    return result;
}

void ContentSearch::waitReporting(int total, int workers, const Progress& progress)
{
    using Clock = std::chrono::steady_clock;
    std::unique_lock lock(m_mutex);
    int reported = -1;
    Clock::time_point lastReport = Clock::now() - ReportSpacing;
    const auto over = [&] { return m_finishedWorkers == workers || m_error; };
    for (;;) {
        const auto ready = [&] { return m_done != reported || over(); };
        if (progress) {
            m_changed.wait_for(lock, ReportInterval, ready);
            m_changed.wait_until(lock, lastReport + ReportSpacing, over);
        } else {
            m_changed.wait(lock, over);
        }
        if (m_error) {
            m_stop = true;
            return;
        }
        const bool finished = m_finishedWorkers == workers;
        const int done = finished ? total : m_done;
        if (progress) {
            lock.unlock();
            const bool goOn = progress(done, total);
            lock.lock();
            lastReport = Clock::now();
            if (!goOn && !finished) {
                m_stop = true;
                m_stopped = true;
                return;
            }
        }
        reported = done;
        if (finished)
            return;
    }
}

void ContentSearch::work()
{
    try {
        // Long values are read through a layer that reads the file ahead in large pieces.
        Database db(ReadAheadVfs::openName(m_path));
        // One read transaction for all documents: the file is locked and checked once.
        db.execute(QStringLiteral("BEGIN"));
        ContentMatcher matcher = m_matcher;
        std::vector<char> piece(BlobStream::PieceSize);
        while (!m_stop) {
            const size_t next = m_nextRange.fetch_add(1);
            if (next >= m_ranges.size())
                break;
            const Range& range = m_ranges[next];
            if (!m_found[range.document])
                scanRange(db, matcher, piece, range);
            if (m_stop)
                break; // the range may be unfinished
            if (--m_rangesLeft[range.document] == 0)
                documentDone();
        }
        db.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        const std::lock_guard lock(m_mutex);
        if (!m_error)
            m_error = std::current_exception();
    }
    const std::lock_guard lock(m_mutex);
    ++m_finishedWorkers;
    m_changed.notify_all();
}

void ContentSearch::scanRange(const Database& db, ContentMatcher& matcher, std::vector<char>& piece, const Range& range)
{
    const BlobStream blob(db, Table, Column, m_ids[range.document], false);
    const qint64 end = std::min(range.offset + range.length, blob.size());
    matcher.reset();
    for (qint64 offset = range.offset; offset < end; offset += BlobStream::PieceSize) {
        if (m_stop || m_found[range.document])
            return;
        const int length = static_cast<int>(std::min<qint64>(BlobStream::PieceSize, end - offset));
        blob.read(piece.data(), length, offset);
        if (matcher.feed(piece.data(), length)) {
            m_found[range.document] = true;
            return;
        }
    }
}

void ContentSearch::documentDone()
{
    const std::lock_guard lock(m_mutex);
    ++m_done;
    m_changed.notify_all();
}
