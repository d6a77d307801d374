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

    void longBinaryIsStreamedExactly()
    {
        QByteArray bytes(3 * BlobStream::PieceSize + 17, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>((i * 7) % 251);
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
        QTest::newRow("own transaction") << false;
        QTest::newRow("caller's transaction") << true;
    }

    void failedStreamLeavesNoRow()
    {
        QFETCH(bool, inCallersTransaction);
        QByteArray shortData("only a little");
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
        rs.setLongBinary(QStringLiteral("Attachments"), source, 1000); // the source ends early
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
