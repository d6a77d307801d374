#include "FirstSchema.h"

#include "store/BlobStream.h"
#include "store/Database.h"
#include "store/DatabaseCopy.h"
#include "store/DatabaseSchema.h"
#include "store/Identifier.h"
#include "store/SchemaCatalog.h"
#include "store/SchemaUpgrade.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include "PgTestDatabase.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>

namespace {

const QString Tab = QStringLiteral("Pets & 'Vets'");
const QString TabKey = QStringLiteral("Pets&'Vets'Id");
constexpr qint64 LargeSize = 5 * (qint64(1) << 20) + 12345;

QByteArray pattern(qint64 size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + seed + i / 251) % 256);
    return bytes;
}

// Inserts a row with its long-binary value (Null when `value` is null) written in pieces,
// as the program stores documents.
void insertWithValue(const Database& db, const QString& sql, const QVariantList& params, int valueParameter,
                     const QString& table, const QString& column, qint64 key, const QByteArray& value)
{
    Statement insert = db.prepare(sql);
    for (int i = 0; i < params.size(); ++i)
        insert.bind(i + 1, params.at(i));
    if (value.isNull())
        insert.bind(valueParameter, QVariant());
    else
        insert.bindZeroBlob(valueParameter, value.size());
    insert.step();
    if (value.isEmpty())
        return;
    BlobStream out(db, table, column, key, true);
    for (qint64 done = 0; done < value.size(); done += BlobStream::PieceSize) {
        const int length = static_cast<int>(std::min<qint64>(BlobStream::PieceSize, value.size() - done));
        out.write(value.constData() + done, length, done);
    }
}

