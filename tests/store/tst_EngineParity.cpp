#include "PgTestDatabase.h"
#include "TestDatabaseFolder.h"
#include "store/BlobStream.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/DatabaseSchema.h"
#include "store/Recordset.h"
#include "store/SchemaCatalog.h"
#include "store/SchemaUpgrade.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QBuffer>
#include <QDate>
#include <QTest>

// What the program relies on of its database behaves alike on both engines: names in any
// case, LIKE and sorting of the caseless columns, keys, defaults, the catalog, long-binary
// values, and one writer at a time.
class TestEngineParity : public QObject
{
    Q_OBJECT

private:
    static std::shared_ptr<Database> open(const TestDatabaseFolder& folder)
    {
        return std::make_shared<Database>(folder.location());
    }

    static QStringList column(Statement statement)
    {
        QStringList values;
        while (statement.step())
            values.append(statement.isNull(0) ? QStringLiteral("<null>") : statement.value(0).toString());
        return values;
    }

private slots:
    void cleanup() { Database::setBusyTimeout(-1); }

    void namesMatchInAnyCase()
    {
        const TestDatabaseFolder folder;
        const auto db = open(folder);
        db->execute(QStringLiteral("insert into [personal information] ([last name], COMPANY) values (?, ?)"),
                    {QStringLiteral("Ames"), QStringLiteral("Acme")});
        const qint64 id = db->lastInsertRowId();
        QVERIFY(id > 0);
        QCOMPARE(db->scalar(QStringLiteral("SELECT \"LAST NAME\" FROM \"Personal information\" WHERE "
                                           "personalinformationid = ?"),
                            {id})
                     .toString(),
                 QStringLiteral("Ames"));
        Statement statement = db->prepare(QStringLiteral("SELECT * FROM security"));
        QVERIFY(statement.step());
        QCOMPARE(statement.columnName(0), QStringLiteral("SecurityId"));
        QCOMPARE(statement.columnTableName(0), QStringLiteral("Security"));
    }

