#include "store/ApplicationFolder.h"
#include "store/BlobStream.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/DatabaseSchema.h"
#include "store/Identifier.h"
#include "store/SchemaCatalog.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QBuffer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

class TestRecordset : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/orvanta test XXXXXX"));
        ApplicationFolder::setPath(m_dir->path());
        DatabaseSchema::ensure(CLsDataBaseConnection::databasePath());
    }

    void emptyResultIsAtEofAndClosesCleanly()
    {
        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(QStringLiteral("SELECT * FROM Security WHERE UserName = ?"),
                                                  {QStringLiteral("nobody")});
        QVERIFY(rs.eof());
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.field(QStringLiteral("UserName")));
        rs.close();
        connection.DbClose();
    }

    void connectionOpensOnceAtATime()
    {
        CLsDataBaseConnection connection;
        connection.CreateRecordset(QStringLiteral("SELECT * FROM Security")).close();
        QVERIFY_THROWS_EXCEPTION(StoreError, connection.CreateRecordset(QStringLiteral("SELECT * FROM Security")));
        connection.DbClose();
        Recordset again = connection.CreateRecordset(QStringLiteral("SELECT * FROM Security"));
        QVERIFY(!again.eof());
        again.close();
        connection.DbClose();
        QVERIFY_THROWS_EXCEPTION(StoreError, connection.DbClose());
    }

    void missingFileFailsWithoutCreatingIt()
    {
        CLsDataBaseConnection connection(m_dir->filePath(QStringLiteral("absent.mdb")));
        QVERIFY_THROWS_EXCEPTION(StoreError, connection.CreateRecordset(QStringLiteral("SELECT 1")));
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("absent.mdb"))));
    }

    void readsRowsAndFieldsByNameWithoutCase()
    {
        CLsDataBaseConnection connection;
        for (const char* name : {"Lee", "Moss", "Park"})
            connection.Execute(QStringLiteral("INSERT INTO [Personal Information] ([Last Name]) VALUES (?)"),
                               {QString::fromLatin1(name)});
        connection.DbClose();
        Recordset rs =
            connection.CreateRecordset(QStringLiteral("SELECT * FROM [Personal Information] ORDER BY [Last Name]"));
        QCOMPARE(rs.recordCount(), 3);
        QStringList names;
        for (; !rs.eof(); rs.moveNext())
            names.append(rs.text(QStringLiteral("last name")));
        QCOMPARE(names, (QStringList{QStringLiteral("Lee"), QStringLiteral("Moss"), QStringLiteral("Park")}));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.moveNext());
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.field(QStringLiteral("No Such Field")));
    }

    void valuesTravelAsTyped_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("single quote") << QStringLiteral("O'Brien");
        QTest::newRow("sql text") << QStringLiteral("x'; DROP TABLE Security; --");
        QTest::newRow("brackets") << QStringLiteral("[Last Name]");
        QTest::newRow("empty") << QString();
        QTest::newRow("unicode") << QStringLiteral("Zoë Ångström");
    }

    void valuesTravelAsTyped()
    {
        QFETCH(QString, value);
        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(QStringLiteral("SELECT * FROM Security"));
        rs.addNew();
        rs.setField(QStringLiteral("UserName"), value);
        rs.setField(QStringLiteral("UserLevel"), 1);
        rs.update();
        const qint64 key = rs.newKey();
        rs.close();
        connection.DbClose();

        Recordset back =
            connection.CreateRecordset(QStringLiteral("SELECT * FROM Security WHERE UserName = ?"), {value});
        QCOMPARE(back.recordCount(), 1);
        QCOMPARE(back.field(QStringLiteral("SecurityId")).toLongLong(), key);
        // An empty text is stored as '' and never as NULL.
        QVERIFY(!back.field(QStringLiteral("UserName")).isNull());
        QCOMPARE(back.text(QStringLiteral("UserName")), value);
        back.close();
        connection.DbClose();
        QCOMPARE(connection.database().scalar(QStringLiteral("SELECT count(*) FROM Security")).toInt(), 2);
    }

    void editsAndDeletesTheCurrentRow()
    {
        CLsDataBaseConnection connection;
        connection.Execute(
            QStringLiteral("INSERT INTO [Personal Information] ([Last Name], City) VALUES ('Lee', 'Oslo')"));
        connection.Execute(
            QStringLiteral("INSERT INTO [Personal Information] ([Last Name], City) VALUES ('Moss', 'Rome')"));
        connection.DbClose();

        Recordset rs = connection.CreateRecordset(
            QStringLiteral("SELECT * FROM [Personal Information] WHERE [Last Name] = ?"), {QStringLiteral("Lee")});
        rs.setField(QStringLiteral("City"), QStringLiteral("Bergen"));
        rs.setField(QStringLiteral("Active"), 0);
        rs.update();
        QCOMPARE(rs.text(QStringLiteral("City")), QStringLiteral("Bergen"));
        rs.close();
        connection.DbClose();

        Database& db = connection.database();
        QCOMPARE(
            db.scalar(QStringLiteral("SELECT City FROM [Personal Information] WHERE [Last Name] = 'Lee'")).toString(),
            QStringLiteral("Bergen"));
        QCOMPARE(
            db.scalar(QStringLiteral("SELECT City FROM [Personal Information] WHERE [Last Name] = 'Moss'")).toString(),
            QStringLiteral("Rome"));
        connection.DbClose();

        Recordset del =
            connection.CreateRecordset(QStringLiteral("SELECT * FROM [Personal Information] WHERE City = 'Rome'"));
        del.deleteCurrent();
        QVERIFY_THROWS_EXCEPTION(StoreError, del.text(QStringLiteral("City")));
        del.close();
        connection.DbClose();
        QCOMPARE(connection.database().scalar(QStringLiteral("SELECT count(*) FROM [Personal Information]")).toInt(),
                 1);
    }

    void resultOfAJoinIsReadOnly()
    {
        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(QStringLiteral(
            "SELECT *, TabInfo.TabNam FROM FieldInfo INNER JOIN TabInfo ON FieldInfo.TabId = TabInfo.TabId"));
        QVERIFY(!rs.eof());
        QCOMPARE(rs.text(QStringLiteral("TabNam")), QStringLiteral("Personal Information"));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.addNew());
    }

    void longBinaryIsStreamedExactly_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::newRow("empty") << qint64(0);
        QTest::newRow("small") << qint64(17);
        QTest::newRow("largest inserted with its row") << Recordset::InlineValueLimit;
        QTest::newRow("smallest written in pieces") << Recordset::InlineValueLimit + 1;
        QTest::newRow("several pieces") << qint64(3 * BlobStream::PieceSize + 17);
    }

    void longBinaryIsStreamedExactly()
    {
        QFETCH(qint64, size);
        QByteArray bytes(size, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>((i * 7) % 251);
        if (size > 5)
            bytes[5] = '\0';

        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(QStringLiteral("SELECT * FROM Attachments"));
        QVERIFY(rs.eof()); // appending reads no rows
        QBuffer source(&bytes);
        QVERIFY(source.open(QIODevice::ReadOnly));
        rs.addNew();
        rs.setField(QStringLiteral("PersonalInformationId"), 1);
        rs.setField(QStringLiteral("AttachmentsName"), QStringLiteral("scan.pdf"));
        rs.setField(QStringLiteral("AttachmentVersion"), 1);
        rs.setLongBinary(QStringLiteral("Attachments"), source, bytes.size());
        rs.update();
        rs.close();
        connection.DbClose();

        Recordset back = connection.CreateRecordset(QStringLiteral("SELECT * FROM Attachments"));
        QVERIFY(back.fieldNames().contains(QStringLiteral("Attachments")));
        QCOMPARE(back.text(QStringLiteral("AttachmentsName")), QStringLiteral("scan.pdf"));
        QCOMPARE(back.longBinaryLength(QStringLiteral("Attachments")), bytes.size());
        // An empty value is stored as an empty value, not as Null.
        QCOMPARE(connection.database().scalar(QStringLiteral("SELECT typeof(Attachments) FROM Attachments")).toString(),
                 QStringLiteral("blob"));
        QByteArray fetched;
        QBuffer out(&fetched);
        QVERIFY(out.open(QIODevice::WriteOnly));
        back.readLongBinary(QStringLiteral("Attachments"), out);
        QVERIFY(fetched == bytes);
        QVERIFY(back.field(QStringLiteral("Attachments")).toByteArray() == bytes);
    }

    void failedStreamLeavesNoRow_data()
    {
        QTest::addColumn<bool>("inCallersTransaction");
        QTest::addColumn<qint64>("declared");
        const qint64 streamed = 3 * BlobStream::PieceSize;
        QTest::newRow("with its row, own transaction") << false << qint64(1000);
        QTest::newRow("with its row, caller's transaction") << true << qint64(1000);
        QTest::newRow("in pieces, own transaction") << false << streamed;
        QTest::newRow("in pieces, caller's transaction") << true << streamed;
    }

    void failedStreamLeavesNoRow()
    {
        QFETCH(bool, inCallersTransaction);
        QFETCH(qint64, declared);
        // The source ends early: after a few bytes, or after its first piece.
        QByteArray shortData = declared > Recordset::InlineValueLimit ? QByteArray(BlobStream::PieceSize + 10, 'x')
                                                                      : QByteArray("only a little");
        QBuffer source(&shortData);
        QVERIFY(source.open(QIODevice::ReadOnly));
        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(QStringLiteral("SELECT * FROM Attachments"));
        std::optional<Transaction> transaction;
        if (inCallersTransaction) {
            transaction.emplace(connection.database());
            rs.addNew();
            rs.setField(QStringLiteral("AttachmentsName"), QStringLiteral("kept.bin"));
            rs.update();
        }
        rs.addNew();
        rs.setField(QStringLiteral("AttachmentsName"), QStringLiteral("cut.bin"));
        rs.setLongBinary(QStringLiteral("Attachments"), source, declared);
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.update());
        if (transaction)
            transaction->commit();
        rs.close();
        connection.DbClose();
        // Only the row written before the failure is there.
        QCOMPARE(connection.database()
                     .scalar(QStringLiteral("SELECT group_concat(AttachmentsName) FROM Attachments"))
                     .toString(),
                 inCallersTransaction ? QStringLiteral("kept.bin") : QString());
    }

    void statementRules()
    {
        CLsDataBaseConnection connection;
        Database& db = connection.database();
        QVERIFY_THROWS_EXCEPTION(StoreError, db.prepare(QStringLiteral("SELEKT * FROM Security")));
        QVERIFY_THROWS_EXCEPTION(StoreError, db.prepare(QStringLiteral("SELECT 1; SELECT 2")));
        QVERIFY_THROWS_EXCEPTION(StoreError, db.execute(QStringLiteral("SELECT ?"), {}));
        QCOMPARE(db.scalar(QStringLiteral("SELECT ? IS NULL"), {QVariant()}).toInt(), 1);
        QCOMPARE(db.scalar(QStringLiteral("SELECT ? IS NULL"), {QString()}).toInt(), 0);
    }

    // A database another connection holds locked is reported as busy, not as a failure,
    // whether the wait ends in a write, a read or the start of a transaction.
    void lockedDatabaseIsReportedAsBusy()
    {
        Database::setBusyTimeout(50);
        const auto restore = qScopeGuard([] { Database::setBusyTimeout(-1); });
        CLsDataBaseConnection holder;
        Transaction hold(holder.database());
        holder.database().execute(QStringLiteral("UPDATE Security SET UserName = UserName"));
        CLsDataBaseConnection other;
        try {
            Transaction write(other.database());
            QFAIL("the lock was not noticed");
        } catch (const StoreError& error) {
            QVERIFY2(error.isBusy(), qPrintable(error.message()));
        }
        try {
            other.database().execute(QStringLiteral("DELETE FROM Security WHERE 0"));
            QFAIL("the lock was not noticed");
        } catch (const StoreError& error) {
            QVERIFY2(error.isBusy(), qPrintable(error.message()));
        }
        // Other failures stay failures.
        try {
            other.database().execute(QStringLiteral("SELECT * FROM NoSuchTable"));
            QFAIL("no error");
        } catch (const StoreError& error) {
            QVERIFY(!error.isBusy());
        }
    }

    // execute() and scalar() keep their statements prepared between calls.
    void keptStatementsHoldNothingBetweenCalls()
    {
        CLsDataBaseConnection connection;
        Database& db = connection.database();
        db.execute(QStringLiteral("CREATE TABLE Kept (Name TEXT UNIQUE)"));
        const QString insert = QStringLiteral("INSERT INTO Kept (Name) VALUES (?)");
        db.execute(insert, {QStringLiteral("a")});
        db.execute(insert, {QStringLiteral("b")});
        // A failed call leaves the statement usable for the next one.
        QVERIFY_THROWS_EXCEPTION(StoreError, db.execute(insert, {QStringLiteral("a")}));
        db.execute(insert, {QStringLiteral("c")});
        // A value bound by one call is not left for the next: too few values is an error.
        QVERIFY_THROWS_EXCEPTION(StoreError, db.execute(insert, {}));
        // scalar() reads the first of several rows; the table must not stay in use afterwards.
        const QString first = QStringLiteral("SELECT Name FROM Kept ORDER BY Name");
        QCOMPARE(db.scalar(first).toString(), QStringLiteral("a"));
        {
            // Another connection can still change the file.
            CLsDataBaseConnection other;
            other.database().execute(QStringLiteral("DELETE FROM Kept WHERE Name = 'a'"));
        }
        QCOMPARE(db.scalar(first).toString(), QStringLiteral("b"));
        db.execute(QStringLiteral("DROP TABLE Kept"));
        // The same text on a new table of the same name reads the new table.
        db.execute(QStringLiteral("CREATE TABLE Kept (Other INTEGER, Name TEXT)"));
        db.execute(QStringLiteral("INSERT INTO Kept (Other, Name) VALUES (1, 'new')"));
        QCOMPARE(db.scalar(first).toString(), QStringLiteral("new"));
    }

    void likePatternsAreEscaped_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("matches");
        QTest::newRow("plain") << QStringLiteral("Le") << 1;
        QTest::newRow("percent") << QStringLiteral("%") << 1;
        QTest::newRow("underscore") << QStringLiteral("_") << 1;
        QTest::newRow("lower case") << QStringLiteral("le") << 1;
    }

    void likePatternsAreEscaped()
    {
        QFETCH(QString, prefix);
        QFETCH(int, matches);
        CLsDataBaseConnection connection;
        Database& db = connection.database();
        for (const char* name : {"Lee", "%Off", "_Under"})
            db.execute(QStringLiteral("INSERT INTO [Personal Information] ([Last Name]) VALUES (?)"),
                       {QString::fromLatin1(name)});
        const QVariant count = db.scalar(
            QStringLiteral("SELECT count(*) FROM [Personal Information] WHERE [Last Name] LIKE ? ESCAPE '\\'"),
            {escapeLike(prefix) + QLatin1Char('%')});
        QCOMPARE(count.toInt(), matches);
    }

    void catalogCreatesTablesAndColumnsWithUserNames()
    {
        CLsDataBaseConnection connection;
        Database& db = connection.database();
        const SchemaCatalog catalog(db);
        const QString name = QStringLiteral("Bob's \"Notes\" [x]");
        catalog.createTable(name,
                            {{QStringLiteral("BobsNotesId"), QStringLiteral("INTEGER"), true, true, {}},
                             {QStringLiteral("PersonalInformationId"), QStringLiteral("INTEGER"), false, true, {}},
                             {QStringLiteral("BobsNotesDate"), QStringLiteral("DATE"), false, true,
                              QStringLiteral("(date('now', 'localtime'))")}});
        catalog.addColumn(name, {QStringLiteral("Field ] with 'quotes'"), QStringLiteral("TEXT"), false, true, {}});
        QVERIFY(catalog.hasTable(name.toUpper()));
        QCOMPARE(catalog.columnNames(name),
                 (QStringList{QStringLiteral("BobsNotesId"), QStringLiteral("PersonalInformationId"),
                              QStringLiteral("BobsNotesDate"), QStringLiteral("Field ] with 'quotes'")}));
        QCOMPARE(catalog.integerKey(name), QStringLiteral("BobsNotesId"));
        QVERIFY(catalog.integerKey(QStringLiteral("ReferenceInfo")).isEmpty());

        db.execute(QStringLiteral("INSERT INTO %1 (PersonalInformationId) VALUES (7)").arg(quoteIdentifier(name)));
        connection.DbClose();
        Recordset rs = connection.CreateRecordset(QStringLiteral("SELECT * FROM %1").arg(quoteIdentifier(name)));
        QCOMPARE(rs.text(QStringLiteral("BobsNotesDate")), QDate::currentDate().toString(Qt::ISODate));
        rs.setField(QStringLiteral("Field ] with 'quotes'"), QStringLiteral("ok"));
        rs.update();
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_recordset.moc"