// A database with clients, documents (a large one, an empty one, a Null one), a designed tab
// with its own table and a column the designer added to the client table; keys far apart,
// and installed rows removed, so that a copy that added or renumbered rows would show.
void makeSource(const QString& path)
{
    DatabaseSchema::ensure(path);
    const Database db(path);
    const SchemaCatalog catalog(db);
    SchemaCatalog::ColumnInfo nickname;
    nickname.name = QStringLiteral("Nick Name");
    nickname.type = QStringLiteral("TEXT");
    catalog.addColumn(QStringLiteral("Personal Information"), nickname);

    db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (PersonalInformationId, \"First Name\", "
                              "\"Last Name\", \"Nick Name\", Active) VALUES (?, ?, ?, ?, ?)"),
               {40, QStringLiteral("Ana"), QStringLiteral("Müller"), QStringLiteral(""), 1});
    db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (PersonalInformationId, \"First Name\", "
                              "\"Last Name\", \"Nick Name\", Active) VALUES (?, ?, ?, ?, ?)"),
               {7000, QStringLiteral("Bo"), QVariant(), QStringLiteral("B"), 0});
    db.execute(QStringLiteral("DELETE FROM NodeInformation WHERE NodeName = 'Q'"));
    db.execute(QStringLiteral("DELETE FROM EventInfo WHERE EventName = 'Phone Call'"));

    const QString attachment = QStringLiteral(
        "INSERT INTO Attachments (AttachmentsId, PersonalInformationId, AttachmentsName, AttachmentVersion, "
        "AttachmentsDate, AttachmentExtension, Attachments) VALUES (?, ?, ?, ?, ?, ?, ?)");
    const QString table = QStringLiteral("Attachments");
    insertWithValue(db, attachment,
                    {12, 40, QStringLiteral("Report"), 1, QStringLiteral("2021-03-04"), QStringLiteral(".pdf")}, 7,
                    table, table, 12, pattern(LargeSize, 1));
    insertWithValue(db, attachment,
                    {13, 40, QStringLiteral("Report"), 2, QStringLiteral("2021-03-05"), QStringLiteral(".pdf")}, 7,
                    table, table, 13, pattern(3000, 2));
    insertWithValue(db, attachment, {900, 7000, QStringLiteral("Nothing"), 1, QVariant(), QVariant()}, 7, table, table,
                    900, QByteArray());
    insertWithValue(db, attachment, {901, 7000, QStringLiteral("Empty"), 4, QVariant(), QStringLiteral(".txt")}, 7,
                    table, table, 901, QByteArray(""));
    insertWithValue(db,
                    QStringLiteral("INSERT INTO Resources (DocumentId, ObjectIndex, DocumentName, DocuemntVersion, "
                                   "Document) VALUES (?, ?, ?, ?, ?)"),
                    {55, 3, QStringLiteral("Letterhead"), 3}, 5, QStringLiteral("Resources"),
                    QStringLiteral("Document"), 55, pattern(70000, 3));
    db.execute(QStringLiteral("INSERT INTO ReferenceInfo (DocumentId, PersonalInformationId) VALUES (55, 40)"));

    // A tab as the designer makes it: its definition rows and its table.
    db.execute(QStringLiteral("INSERT INTO TabInfo (TabId, TabNam, TabDescription, PersonalInformationId) "
                              "VALUES (30, ?, 'Animals', NULL)"),
               {Tab});
    db.execute(QStringLiteral("INSERT INTO FieldInfo (TabId, FieldName, FieldDisplayOrder) VALUES (30, 'Species', 1)"));
    SchemaCatalog::ColumnInfo key;
    key.name = TabKey;
    key.type = QStringLiteral("INTEGER");
    key.autoIncrement = true;
    SchemaCatalog::ColumnInfo client;
    client.name = QStringLiteral("PersonalInformationId");
    client.type = QStringLiteral("INTEGER");
    SchemaCatalog::ColumnInfo date;
    date.name = QStringLiteral("PetsDate");
    date.type = QStringLiteral("DATE");
    date.defaultExpression = QStringLiteral("(date('now', 'localtime'))");
    SchemaCatalog::ColumnInfo species;
    species.name = QStringLiteral("Species");
    species.type = QStringLiteral("TEXT");
    catalog.createTable(Tab, {key, client, date, species});
    catalog.ensureClientIndex(Tab);
    const QString pet =
        QStringLiteral("INSERT INTO %1 (%2, PersonalInformationId, PetsDate, Species) VALUES (?, ?, ?, ?)")
            .arg(quoteIdentifier(Tab), quoteIdentifier(TabKey));
    db.execute(pet, {5, 40, QStringLiteral("2020-01-01"), QStringLiteral("Cat")});
    db.execute(pet, {777, 7000, QVariant(), QStringLiteral("")});
    // More rows than go into one statement of the copy, and some left over.
    Transaction many(db);
    for (int key = 100; key < 700; ++key)
        db.execute(pet, {key, 40, key % 3 == 0 ? QVariant() : QVariant(QStringLiteral("2020-02-03")),
                         QStringLiteral("Fish %1").arg(key)});
    many.commit();
}

// Every row of `table` as text, sorted: long-binary values by their digest, every value with its type.
QStringList rowsOf(const Database& db, const QString& table)
{
    Statement statement = db.prepare(QStringLiteral("SELECT * FROM %1").arg(quoteIdentifier(table)));
    QStringList rows;
    while (statement.step()) {
        QStringList values;
        for (int i = 0; i < statement.columnCount(); ++i) {
            const QVariant value = statement.value(i);
            const QString text =
                value.typeId() == QMetaType::QByteArray
                    ? QString::fromLatin1(
                          QCryptographicHash::hash(value.toByteArray(), QCryptographicHash::Sha256).toHex())
                    : value.toString();
            values.append(statement.columnName(i) + QLatin1Char('=') + QString::fromLatin1(value.typeName()) +
                          QLatin1Char(':') + text);
        }
        rows.append(values.join(QLatin1Char('|')));
    }
    rows.sort();
    return rows;
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

// Records what a copy tells, and can fail it at a chosen moment.
class RecordedProgress : public DatabaseCopy::Progress
{
public:
    void tableStarted(const DatabaseCopy::TableProgress& table) override
    {
        started.append(table.table);
        if (table.table == failAtTable)
            throw StoreError(QStringLiteral("Stopped at %1").arg(table.table));
    }
    void documentsCopied(const DatabaseCopy::TableProgress& table) override
    {
        copied.push_back(table);
        if (failAfterBytes > 0 && table.bytesDone >= failAfterBytes)
            throw StoreError(QStringLiteral("Stopped within the documents"));
    }
    void verifying() override { ++verifications; }

    QString failAtTable;
    qint64 failAfterBytes = 0;
    QStringList started;
    std::vector<DatabaseCopy::TableProgress> copied;
    int verifications = 0;
};

} // namespace

