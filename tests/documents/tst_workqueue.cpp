#include "documents/WorkQueue.h"
#include "store/StoreError.h"

#include <QTest>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

// The bounded queue between the file helpers and their threads.
class TestWorkQueue : public QObject
{
    Q_OBJECT

private:
    // A door a worker waits at until the test opens it.
    class Gate
    {
    public:
        void open()
        {
            {
                const std::lock_guard lock(m_mutex);
                m_open = true;
            }
            m_changed.notify_all();
        }
        void pass()
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_open; });
        }

    private:
        std::mutex m_mutex;
        std::condition_variable m_changed;
        bool m_open = false;
    };

    // The message of the StoreError `call` throws.
    static QString thrownMessage(const std::function<void()>& call)
    {
        try {
            call();
        } catch (const StoreError& error) {
            return error.message();
        }
        return QStringLiteral("nothing thrown");
    }

    static std::stop_token stopped()
    {
        static std::stop_source source;
        source.request_stop();
        return source.get_token();
    }

private slots:
    void producerWaitsWhileTheQueueIsFull_data()
    {
        QTest::addColumn<size_t>("maxItems");
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<qint64>("itemBytes");
        QTest::addColumn<int>("room"); // items that fit
        QTest::newRow("full in items") << size_t(3) << qint64(1000) << qint64(1) << 3;
        QTest::newRow("full in bytes") << size_t(100) << qint64(10) << qint64(4) << 3;
    }

    void producerWaitsWhileTheQueueIsFull()
    {
        QFETCH(size_t, maxItems);
        QFETCH(qint64, maxBytes);
        QFETCH(qint64, itemBytes);
        QFETCH(int, room);
        WorkQueue<int> queue(maxItems, maxBytes);
        // A push that finds room does not wait, so a stop does not keep it out...
        for (int i = 0; i < room; ++i)
            QVERIFY(queue.push(i, itemBytes, stopped()));
        // ...while one that would have to wait gives up at a stop and adds nothing.
        QVERIFY(!queue.push(-1, itemBytes, stopped()));

        // A producer waiting for room goes on once an item is taken.
        std::atomic<bool> pushed = false;
        std::jthread producer([&] { pushed = queue.push(room, itemBytes); });
        QCOMPARE(queue.pop().value(), 0);
        QTRY_VERIFY(pushed);
        for (int i = 1; i <= room; ++i)
            QCOMPARE(queue.pop().value(), i);
        QVERIFY(!queue.pop(stopped()));
    }

    void itemsComeOutInTheirOrder_data()
    {
        QTest::addColumn<bool>("served");
        QTest::newRow("taken one by one") << false;
        QTest::newRow("served by a worker") << true;
    }

    void itemsComeOutInTheirOrder()
    {
        QFETCH(bool, served);
        constexpr int Count = 5000;
        WorkQueue<int> queue(4);
        std::vector<int> taken;
        {
            std::jthread producer([&] {
                for (int i = 0; i < Count; ++i)
                    queue.push(i);
            });
            if (served) {
                std::jthread worker(
                    [&](const std::stop_token& stop) { queue.serve(stop, [&](int item) { taken.push_back(item); }); });
                producer.join();
                queue.waitUntilDone();
            } else {
                for (int i = 0; i < Count; ++i)
                    taken.push_back(*queue.pop());
            }
        }
        std::vector<int> expected(Count);
        for (int i = 0; i < Count; ++i)
            expected[i] = i;
        QCOMPARE(taken, expected);
    }

    // The owner of the threads stops them while a worker is busy, items wait in the queue and a
    // producer waits for room: every thread ends, and no item queued is served after the stop.
    void stopMidwayEndsEveryWait()
    {
        WorkQueue<int> queue(2);
        Gate gate;
        std::atomic<int> working = -1;
        std::vector<int> served;
        std::atomic<int> lastPush = -1; // 1: added, 0: given up
        {
            std::jthread worker([&](const std::stop_token& stop) {
                queue.serve(stop, [&](int item) {
                    working = item;
                    gate.pass();
                    served.push_back(item);
                });
            });
            queue.push(0);
            QTRY_COMPARE(working.load(), 0);
            queue.push(1);
            queue.push(2);
            std::jthread producer([&](const std::stop_token& stop) { lastPush = queue.push(3, 0, stop); });
            producer.request_stop();
            worker.request_stop();
            gate.open();
        }
        QCOMPARE(served, std::vector<int>{0});
        QCOMPARE(lastPush.load(), 0);
    }

    void stopEndsAWaitForItems()
    {
        WorkQueue<int> queue(2);
        std::atomic<bool> popped = false;
        std::atomic<bool> served = false;
        {
            std::jthread taker([&](const std::stop_token& stop) { popped = queue.pop(stop).has_value(); });
            std::jthread worker([&](const std::stop_token& stop) { queue.serve(stop, [&](int) { served = true; }); });
        }
        QVERIFY(!popped);
        QVERIFY(!served);
    }

    // The first failure of a served item drops what is queued and is thrown to the producer by
    // every later call; a failure after it does not replace it.
    void firstFailureReachesTheProducer()
    {
        WorkQueue<int> queue(10);
        for (int i = 0; i < 6; ++i)
            queue.push(i);
        Gate secondTaken;
        Gate secondMayFail;
        std::vector<int> served;
        std::mutex servedMutex;
        // Item 0 fails while item 1 is held by the other worker; item 1 fails after it.
        const auto work = [&](int item) {
            if (item == 0) {
                secondTaken.pass();
                throw StoreError(QStringLiteral("item 0 failed"));
            }
            if (item == 1) {
                secondTaken.open();
                secondMayFail.pass();
                throw StoreError(QStringLiteral("item 1 failed"));
            }
            const std::lock_guard lock(servedMutex);
            served.push_back(item);
        };
        std::jthread first([&](const std::stop_token& stop) { queue.serve(stop, work); });
        std::jthread second([&](const std::stop_token& stop) { queue.serve(stop, work); });
        QCOMPARE(thrownMessage([&] { queue.waitUntilDone(); }), QStringLiteral("item 0 failed"));
        secondMayFail.open();
        first.request_stop();
        second.request_stop();
        first.join();
        second.join();
        QCOMPARE(thrownMessage([&] { queue.push(7); }), QStringLiteral("item 0 failed"));
        QCOMPARE(thrownMessage([&] { queue.rethrowFailure(); }), QStringLiteral("item 0 failed"));
        QCOMPARE(thrownMessage([&] { queue.waitUntilDone(); }), QStringLiteral("item 0 failed"));
        QVERIFY(served.empty()); // items 2 to 5 were dropped
    }

    void recycledBuffersKeepTheirMemory()
    {
        WorkQueue<int> queue(1);
        QVERIFY(queue.spareBuffer().isNull());
        QByteArray buffer(100000, 'x');
        const char* memory = buffer.constData();
        queue.recycle(std::move(buffer));
        QByteArray again = queue.spareBuffer();
        QVERIFY(again.isEmpty());
        again.resize(100000);
        QCOMPARE(again.constData(), memory);
        QVERIFY(queue.spareBuffer().isNull());
    }
};

QTEST_GUILESS_MAIN(TestWorkQueue)
#include "tst_workqueue.moc"
