#include "FileSizeLimit.h"
#include "documents/BackgroundFileReader.h"
#include "documents/BackgroundFileWriter.h"
#include "documents/PipelinedFileWriter.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// The helpers that read and write files on threads of their own while the caller works with
// the database: what they hand over, in which order, how they fail and how they stop midway.
class TestFileHelpers : public QObject
{
    Q_OBJECT

private:
    // The read end of a named pipe, opened without waiting for a writer; reads then wait for data.
    class PipeReader
    {
    public:
        explicit PipeReader(const QString& path)
            : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
        {
            if (m_fd >= 0)
                ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
        }
        ~PipeReader() { close(); }
        PipeReader(const PipeReader&) = delete;
        PipeReader& operator=(const PipeReader&) = delete;

        bool isOpen() const { return m_fd >= 0; }
        // Everything until the writer closes its end.
        QByteArray readAll()
        {
            QByteArray all;
            char chunk[65536];
            for (;;) {
                const ssize_t got = ::read(m_fd, chunk, sizeof chunk);
                if (got < 0 && errno == EINTR)
                    continue;
                if (got <= 0)
                    return all;
                all.append(chunk, got);
            }
        }
        void close()
        {
            if (m_fd >= 0)
                ::close(m_fd);
            m_fd = -1;
        }

    private:
        int m_fd;
    };

    // Bytes that tell where they belong: `index` written over and over, so that two files or
    // pieces of one size never hold the same bytes.
    static QByteArray distinct(int index, qsizetype size)
    {
        const QByteArray mark = QByteArray::number(index).rightJustified(6, '0') + ';';
        QByteArray bytes(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i)
            bytes[i] = mark.at(i % mark.size());
        return bytes;
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    // `buffer` filled with `bytes`, as a caller reads a value into a buffer it was given.
    static QByteArray filled(QByteArray buffer, const QByteArray& bytes)
    {
        buffer.resize(bytes.size());
        std::copy(bytes.begin(), bytes.end(), buffer.begin());
        return buffer;
    }

    static bool makePipe(const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }

    // Files a failed or stopped copy left behind under a passing name.
    static QStringList leftovers(const QString& folder)
    {
        return QDir(folder).entryList({QStringLiteral(".orvanta-*")}, QDir::Files | QDir::Hidden | QDir::System);
    }

    static QString thrownMessage(const std::function<void()>& call)
    {
        try {
            call();
        } catch (const StoreError& error) {
            return error.message();
        }
        return QStringLiteral("nothing thrown");
    }

    static bool runAsRoot() { return ::geteuid() == 0; }

private slots:
    void initTestCase()
    {
        // A writer whose pipe reader went away gets an error rather than the end of the program.
        std::signal(SIGPIPE, SIG_IGN);
    }

    // ---- BackgroundFileReader ----

    void readerHandsOverTheFilesInListOrder()
    {
        QTemporaryDir dir;
        QStringList paths;
        QList<QByteArray> files;
        // More files and bytes than it reads ahead, so that it waits for the caller in between.
        for (int i = 0; i < 300; ++i) {
            qsizetype size = (i * 997) % 9000;
            if (i % 10 == 3)
                size = 900 * 1024;
            if (i % 100 == 42)
                size = BackgroundFileReader::ValueLimit + i; // left to the caller to stream
            files.append(distinct(i, size));
            paths.append(dir.filePath(QStringLiteral("file%1.bin").arg(i)));
            writeFile(paths.last(), files.last());
        }
        BackgroundFileReader reader(paths);
        for (int i = 0; i < paths.size(); ++i) {
            BackgroundFileReader::File file = reader.next();
            QCOMPARE(file.error, QString());
            QCOMPARE(file.size, files.at(i).size());
            if (files.at(i).size() > BackgroundFileReader::ValueLimit) {
                QVERIFY(!file.contents);
                continue;
            }
            QVERIFY(file.contents);
            QCOMPARE(*file.contents, files.at(i));
            reader.recycle(std::move(*file.contents));
        }
    }

    void readerReportsWhatItCannotRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // empty: the system's own words
        const QString notRegular = QStringLiteral("it is not a regular file");
        QTest::newRow("removed after listing") << QStringLiteral("removed") << QString();
        QTest::newRow("no permission to read") << QStringLiteral("unreadable") << QString();
        QTest::newRow("a link to itself") << QStringLiteral("looping link") << QString();
        QTest::newRow("a folder") << QStringLiteral("folder") << notRegular;
        QTest::newRow("a named pipe") << QStringLiteral("pipe") << notRegular;
    }

