#include "documents/DocumentIndexer.h"

#include "documents/DocumentText.h"
#include "store/Database.h"
#include "store/DocumentTextIndex.h"
#include "store/ReadTransaction.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QLoggingCategory>
#include <chrono>
#include <optional>
#include <vector>

namespace {

Q_LOGGING_CATEGORY(indexLog, "orvanta.documents.index")

// Documents asked for at a time, and the most text written in one transaction.
constexpr int Batch = 32;
constexpr qsizetype TextPerTransaction = 4 << 20;
// How long the indexing waits when another program holds the database.
constexpr std::chrono::milliseconds BusyPause(500);

struct Entry
{
    qint64 id = 0;
    std::optional<QByteArray> text;
};

void write(const Database& db, std::vector<Entry>& entries)
{
    if (entries.empty())
        return;
    Transaction transaction(db);
    for (const Entry& entry : entries)
        DocumentTextIndex::put(db, entry.id, entry.text);
    transaction.commit();
    entries.clear();
}

} // namespace

bool DocumentIndexer::ensureCurrent(const Database& db)
{
    bool damaged = false;
    try {
        if (DocumentTextIndex::current(db)) {
            // The engine checks the index against the text it was made from only on request;
            // asking for a word reads its structure, which a damaged file fails.
            DocumentTextIndex::candidates(db, QByteArrayLiteral("the"));
            return false;
        }
    } catch (const StoreError& error) {
        if (error.isBusy())
            throw;
        qCWarning(indexLog) << "The document text index is damaged and is made anew:" << error.message();
        damaged = true;
    }
    Transaction transaction(db);
    if (!damaged && DocumentTextIndex::current(db))
        return false; // another copy of the program rebuilt it meanwhile
    DocumentTextIndex::rebuild(db);
    transaction.commit();
    return true;
}

qint64 DocumentIndexer::run(const QString& location, const Progress& progress)
{
    Database db(location);
    ensureCurrent(db);
    const qint64 total = DocumentTextIndex::unindexedCount(db);
    qint64 done = 0;
    if (progress && !progress(done, total))
        return done;
    std::vector<Entry> entries;
    qsizetype pendingText = 0;
    for (;;) {
        const std::vector<qint64> ids = DocumentTextIndex::unindexed(db, Batch);
        if (ids.empty())
            break;
        for (const qint64 id : ids) {
            std::optional<DocumentText::Stored> stored;
            {
                const ReadTransaction reading(db);
                stored = DocumentText::read(db, id);
            }
            Entry entry{id, stored ? DocumentText::folded(*stored) : std::nullopt};
            pendingText += entry.text ? entry.text->size() : 0;
            entries.push_back(std::move(entry));
            if (pendingText >= TextPerTransaction) {
                write(db, entries);
                pendingText = 0;
            }
            ++done;
            if (progress && !progress(std::min(done, total), total)) {
                write(db, entries);
                return done;
            }
        }
        write(db, entries);
        pendingText = 0;
    }
    if (progress)
        progress(total, total);
    return done;
}

DocumentIndexer::~DocumentIndexer()
{
    stop();
}

void DocumentIndexer::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void DocumentIndexer::start(const QString& location, Progress progress,
                            std::function<void(const QString& error)> finished)
{
    stop();
    m_stop = false;
    m_thread = std::jthread([this, location, progress = std::move(progress), finished = std::move(finished)] {
        const Progress goOn = [&](qint64 done, qint64 total) {
            if (m_stop)
                return false;
            return !progress || progress(done, total);
        };
        QString failure;
        for (;;) {
            try {
                run(location, goOn);
                break;
            } catch (const StoreError& error) {
                if (!error.isBusy()) {
                    failure = error.message();
                    qCWarning(indexLog) << "Indexing the documents' text stopped:" << failure;
                    break;
                }
            }
            // Another program holds the database; try again shortly, unless told to stop.
            for (auto waited = std::chrono::milliseconds(0); waited < BusyPause && !m_stop;
                 waited += std::chrono::milliseconds(50))
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (m_stop)
                break;
        }
        if (finished)
            finished(failure);
    });
}
