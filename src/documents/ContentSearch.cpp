#include "documents/ContentSearch.h"

#include "store/BlobStream.h"
#include "store/Database.h"
#include "store/DocumentTextIndex.h"
#include "store/ReadTransaction.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

namespace {

// How long the calling thread waits between two progress reports (unless the search ends):
// often enough for a responsive window, seldom enough that pumping its events costs little.
constexpr std::chrono::milliseconds ReportInterval(40);

// Documents are scanned in pieces that stay in the processor's cache between being read
// and being searched.
constexpr int ScanPiece = 128 * 1024;

// Documents one worker claims at a time.
constexpr size_t Batch = 8;
// How long a worker without work waits for another to share the ranges of a large document.
constexpr std::chrono::microseconds IdleWait(200);

const QString Table = QStringLiteral("Attachments");
const QString Column = QStringLiteral("Attachments");

} // namespace

ContentSearch::ContentSearch(const QString& databasePath, const ContentMatcher& matcher,
                             const ContentMatcher& textMatcher)
    : m_path(databasePath), m_matcher(matcher), m_textMatcher(textMatcher)
{
}

ContentSearch::~ContentSearch() = default;

int ContentSearch::workerCount()
{
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 2U, 4U));
}

std::vector<bool> ContentSearch::run(const std::vector<qint64>& ids, const Progress& progress,
                                     const std::vector<Source>& sources)
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

    m_ids = ids;
    m_sources = sources;
    m_sources.resize(ids.size(), Source::Bytes);
    // Documents are taken in the order of their keys, which is about the order in which
    // they lie in the file.
    m_order.resize(ids.size());
    for (size_t i = 0; i < ids.size(); ++i)
        m_order[i] = i;
    std::stable_sort(m_order.begin(), m_order.end(), [&](size_t a, size_t b) { return ids[a] < ids[b]; });
    m_rangesLeft = std::make_unique<std::atomic<int>[]>(ids.size());
    m_found = std::make_unique<std::atomic<bool>[]>(ids.size());
    m_shared.clear();
    m_sharedCount = 0;
    m_nextDocument = 0;
    m_opening = 0;
    m_stop = false;
    m_done = 0;
    m_finishedWorkers = 0;
    m_error = nullptr;

    const int workers = static_cast<int>(std::min<size_t>(static_cast<size_t>(workerCount()), ids.size()));
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
    std::unique_lock lock(m_mutex);
    const auto over = [&] { return m_finishedWorkers == workers || m_error; };
    for (;;) {
        if (m_error) {
            m_stop = true;
            return;
        }
        const bool finished = m_finishedWorkers == workers;
        if (progress) {
            const int done = finished ? total : m_done.load();
            lock.unlock();
            const bool goOn = progress(done, total);
            lock.lock();
            if (!goOn && !finished) {
                m_stop = true;
                m_stopped = true;
                return;
            }
        }
        if (finished)
            return;
        // Workers wake this thread only when they finish; progress is looked at on a clock,
        // so that a search through many small documents does not pay for a wake-up each.
        if (progress)
            m_changed.wait_for(lock, ReportInterval, over);
        else
            m_changed.wait(lock, over);
    }
}

void ContentSearch::work()
{
    try {
        Database db(m_path);
        // One read transaction for all documents: the file is locked and checked once.
        const ReadTransaction transaction(db);
        Scanner scanner{m_matcher, m_textMatcher, std::vector<char>(ScanPiece)};
        while (!m_stop) {
            Range range{};
            if (takeShared(range)) {
                if (!m_found[range.document]) {
                    const std::optional<BlobStream> blob = open(db, range.document);
                    if (blob)
                        scanRange(*blob, scanner.matcherFor(m_sources[range.document]), scanner.piece, range);
                }
                if (m_stop)
                    break; // the range may be unfinished
                rangeDone(range.document);
                continue;
            }
            // Counted before documents are claimed, so that a worker finding none left
            // waits for the ranges this one may share.
            ++m_opening;
            OpeningGuard opening{m_opening};
            const size_t first = m_nextDocument.fetch_add(Batch);
            if (first >= m_ids.size()) {
                opening.release();
                if (m_opening == 0 && m_sharedCount == 0)
                    break;
                std::this_thread::sleep_for(IdleWait);
                continue;
            }
            // Neighbouring documents lie next to each other in the file, so one worker
            // reading several in a row reads the file from start to end.
            const size_t last = std::min(first + Batch, m_ids.size()) - 1;
            for (size_t next = first; next <= last && !m_stop; ++next)
                scanDocument(db, scanner, m_order[next], next == last ? &opening : nullptr);
        }
    } catch (...) {
        const std::lock_guard lock(m_mutex);
        if (!m_error)
            m_error = std::current_exception();
    }
    const std::lock_guard lock(m_mutex);
    ++m_finishedWorkers;
    m_changed.notify_all();
}