class TestDatabaseCopy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_original = m_originalDir.filePath(QStringLiteral("Source.mdb"));
        makeSource(m_original);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_source = m_dir->filePath(QStringLiteral("Source.mdb"));
        m_target = m_dir->filePath(QStringLiteral("Copy.mdb"));
        QVERIFY(QFile::copy(m_original, m_source));
        m_sourceHash = fileHash(m_source);
    }

    void copiesEveryTableAndRow_data()
    {
        QTest::addColumn<bool>("targetExists");
        QTest::newRow("new file") << false;
        QTest::newRow("empty file") << true;
    }

    void copiesEveryTableAndRow()
    {
        QFETCH(bool, targetExists);
        if (targetExists) {
            QFile empty(m_target);
            QVERIFY(empty.open(QIODevice::WriteOnly));
        }
        const DatabaseCopy::Summary summary = DatabaseCopy(m_source, m_target).run();

        const Database source(m_source);
        const Database copy(m_target);
        const QStringList tables = SchemaCatalog(source).tables();
        QCOMPARE(SchemaCatalog(copy).tables(), tables);
        qint64 rows = 0;
        for (const QString& table : tables) {
            QCOMPARE(rowsOf(copy, table), rowsOf(source, table));
            QCOMPARE(SchemaCatalog(copy).columnNames(table), SchemaCatalog(source).columnNames(table));
            rows += rowsOf(source, table).size();
        }
        QCOMPARE(SchemaUpgrade::version(copy), SchemaUpgrade::currentVersion());
        QCOMPARE(summary.tables, int(tables.size()));
        QCOMPARE(summary.rows, rows);
        QCOMPARE(summary.documents, qint64(4)); // the Null value is no document; the empty one is
        QCOMPARE(summary.bytes, LargeSize + 3000 + 70000);
        // Null stays Null and empty stays empty.
        QCOMPARE(copy.scalar(QStringLiteral("SELECT typeof(Attachments) FROM Attachments WHERE AttachmentsId = 900")),
                 QVariant(QStringLiteral("null")));
        QCOMPARE(copy.scalar(QStringLiteral("SELECT length(Attachments) FROM Attachments WHERE AttachmentsId = 901")),
                 QVariant(qint64(0)));
        // The designed tab's table is made as the designer makes it, index included.
        QVERIFY(SchemaCatalog(copy).indexColumns(Tab).contains(QStringList{QStringLiteral("PersonalInformationId")}));
        QCOMPARE(SchemaCatalog(copy).integerKey(Tab), TabKey);
        // The source is only read.
        QCOMPARE(fileHash(m_source), m_sourceHash);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral("Copy.mdb"), QStringLiteral("Source.mdb")}));
    }

    // Rows inserted into the copy without a key get keys past the copied ones.
    void nextKeysFollowTheCopiedOnes_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<qint64>("largestCopied");
        QTest::newRow("clients") << QStringLiteral("Personal Information") << QStringLiteral("\"First Name\"")
                                 << qint64(7000);
        QTest::newRow("documents") << QStringLiteral("Attachments") << QStringLiteral("AttachmentsName") << qint64(901);
        QTest::newRow("library") << QStringLiteral("Resources") << QStringLiteral("DocumentName") << qint64(55);
        QTest::newRow("designed tab") << Tab << QStringLiteral("Species") << qint64(777);
        QTest::newRow("tabs") << QStringLiteral("TabInfo") << QStringLiteral("TabNam") << qint64(30);
    }

    void nextKeysFollowTheCopiedOnes()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(qint64, largestCopied);
        DatabaseCopy(m_source, m_target).run();
        const Database copy(m_target);
        copy.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES ('new')").arg(quoteIdentifier(table), column));
        QVERIFY2(copy.lastInsertRowId() > largestCopied, qPrintable(QString::number(copy.lastInsertRowId())));
    }

    void reportsProgress()
    {
        RecordedProgress progress;
        DatabaseCopy copy(m_source, m_target);
        copy.setProgress(&progress);
        copy.setReportInterval(qint64(1) << 20, 3600 * 1000);
        copy.run();

        QCOMPARE(progress.started, SchemaCatalog(Database(m_source)).tables());
        QCOMPARE(progress.verifications, 1);
        std::vector<DatabaseCopy::TableProgress> attachments;
        std::copy_if(progress.copied.begin(), progress.copied.end(), std::back_inserter(attachments),
                     [](const DatabaseCopy::TableProgress& p) { return p.table == QLatin1String("Attachments"); });
        // A line per MiB of the large document, and one when the table is done.
        QCOMPARE(attachments.size(), size_t(6));
        for (size_t i = 1; i < attachments.size(); ++i)
            QVERIFY(attachments[i].bytesDone > attachments[i - 1].bytesDone);
        QCOMPARE(attachments.back().bytesDone, LargeSize + 3000);
        QCOMPARE(attachments.back().bytes, LargeSize + 3000);
        QCOMPARE(attachments.back().rowsDone, qint64(4));
        QCOMPARE(attachments.back().rows, qint64(4));
        QVERIFY(attachments.front().rowsDone == 0);
    }

    // A target that holds anything is refused before a byte of it is written.
    void refusesATargetThatIsNotEmpty_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("database of the program") << "orvanta"
                                                 << "is not empty: it holds 13 tables";
        QTest::newRow("other database") << "other"
                                        << "is not empty: it holds 1 tables";
        QTest::newRow("not a database") << "text"
                                        << "exists and is not an empty database";
    }

    void refusesATargetThatIsNotEmpty()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        if (kind == QLatin1String("orvanta")) {
            QVERIFY(QFile::copy(m_source, m_target));
        } else if (kind == QLatin1String("other")) {
            const Database other(m_target, true);
            other.execute(QStringLiteral("CREATE TABLE Notes (Text TEXT)"));
        } else {
            QFile text(m_target);
            QVERIFY(text.open(QIODevice::WriteOnly));
            text.write(QByteArray(5000, 'x'));
        }
        const QByteArray before = fileHash(m_target);
        try {
            DatabaseCopy(m_source, m_target).run();
            QFAIL("the copy was made");
        } catch (const StoreError& error) {
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
            QVERIFY2(error.message().contains(QStringLiteral("left as it is")), qPrintable(error.message()));
        }
        QCOMPARE(fileHash(m_target), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // A copy that cannot be made, or fails on the way or at the check, leaves nothing under
    // the target's name (nor its temporary file) and the source as it was.
    void failureLeavesNoTarget_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message");
        QTest::newRow("source missing") << "no source"
                                        << "does not exist";
        QTest::newRow("source of an earlier version") << "old source"
                                                      << "earlier version of Orvanta";
        QTest::newRow("target folder missing") << "no folder"
                                               << "does not exist";
        QTest::newRow("at a table") << "table"
                                    << "Stopped at Resources";
        QTest::newRow("within a document") << "document"
                                           << "Stopped within the documents";
        QTest::newRow("a document changed") << "tampered value"
                                            << "the documents of Attachments differ";
        QTest::newRow("a document made Null") << "null value"
                                              << "the documents of Attachments differ";
        QTest::newRow("a row missing") << "row missing"
                                       << "has 601 rows in the copy and 602 in the source";
    }

    void failureLeavesNoTarget()
    {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        QString source = m_source;
        QString target = m_target;
        RecordedProgress progress;
        DatabaseCopy::Progress* told = &progress;
        std::function<void(const Database&)> tamper;
        if (failure == QLatin1String("no source")) {
            source = m_dir->filePath(QStringLiteral("Missing.mdb"));
        } else if (failure == QLatin1String("old source")) {
            source = m_dir->filePath(QStringLiteral("Old.mdb"));
            const Database old(source, true);
            old.executeScript(QString::fromLatin1(FirstSchemaTables));
        } else if (failure == QLatin1String("no folder")) {
            target = m_dir->filePath(QStringLiteral("Missing/Copy.mdb"));
        } else if (failure == QLatin1String("table")) {
            progress.failAtTable = QStringLiteral("Resources");
        } else if (failure == QLatin1String("document")) {
            progress.failAfterBytes = 3 << 20;
        } else if (failure == QLatin1String("tampered value")) {
            tamper = [](const Database& db) {
                BlobStream(db, QStringLiteral("Attachments"), QStringLiteral("Attachments"), 12, true)
                    .write("?", 1, LargeSize - 1);
            };
        } else if (failure == QLatin1String("null value")) {
            tamper = [](const Database& db) {
                db.execute(QStringLiteral("UPDATE Attachments SET Attachments = NULL WHERE AttachmentsId = 901"));
            };
        } else {
            tamper = [](const Database& db) {
                db.execute(QStringLiteral("DELETE FROM %1 WHERE Species = 'Cat'").arg(quoteIdentifier(Tab)));
            };
        }
        const QByteArray sourceBefore = fileHash(source);
        const QStringList filesBefore = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);

        DatabaseCopy copy(source, target);
        copy.setProgress(told);
        copy.setReportInterval(qint64(1) << 20, 3600 * 1000);
        copy.setBeforeVerification(tamper);
        try {
            copy.run();
            QFAIL("the copy was made");
        } catch (const StoreError& error) {
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
        QVERIFY(!QFile::exists(target));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
        QCOMPARE(fileHash(source), sourceBefore);
    }

    void copiesThroughAServerAndBack()
    {
        if (!PgTestDatabase::wanted())
            QSKIP("Copies to and from a database server.");
        const PgTestDatabase server;
        DatabaseCopy(m_source, server.uri()).run();
        const QString back = m_dir->filePath(QStringLiteral("Back.mdb"));
        DatabaseCopy(server.uri(), back).run();

        const Database source(m_source);
        const Database copy(back);
        const QStringList tables = SchemaCatalog(source).tables();
        QCOMPARE(SchemaCatalog(copy).tables(), tables);
        for (const QString& table : tables)
            QCOMPARE(rowsOf(copy, table), rowsOf(source, table));
        QCOMPARE(SchemaUpgrade::version(copy), SchemaUpgrade::currentVersion());
        // The server now holds a database: it is no target any more.
        QVERIFY_THROWS_EXCEPTION(StoreError, DatabaseCopy(m_source, server.uri()).run());
    }

    void failureLeavesTheServerEmpty()
    {
        if (!PgTestDatabase::wanted())
            QSKIP("Copies to a database server.");
        const PgTestDatabase server;
        RecordedProgress progress;
        progress.failAtTable = QStringLiteral("Resources");
        DatabaseCopy copy(m_source, server.uri());
        copy.setProgress(&progress);
        QVERIFY_THROWS_EXCEPTION(StoreError, copy.run());
        QCOMPARE(SchemaCatalog(Database(server.uri())).tables(), QStringList());
        // Nothing stands in the way of trying again.
        DatabaseCopy(m_source, server.uri()).run();
        QCOMPARE(rowsOf(Database(server.uri()), Tab), rowsOf(Database(m_source), Tab));
    }

private:
    QTemporaryDir m_originalDir;
    QString m_original;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_source;
    QString m_target;
    QByteArray m_sourceHash;
};

QTEST_GUILESS_MAIN(TestDatabaseCopy)
#include "tst_DatabaseCopy.moc"