    // One file of the list fails; the ones before and after it are read as usual.
    void readerReportsWhatItCannotRead()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        if (kind == QStringLiteral("unreadable") && runAsRoot())
            QSKIP("the superuser reads every file");
        QTemporaryDir dir;
        const QString before = dir.filePath(QStringLiteral("before.txt"));
        const QString failing = dir.filePath(QStringLiteral("failing"));
        const QString after = dir.filePath(QStringLiteral("after.txt"));
        writeFile(before, "before");
        writeFile(after, "after");
        if (kind == QStringLiteral("removed")) {
            writeFile(failing, "gone");
            QVERIFY(QFile::remove(failing));
        } else if (kind == QStringLiteral("unreadable")) {
            writeFile(failing, "secret");
            QVERIFY(QFile::setPermissions(failing, QFile::WriteOwner));
        } else if (kind == QStringLiteral("looping link")) {
            QVERIFY(QFile::link(failing, failing));
        } else if (kind == QStringLiteral("folder")) {
            QVERIFY(QDir().mkpath(failing));
        } else {
            QVERIFY(makePipe(failing));
        }

        BackgroundFileReader reader({before, failing, after});
        const BackgroundFileReader::File first = reader.next();
        QCOMPARE(first.contents.value_or("<nothing>"), QByteArray("before"));
        const BackgroundFileReader::File bad = reader.next();
        const QString prefix = QStringLiteral("The file %1 cannot be read: ").arg(QDir::toNativeSeparators(failing));
        QVERIFY2(bad.error.startsWith(prefix), qPrintable(bad.error));
        if (reason.isEmpty())
            QVERIFY(bad.error.size() > prefix.size());
        else
            QCOMPARE(bad.error, prefix + reason);
        QVERIFY(!bad.contents);
        const BackgroundFileReader::File last = reader.next();
        QCOMPARE(last.error, QString());
        QCOMPARE(last.contents.value_or("<nothing>"), QByteArray("after"));
    }

    void readerStopsMidway_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("taken");
        QTest::newRow("empty list") << 0 << 0;
        QTest::newRow("none taken") << 200 << 0;
        QTest::newRow("some taken") << 200 << 3;
        QTest::newRow("all but the last") << 200 << 199;
    }

    // Destroyed before the caller took every file, also while the helper waits for room: the
    // helper ends (the test would hang otherwise).
    void readerStopsMidway()
    {
        QFETCH(int, files);
        QFETCH(int, taken);
        QTemporaryDir dir;
        QStringList paths;
        for (int i = 0; i < files; ++i) {
            paths.append(dir.filePath(QStringLiteral("file%1").arg(i)));
            writeFile(paths.last(), distinct(i, 10));
        }
        auto reader = std::make_unique<BackgroundFileReader>(paths);
        for (int i = 0; i < taken; ++i)
            QCOMPARE(reader->next().contents.value_or("<nothing>"), distinct(i, 10));
        reader.reset();
    }

    // ---- BackgroundFileWriter ----

    void writerWritesEveryFile_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("one thread") << 1;
        QTest::newRow("two threads") << 2;
    }

    void writerWritesEveryFile()
    {
        QFETCH(int, threads);
        QTemporaryDir dir;
        QList<QByteArray> files;
        for (int i = 0; i < 300; ++i)
            files.append(distinct(i, i % 10 == 5 ? 700 * 1024 : (i * 331) % 5000));
        {
            BackgroundFileWriter writer(threads, false);
            for (int i = 0; i < files.size(); ++i) {
                QByteArray buffer = writer.takeBuffer();
                QVERIFY(buffer.isEmpty());
                writer.add(dir.filePath(QStringLiteral("file%1.bin").arg(i)), filled(std::move(buffer), files.at(i)));
            }
            writer.finish();
            // The buffers written are kept for the next ones.
            QVERIFY(writer.takeBuffer().capacity() > 0);
        }
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(readFile(dir.filePath(QStringLiteral("file%1.bin").arg(i))), files.at(i));
        QCOMPARE(leftovers(dir.path()), QStringList());
    }

    void writerReportsTheFirstFailure_data()
    {
        QTest::addColumn<bool>("folderInTheWay");
        QTest::newRow("a folder in the way") << true;
        QTest::newRow("a full disk") << false;
    }

    // The first file that cannot be written stops the rest and is thrown by the caller's next
    // call, then by every call after it; a second failing file is never reported instead.
    void writerReportsTheFirstFailure()
    {
        QFETCH(bool, folderInTheWay);
        QTemporaryDir dir;
        const QString firstBad = dir.filePath(QStringLiteral("first"));
        const QString secondBad = dir.filePath(QStringLiteral("second"));
        std::optional<FileSizeLimit> limit;
        if (folderInTheWay) {
            QVERIFY(QDir().mkpath(firstBad));
            QVERIFY(QDir().mkpath(secondBad));
        } else {
            limit.emplace(64 * 1024);
        }
        const QByteArray large(100 * 1024, 'L');
        BackgroundFileWriter writer(1, false);
        const QString message = thrownMessage([&] {
            writer.add(dir.filePath(QStringLiteral("good.txt")), "good");
            writer.add(firstBad, large);
            writer.add(secondBad, large);
            for (int i = 0; i < 1000; ++i)
                writer.add(dir.filePath(QStringLiteral("after%1.txt").arg(i)), "after");
            writer.finish();
        });
        limit.reset();
        QVERIFY2(message.startsWith(
                     QStringLiteral("The file %1 cannot be written: ").arg(QDir::toNativeSeparators(firstBad))),
                 qPrintable(message));
        QCOMPARE(thrownMessage([&] { writer.add(dir.filePath(QStringLiteral("later.txt")), "later"); }), message);
        QCOMPARE(thrownMessage([&] { writer.finish(); }), message);
        QCOMPARE(readFile(dir.filePath(QStringLiteral("good.txt"))), QByteArray("good"));
        QCOMPARE(QFileInfo(firstBad).isDir(), folderInTheWay);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("later.txt"))));
        QCOMPARE(leftovers(dir.path()), QStringList());
    }

    void writerStopsMidway_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("one thread") << 1;
        QTest::newRow("two threads") << 2;
    }

    // Destroyed with files queued and being written: it ends, and each file is there whole or
    // not at all.
    void writerStopsMidway()
    {
        QFETCH(int, threads);
        QTemporaryDir dir;
        constexpr int Files = 60;
        {
            BackgroundFileWriter writer(threads, false);
            for (int i = 0; i < Files; ++i)
                writer.add(dir.filePath(QStringLiteral("file%1.bin").arg(i)), distinct(i, 200 * 1024));
        }
        for (int i = 0; i < Files; ++i) {
            const QString path = dir.filePath(QStringLiteral("file%1.bin").arg(i));
            if (QFile::exists(path))
                QCOMPARE(readFile(path), distinct(i, 200 * 1024));
        }
        QCOMPARE(leftovers(dir.path()), QStringList());
    }

    // ---- PipelinedFileWriter ----

    void pipelineKeepsThePiecesInOrder_data()
    {
        QTest::addColumn<bool>("throughPipe");
        QTest::newRow("into a file") << false;
        // The helper is held writing the first piece until the test reads, so that the next
        // pieces pile up behind it.
        QTest::newRow("into a pipe read late") << true;
    }

    void pipelineKeepsThePiecesInOrder()
    {
        QFETCH(bool, throughPipe);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out"));
        QList<QByteArray> pieces;
        QByteArray whole;
        for (int i = 0; i < (throughPipe ? 12 : 200); ++i) {
            // Larger than a pipe holds, so that a piece written into it waits for the reader.
            pieces.append(distinct(i, throughPipe ? 256 * 1024 : 1 + (i * 7919) % 40000));
            whole.append(pieces.last());
        }
        std::atomic<int> added = 0;
        QString failure;
        const auto writeAll = [&] {
            failure = thrownMessage([&] {
                PipelinedFileWriter out(path, false);
                for (const QByteArray& piece : pieces) {
                    out.add(filled(out.takeBuffer(), piece));
                    ++added;
                }
                out.finish();
            });
        };
        if (!throughPipe) {
            writeAll();
            QCOMPARE(failure, QStringLiteral("nothing thrown"));
            QCOMPARE(readFile(path), whole);
            return;
        }
        QVERIFY(makePipe(path));
        std::jthread caller;
        PipeReader pipe(path); // closed before the caller is joined, should a check fail
        QVERIFY(pipe.isOpen());
        caller = std::jthread(writeAll);
        QTRY_VERIFY(added >= 2); // one piece being written, at least one waiting
        QCOMPARE(pipe.readAll(), whole);
        caller.join();
        QCOMPARE(failure, QStringLiteral("nothing thrown"));
    }

    void pipelineReportsAFailure_data()
    {
        QTest::addColumn<bool>("folderInTheWay");
        QTest::newRow("a folder in the way") << true;
        QTest::newRow("a full disk") << false;
    }

    void pipelineReportsAFailure()
    {
        QFETCH(bool, folderInTheWay);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.bin"));
        std::optional<FileSizeLimit> limit;
        if (folderInTheWay)
            QVERIFY(QDir().mkpath(path));
        else
            limit.emplace(3 * PipelinedFileWriter::PieceSize + 100);
        int added = 0;
        const QString message = thrownMessage([&] {
            PipelinedFileWriter out(path, false);
            for (int i = 0; i < 10; ++i) {
                out.add(filled(out.takeBuffer(), distinct(i, PipelinedFileWriter::PieceSize)));
                ++added;
            }
            out.finish();
        });
        limit.reset();
        QVERIFY2(
            message.startsWith(QStringLiteral("The file %1 cannot be written: ").arg(QDir::toNativeSeparators(path))),
            qPrintable(message));
        QCOMPARE(QFileInfo(path).isDir(), folderInTheWay);
        // The caller learns of the failure before it has handed over every piece.
        QVERIFY(added < 10);
        QCOMPARE(added == 0, folderInTheWay);
        QCOMPARE(leftovers(dir.path()), QStringList());
    }

    void pipelineStopsMidway_data()
    {
        QTest::addColumn<bool>("throughPipe");
        QTest::newRow("into a file") << false;
        QTest::newRow("while writing into a pipe") << true;
    }

    // Destroyed before finish(): the helper ends, a file is not put in place, and what reached a
    // pipe is the start of the pieces, in order.
    void pipelineStopsMidway()
    {
        QFETCH(bool, throughPipe);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out"));
        QByteArray whole;
        if (throughPipe)
            QVERIFY(makePipe(path));
        PipeReader pipe(throughPipe ? path : QString());
        QByteArray drained;
        std::jthread drain;
        {
            PipelinedFileWriter out(path, false);
            for (int i = 0; i < 2; ++i) {
                whole.append(distinct(i, 256 * 1024));
                out.add(filled(out.takeBuffer(), distinct(i, 256 * 1024)));
            }
            if (throughPipe)
                drain = std::jthread([&] { drained = pipe.readAll(); });
        }
        if (throughPipe) {
            drain.join();
            QVERIFY(whole.startsWith(drained));
        } else {
            QVERIFY(!QFile::exists(path));
        }
        QCOMPARE(leftovers(dir.path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestFileHelpers)
#include "tst_filehelpers.moc"