    void caselessColumnsMatchAndSortAsOnSqlite()
    {
        const TestDatabaseFolder folder;
        const auto db = open(folder);
        for (const QVariant& name : {QVariant(QStringLiteral("smith")), QVariant(QStringLiteral("Brown")),
                                     QVariant(QStringLiteral("SMITH")), QVariant(), QVariant(QStringLiteral("Smith")),
                                     QVariant(QStringLiteral("Šmith")), QVariant(QStringLiteral("brown"))})
            db->execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"Last Name\", City) VALUES (?, ?)"),
                        {name, name});
        QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM \"Personal Information\" WHERE \"Last Name\" LIKE ? "
                                           "ESCAPE '\\'"),
                            {QStringLiteral("sm%")})
                     .toInt(),
                 3);
        // LIKE folds A to Z only, in any column, as SQLite's does.
        QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM \"Personal Information\" WHERE City LIKE ?"),
                            {QStringLiteral("SMI%")})
                     .toInt(),
                 3);
        QCOMPARE(db->scalar(QStringLiteral("SELECT count(*) FROM \"Personal Information\" WHERE \"Last Name\" = ?"),
                            {QStringLiteral("BROWN")})
                     .toInt(),
                 2);
        const QStringList ascending = {"<null>", "Brown", "brown", "smith", "SMITH", "Smith", "Šmith"};
        QCOMPARE(column(db->prepare(QStringLiteral("SELECT \"Last Name\" FROM \"Personal Information\" ORDER BY "
                                                   "\"Last Name\" ASC NULLS FIRST, PersonalInformationId"))),
                 ascending);
        // Other text sorts by its bytes.
        QCOMPARE(column(db->prepare(QStringLiteral("SELECT City FROM \"Personal Information\" WHERE City IS NOT NULL "
                                                   "ORDER BY City, PersonalInformationId"))),
                 (QStringList{"Brown", "SMITH", "Smith", "brown", "smith", "Šmith"}));
        QCOMPARE(db->scalar(QStringLiteral("SELECT casefold(?)"), {QStringLiteral("MÜLLER")}).toString(),
                 QStringLiteral("müller"));
    }

    void catalogReadsBackWhatWasCreated()
    {
        const TestDatabaseFolder folder;
        const auto db = open(folder);
        const SchemaCatalog catalog(*db);
        const auto kind = [](const char* name, const char* type, const char* defaultValue = "", bool caseless = false) {
            SchemaCatalog::ColumnInfo column;
            column.name = QString::fromUtf8(name);
            column.type = QString::fromLatin1(type);
            column.defaultExpression = QString::fromLatin1(defaultValue);
            column.caseless = caseless;
            return column;
        };
        SchemaCatalog::ColumnInfo key = kind("Kept Id", "INTEGER");
        key.autoIncrement = true;
        const std::vector<SchemaCatalog::ColumnInfo> columns = {key,
                                                                kind("PersonalInformationId", "INTEGER"),
                                                                kind("Name \"quoted\"", "TEXT", "", true),
                                                                kind("Entered", "DATE", "(date('now', 'localtime'))"),
                                                                kind("At", "TIME"),
                                                                kind("Done", "BOOLEAN", "1"),
                                                                kind("Scan", "BLOB"),
                                                                kind("Grüße", "TEXT", "'none'")};
        catalog.createTable(QStringLiteral("Kept Things"), columns);
        catalog.ensureClientIndex(QStringLiteral("Kept Things"));
        catalog.createIndex(QStringLiteral("Kept by name"), QStringLiteral("Kept Things"),
                            {QStringLiteral("Name \"quoted\""), QStringLiteral("Done")});

        const std::vector<SchemaCatalog::ColumnInfo> read = catalog.columns(QStringLiteral("Kept Things"));
        QCOMPARE(read.size(), columns.size());
        for (size_t i = 0; i < read.size(); ++i) {
            QCOMPARE(read[i].name, columns[i].name);
            QCOMPARE(read[i].type, columns[i].type);
            QCOMPARE(read[i].autoIncrement, columns[i].autoIncrement);
            QCOMPARE(read[i].caseless, columns[i].caseless);
        }
        QCOMPARE(read[3].defaultExpression, QStringLiteral("date('now', 'localtime')"));
        QCOMPARE(read[5].defaultExpression, QStringLiteral("1"));
        QCOMPARE(read[7].defaultExpression, QStringLiteral("'none'"));
        QCOMPARE(catalog.integerKey(QStringLiteral("Kept Things")), QStringLiteral("Kept Id"));
        QCOMPARE(catalog.indexColumns(QStringLiteral("Kept Things")),
                 (QList<QStringList>{{QStringLiteral("PersonalInformationId")},
                                     {QStringLiteral("Name \"quoted\""), QStringLiteral("Done")}}));
        QVERIFY(catalog.tables().endsWith(QStringLiteral("Kept Things")));

        // Defaults, and keys given explicitly followed by generated ones.
        db->execute(QStringLiteral("INSERT INTO \"Kept Things\" (\"Kept Id\", At) VALUES (41, '09:30:00')"));
        catalog.syncKeyGenerator(QStringLiteral("Kept Things"));
        db->execute(QStringLiteral("INSERT INTO \"Kept Things\" DEFAULT VALUES"));
        QCOMPARE(db->lastInsertRowId(), qint64(42));
        Statement row = db->prepare(
            QStringLiteral("SELECT Entered, Done, \"Grüße\", At FROM \"Kept Things\" ORDER BY \"Kept Id\""));
        QVERIFY(row.step());
        QCOMPARE(row.value(0).toString(), QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(row.value(1), QVariant(qint64(1)));
        QCOMPARE(row.value(2).toString(), QStringLiteral("none"));
        QCOMPARE(row.value(3).toString(), QStringLiteral("09:30:00"));
    }

    void longBinaryValuesStreamInPieces_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::newRow("empty") << qint64(0);
        QTest::newRow("inline") << qint64(1000);
        QTest::newRow("several pieces") << qint64(3 * BlobStream::PieceSize + 17);
    }

    void longBinaryValuesStreamInPieces()
    {
        QFETCH(qint64, size);
        const TestDatabaseFolder folder;
        const auto db = open(folder);
        QByteArray bytes(size, Qt::Uninitialized);
        for (qint64 i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i * 7 % 251);
        QBuffer source(&bytes);
        QVERIFY(source.open(QIODevice::ReadOnly));
        Recordset adding(db, QStringLiteral("SELECT * FROM Attachments WHERE 1 = 0"));
        adding.addNew();
        adding.setField(QStringLiteral("AttachmentsName"), QStringLiteral("scan.pdf"));
        adding.setLongBinary(QStringLiteral("Attachments"), source, size);
        adding.update();
        const qint64 id = adding.newKey();

        Recordset reading(db, QStringLiteral("SELECT * FROM Attachments WHERE AttachmentsId = ?"), {id});
        QCOMPARE(reading.longBinaryLength(QStringLiteral("Attachments")), size);
        QByteArray back;
        QBuffer out(&back);
        QVERIFY(out.open(QIODevice::WriteOnly));
        reading.readLongBinary(QStringLiteral("Attachments"), out);
        QCOMPARE(back, bytes);

        db->execute(QStringLiteral("INSERT INTO Attachments (AttachmentsName) VALUES ('none')"));
        const qint64 nullId = db->lastInsertRowId();
        QVERIFY(!BlobStream::openForReading(*db, QStringLiteral("Attachments"), QStringLiteral("Attachments"), nullId));
        QVERIFY(!BlobStream::openForReading(*db, QStringLiteral("Attachments"), QStringLiteral("Attachments"), 9999));
    }

    void documentsGoWithTheirRows()
    {
        const TestDatabaseFolder folder;
        if (!PgTestDatabase::wanted())
            QSKIP("The file keeps a value inside its row: nothing outlives it.");
        const auto db = open(folder);
        const auto objects = [&db] {
            return db->scalar(QStringLiteral("SELECT count(*) FROM pg_largeobject_metadata")).toInt();
        };
        db->execute(
            QStringLiteral("INSERT INTO Attachments (AttachmentsName, Attachments) VALUES ('a', longbinary(?))"),
            {QByteArray("first")});
        db->execute(QStringLiteral("INSERT INTO Resources (DocumentName, Document) VALUES ('r', longbinary('x'))"));
        QCOMPARE(objects(), 2);
        db->execute(QStringLiteral("UPDATE Attachments SET Attachments = longbinary(?)"), {QByteArray("second")});
        QCOMPARE(objects(), 2);
        db->execute(QStringLiteral("DELETE FROM Attachments"));
        db->execute(QStringLiteral("DELETE FROM Resources"));
        QCOMPARE(objects(), 0);
    }

    void writersFollowEachOther()
    {
        const TestDatabaseFolder folder;
        Database::setBusyTimeout(300);
        const auto first = open(folder);
        const auto second = open(folder);
        Transaction writing(*first);
        first->execute(QStringLiteral("UPDATE Security SET UserLevel = 1"));
        try {
            const Transaction waiting(*second);
            QFAIL("A second writer started while the first one was writing");
        } catch (const StoreError& error) {
            QVERIFY2(error.isBusy(), qPrintable(error.message()));
        }
        writing.commit();
        Transaction after(*second);
        QCOMPARE(second->scalar(QStringLiteral("SELECT UserLevel FROM Security")).toInt(), 1);
        after.commit();
    }

    void stepsUpgradeAnEarlierVersion()
    {
        const TestDatabaseFolder folder;
        {
            const auto db = open(folder);
            Transaction transaction(*db);
            SchemaUpgrade::setVersion(*db, 0);
            transaction.commit();
        }
        DatabaseSchema::ensure(folder.location());
        const auto db = open(folder);
        QCOMPARE(SchemaUpgrade::version(*db), SchemaUpgrade::currentVersion());
        const QList<QStringList> indexes = SchemaCatalog(*db).indexColumns(QStringLiteral("Attachments"));
        QCOMPARE(indexes.count(QStringList{QStringLiteral("PersonalInformationId"), QStringLiteral("AttachmentsName"),
                                           QStringLiteral("AttachmentVersion")}),
                 1);
        QCOMPARE(indexes.size(), 2);
    }

    void serverProblemsAreNamedAndNothingIsWritten()
    {
        if (!PgTestDatabase::wanted())
            QSKIP("About databases on a server.");
        // Nobody listens there: the message names the server and database, not the password.
        try {
            Database unreachable(QStringLiteral("postgresql://office:s3cret@/orvanta?host=/nonexistent-folder"));
            QFAIL("Connected to a server that does not exist");
        } catch (const StoreError& error) {
            QVERIFY2(error.message().contains(QLatin1String("database \"orvanta\" on the server /nonexistent-folder")),
                     qPrintable(error.message()));
            QVERIFY(!error.message().contains(QLatin1String("s3cret")));
        }
        // A database another program uses is left as it is.
        const PgTestDatabase other;
        Database(other.uri()).execute(QStringLiteral("CREATE TABLE invoices (id integer)"));
        QVERIFY_THROWS_EXCEPTION(StoreError, DatabaseSchema::ensure(other.uri()));
        QCOMPARE(SchemaCatalog(Database(other.uri())).tables(), QStringList{QStringLiteral("invoices")});
        QCOMPARE(Database(other.uri())
                     .scalar(QStringLiteral("SELECT count(*) FROM pg_namespace WHERE nspname = 'orvanta_store'"))
                     .toInt(),
                 0);
    }

    void aFailedTransactionIsNotReportedSaved()
    {
        const TestDatabaseFolder folder;
        if (!PgTestDatabase::wanted())
            QSKIP("SQLite keeps the transaction after a failed statement: the rest commits.");
        const auto db = open(folder);
        Transaction transaction(*db);
        db->execute(QStringLiteral("UPDATE Security SET UserLevel = 1"));
        QVERIFY_THROWS_EXCEPTION(StoreError, db->execute(QStringLiteral("SELECT no_such_column FROM Security")));
        QVERIFY_THROWS_EXCEPTION(StoreError, transaction.commit());
        QVERIFY(!db->inTransaction());
        QVERIFY(db->scalar(QStringLiteral("SELECT UserLevel FROM Security")).toInt() != 1);
    }
};

QTEST_GUILESS_MAIN(TestEngineParity)
#include "tst_EngineParity.moc"
