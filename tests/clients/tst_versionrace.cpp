#include "TestDatabaseFolder.h"
#include "clients/ClientDocuments.h"
#include "documents/ClsBinaryFunctions.h"
#include "documents/ResourceLibrary.h"
#include "store/Database.h"
#include "store/Recordset.h"
#include "store/Statement.h"
#include "store/StoreError.h"

#include <QFile>
#include <QTest>
#include <algorithm>
#include <functional>
#include <mutex>
#include <sqlite3.h>
#include <thread>

// Two copies of the program uploading a file of the same name at the same moment: the second
// copy's upload is run in the middle of the first one's, right after the first has looked up
// the version it is going to use. On PostgreSQL, which has no such hook, two threads with
// connections of their own upload the name again and again at the same time.
namespace {

// Every connection opened while the test runs reports each statement it starts; the first
// statement started after the version lookup runs the other copy's upload, once.
struct Interleaving
{
    bool armed = false;
    bool lookupDone = false;
    QString lookup;                // a part of the version lookup's text
    std::function<void()> between; // the other copy's upload
} interleaving;

int onStatement(unsigned type, void*, void* statement, void*)
{
    if (type != SQLITE_TRACE_STMT || !interleaving.armed)
        return 0;
    const QString sql = QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(statement)));
    if (!interleaving.lookupDone) {
        interleaving.lookupDone = sql.contains(interleaving.lookup, Qt::CaseInsensitive);
        return 0;
    }
    interleaving.armed = false;
    interleaving.between();
    return 0;
}

int traceConnection(sqlite3* db, char**, const sqlite3_api_routines*)
{
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, onStatement, nullptr);
    return SQLITE_OK;
}

// One way of uploading a file; true when it stored the file.
using Upload = std::function<bool(const QString& path)>;

} // namespace

class TestVersionRace : public QObject
{
    Q_OBJECT

private:
    // Two uploaders at once, many times each: every version is given once.
    static void uploadAtOnce(const Upload& upload, const QString& versions, const QString& path)
    {
        constexpr int Rounds = 25;
        std::mutex mutex;
        QStringList failures;
        int stored = 1;
        const auto uploader = [&] {
            for (int round = 0; round < Rounds; ++round) {
                try {
                    const bool done = upload(path);
                    const std::lock_guard lock(mutex);
                    stored += done ? 1 : 0;
                } catch (const StoreError& error) {
                    const std::lock_guard lock(mutex);
                    failures.append(error.message());
                }
            }
        };
        std::thread first(uploader);
        std::thread second(uploader);
        first.join();
        second.join();
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
        QCOMPARE(stored, 1 + 2 * Rounds);
        QList<int> expected;
        for (int version = 1; version <= stored; ++version)
            expected.append(version);
        QCOMPARE(storedVersions(versions), expected);
    }

    static QList<int> storedVersions(const QString& versions)
    {
        CLsDataBaseConnection connection;
        Statement rows = connection.database().prepare(versions);
        rows.bind(1, QStringLiteral("plan.doc"));
        QList<int> stored;
        while (rows.step())
            stored.append(rows.value(0).toInt());
        std::sort(stored.begin(), stored.end());
        return stored;
    }

private slots:
    void cleanup()
    {
        interleaving = {};
        sqlite3_reset_auto_extension();
        Database::setBusyTimeout(-1);
    }

    void uploadsOfOneNameNeverShareAVersion_data()
    {
        QTest::addColumn<Upload>("upload");
        QTest::addColumn<QString>("lookup");
        QTest::addColumn<QString>("versions"); // the query of the stored versions of the name

        QTest::newRow("library") << Upload([](const QString& path) {
            CLsDataBaseConnection connection;
            const ResourceLibrary library(connection.sharedDatabase());
            library.upload(1, path);
            return true;
        }) << QStringLiteral("max(DocuemntVersion)")
                                 << QStringLiteral("SELECT DocuemntVersion FROM Resources WHERE DocumentName = ?");
        QTest::newRow("UpLoadBinary") << Upload([](const QString& path) {
            CLsDataBaseConnection connection;
            Recordset rs = connection.CreateRecordset(QStringLiteral("SELECT * FROM Attachments WHERE 1 = 0"));
            return ClsBinaryFunctions().UpLoadBinary(QStringLiteral("plan.doc"), path, rs, true, QStringLiteral("1"),
                                                     QString());
        }) << QStringLiteral("select count(*) from Attachments")
                                      << QStringLiteral(
                                             "SELECT AttachmentVersion FROM Attachments WHERE AttachmentsName = ?");
        QTest::newRow("attachment upload")
            << Upload([](const QString& path) {
                   ClientDocuments(1).upload(path);
                   return true;
               })
            << QStringLiteral("select max(AttachmentVersion)")
            << QStringLiteral("SELECT AttachmentVersion FROM Attachments WHERE AttachmentsName = ?");
        QTest::newRow("attachment drop") << Upload([](const QString& path) {
            return ClientDocuments(1).storeDropped({path}).stored == 1;
        }) << QStringLiteral("select count(*) from Attachments")
                                         << QStringLiteral(
                                                "SELECT AttachmentVersion FROM Attachments WHERE AttachmentsName = ?");
    }

    void uploadsOfOneNameNeverShareAVersion()
    {
        QFETCH(Upload, upload);
        QFETCH(QString, lookup);
        QFETCH(QString, versions);
        TestDatabaseFolder app;
        const QString path = app.file(QStringLiteral("plan.doc"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("plan");
        }
        QVERIFY(upload(path)); // version 1
        if (PgTestDatabase::wanted()) {
            uploadAtOnce(upload, versions, path);
            return;
        }

        // The other copy finds the database locked by the first one's upload and gives up
        // quickly; it tries again once the first is done, as a person would.
        Database::setBusyTimeout(50);
        bool otherStored = false;
        QString otherFailure;
        interleaving.lookup = lookup;
        interleaving.between = [&] {
            try {
                otherStored = upload(path);
            } catch (const StoreError& error) { // the engine's frames are not left by an exception
                if (!error.isBusy())
                    otherFailure = error.message();
            }
        };
        interleaving.armed = true;
        QCOMPARE(sqlite3_auto_extension(reinterpret_cast<void (*)()>(traceConnection)), SQLITE_OK);
        QVERIFY(upload(path));
        QVERIFY2(!interleaving.armed, "the other upload never ran");
        QVERIFY2(otherFailure.isEmpty(), qPrintable(otherFailure));
        if (!otherStored)
            QVERIFY(upload(path));

        QCOMPARE(storedVersions(versions), QList<int>({1, 2, 3}));
    }
};

QTEST_MAIN(TestVersionRace)
#include "tst_versionrace.moc"
