#pragma once

#include <QByteArray>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <stop_token>
#include <utility>
#include <vector>

// Hands items from the threads that make them to the threads that use them, in the order they
// were added, holding only a few at a time: a producer waits while the queue is full (in items
// or in the bytes they hold), a consumer while it is empty. A wait given a stop token (the one
// of the waiting thread's std::jthread) ends when a stop is requested, so that the owner of a
// helper thread can always stop it midway, whatever the helper is waiting for.
//
// Consumers take items one by one (pop) or serve them on worker threads (serve). The first
// failure of a served item drops what is still queued and is thrown to the producer by its
// next push() or waitUntilDone().
//
// The queue also keeps the buffers its users are done with, so that their memory is used again
// rather than taken anew from the system, where fresh pages are slow to touch.
template <typename Item>
class WorkQueue
{
public:
    explicit WorkQueue(std::size_t maxItems, qint64 maxBytes = std::numeric_limits<qint64>::max())
        : m_maxItems(maxItems), m_maxBytes(maxBytes)
    {
    }

    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    // Adds `item`, which holds `bytes` of memory, once there is room. Returns false, dropping
    // the item, when a stop of `stop` is requested before there is room. Throws the failure of
    // a served item.
    bool push(Item item, qint64 bytes = 0, const std::stop_token& stop = {})
    {
        const std::stop_callback<Wake> wake(stop, Wake{this});
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_failure || !full() || stop.stop_requested(); });
            if (m_failure)
                std::rethrow_exception(m_failure);
            if (full())
                return false; // stopped
            m_bytes += bytes;
            m_queue.push_back({std::move(item), bytes});
        }
        m_changed.notify_all();
        return true;
    }

    // Takes the next item, waiting for one; nothing when a stop of `stop` is requested before
    // there is one.
    std::optional<Item> pop(const std::stop_token& stop = {})
    {
        const std::stop_callback<Wake> wake(stop, Wake{this});
        std::optional<Item> item;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return !m_queue.empty() || stop.stop_requested(); });
            if (m_queue.empty())
                return std::nullopt; // stopped
            item = std::move(m_queue.front().item);
            m_bytes -= m_queue.front().bytes;
            m_queue.pop_front();
        }
        m_changed.notify_all();
        return item;
    }

    // Run by a worker thread: hands the items one by one to `work` (called with an Item&) until a
    // stop of `stop` is requested; what is still queued then is dropped. An item's bytes count
    // until its work is over. A failure `work` throws is kept, and drops what is queued.
    template <typename Work>
    void serve(const std::stop_token& stop, Work work)
    {
        const std::stop_callback<Wake> wake(stop, Wake{this});
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [&] { return !m_queue.empty() || stop.stop_requested(); });
            if (stop.stop_requested())
                return;
            Entry entry = std::move(m_queue.front());
            m_queue.pop_front();
            ++m_serving;
            lock.unlock();
            m_changed.notify_all();
            std::exception_ptr failure;
            try {
                work(entry.item);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            --m_serving;
            m_bytes -= entry.bytes;
            if (failure && !m_failure) {
                m_failure = failure;
                for (const Entry& dropped : m_queue)
                    m_bytes -= dropped.bytes;
                m_queue.clear();
            }
            m_changed.notify_all();
        }
    }

    // Waits until every item added has been served. Throws the failure of a served item.
    void waitUntilDone()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_failure || (m_queue.empty() && m_serving == 0); });
        if (m_failure)
            std::rethrow_exception(m_failure);
    }

    // Throws the failure of a served item, when there was one.
    void rethrowFailure() const
    {
        const std::lock_guard lock(m_mutex);
        if (m_failure)
            std::rethrow_exception(m_failure);
    }

    // Keeps `buffer`'s memory for spareBuffer().
    void recycle(QByteArray buffer)
    {
        buffer.resize(0); // keeps its memory
        const std::lock_guard lock(m_mutex);
        m_spare.push_back(std::move(buffer));
    }

    // An empty buffer: one given to recycle(), when there is one.
    QByteArray spareBuffer()
    {
        const std::lock_guard lock(m_mutex);
        if (m_spare.empty())
            return {};
        QByteArray buffer = std::move(m_spare.back());
        m_spare.pop_back();
        return buffer;
    }

private:
    // Wakes the waits of the queue when a stop is requested. Registered before a wait takes the
    // lock (a stop requested already runs it at once, in the waiting thread) and removed after
    // the wait gave the lock up (the thread requesting the stop may be running it, waiting for
    // the lock). Notifying under the lock makes sure that a waiter either sees the stop before it
    // sleeps or is woken.
    struct Wake
    {
        WorkQueue* queue;
        void operator()() const
        {
            const std::lock_guard lock(queue->m_mutex);
            queue->m_changed.notify_all();
        }
    };

    struct Entry
    {
        Item item;
        qint64 bytes;
    };

    bool full() const { return m_queue.size() >= m_maxItems || m_bytes >= m_maxBytes; }

    const std::size_t m_maxItems;
    const qint64 m_maxBytes;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Entry> m_queue;
    std::vector<QByteArray> m_spare;
    qint64 m_bytes = 0; // held by the items queued, and by those being served
    int m_serving = 0;
    std::exception_ptr m_failure;
};