std::optional<BlobStream> ContentSearch::open(const Database& db, size_t document) const
{
    // A row deleted since the statement ran, or one without a value, holds nothing.
    if (m_sources[document] == Source::Text)
        return BlobStream::openForReading(db, DocumentTextIndex::textTable(db), DocumentTextIndex::textColumn(),
                                          m_ids[document]);
    return BlobStream::openForReading(db, Table, Column, m_ids[document]);
}

void ContentSearch::scanWhole(const Database& db, ContentMatcher& matcher, size_t document)
{
    // The statement stays prepared on the worker's connection for the next document.
    const QVariant text = db.scalar(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
            .arg(DocumentTextIndex::textColumn(), DocumentTextIndex::textTable(db), DocumentTextIndex::keyColumn()),
        {m_ids[document]});
    if (!text.isNull() && matcher.matches(text.toString().toUtf8()))
        m_found[document] = true;
}

void ContentSearch::scanDocument(const Database& db, Scanner& scanner, size_t document, OpeningGuard* opening)
{
    const Source source = m_sources[document];
    // A server keeps the text in a column of its own kind, read whole; the text is bounded.
    if (source == Source::Nothing || (source == Source::Text && db.isServer())) {
        if (opening)
            opening->release();
        if (source == Source::Text)
            scanWhole(db, scanner.text, document);
        documentDone();
        return;
    }
    ContentMatcher& matcher = scanner.matcherFor(source);
    std::vector<char>& piece = scanner.piece;
    const std::optional<BlobStream> blob = open(db, document);
    const qint64 size = blob ? blob->size() : 0;
    // A large document is cut into ranges that overlap by the phrase's length less one,
    // and all but the first are left to whichever worker is free.
    const qint64 overlap = m_matcher.phrase().size() - 1;
    const int ranges = static_cast<int>((size + RangeSize - 1) / RangeSize);
    m_rangesLeft[document] = ranges;
    if (ranges > 1) {
        const std::lock_guard lock(m_sharedMutex);
        for (int i = 1; i < ranges; ++i) {
            const qint64 offset = i * RangeSize;
            m_shared.push_back({document, offset, std::min(RangeSize + overlap, size - offset)});
        }
        m_sharedCount += ranges - 1;
    }
    if (opening)
        opening->release();
    if (ranges == 0) {
        documentDone();
        return;
    }
    scanRange(*blob, matcher, piece, {document, 0, std::min(RangeSize + overlap, size)});
    if (!m_stop)
        rangeDone(document);
}

bool ContentSearch::takeShared(Range& range)
{
    if (m_sharedCount == 0)
        return false;
    const std::lock_guard lock(m_sharedMutex);
    if (m_shared.empty())
        return false;
    range = m_shared.front();
    m_shared.pop_front();
    --m_sharedCount;
    return true;
}

void ContentSearch::scanRange(const BlobStream& blob, ContentMatcher& matcher, std::vector<char>& piece,
                              const Range& range)
{
    const qint64 end = std::min(range.offset + range.length, blob.size());
    matcher.reset();
    for (qint64 offset = range.offset; offset < end; offset += ScanPiece) {
        if (m_stop || m_found[range.document])
            return;
        const int length = static_cast<int>(std::min<qint64>(ScanPiece, end - offset));
        blob.read(piece.data(), length, offset);
        if (matcher.feed(piece.data(), length)) {
            m_found[range.document] = true;
            return;
        }
    }
}

void ContentSearch::rangeDone(size_t document)
{
    if (--m_rangesLeft[document] == 0)
        documentDone();
}

void ContentSearch::documentDone()
{
    ++m_done;
}
