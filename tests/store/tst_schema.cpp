#include "ProcessUmask.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/DatabaseSchema.h"
#include "store/PasswordHash.h"
#include "store/SchemaCatalog.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

mode_t modeOf(const QString& path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return mode_t(-1);
    return status.st_mode & 07777;
}

} // namespace

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        ApplicationFolder::setPath(m_dir->path());
        DatabaseSchema::ensure(CLsDataBaseConnection::databasePath());
    }

    void createsEveryFixedTable()
    {
        CLsDataBaseConnection connection;
        const QStringList tables = SchemaCatalog(connection.database()).tables();
        for (const QString& table : DatabaseSchema::fixedTables())
            QVERIFY2(tables.contains(table), qPrintable(table));
    }

    // A new database and its journal are their owner's alone, whatever the umask.
    void newDatabaseIsOwnerOnly_data()
    {
        QTest::addColumn<int>("umask");
        QTest::newRow("022") << 022;
        QTest::newRow("000") << 0;
        QTest::newRow("077") << 077;
    }

    void newDatabaseIsOwnerOnly()
    {
        QFETCH(int, umask);
        const ProcessUmask mask(static_cast<mode_t>(umask));
        const QString path = QDir(m_dir->path()).filePath(QStringLiteral("other.mdb"));
        DatabaseSchema::ensure(path);
        QCOMPARE(modeOf(path), mode_t(0600));

        Database db(path);
        Transaction transaction(db);
        db.execute(QStringLiteral("INSERT INTO NodeInformation (NodeName) VALUES ('Z')"));
        QCOMPARE(modeOf(path + QStringLiteral("-journal")), mode_t(0600));
    }

    void newDatabaseHasLargePages()
    {
        // Documents are read and written a page at a time: large pages mean fewer steps.
        CLsDataBaseConnection connection;
        QCOMPARE(connection.database().scalar(QStringLiteral("PRAGMA page_size")).toInt(), 65536);
    }

    void clientColumnsKeepTheirPositions_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("name");
        QTest::newRow("first name") << 0 << "First Name";
        QTest::newRow("address one") << 1 << "Address One";
        QTest::newRow("city") << 3 << "City";
        QTest::newRow("home phone") << 6 << "Home Phone Number";
        QTest::newRow("cell phone") << 7 << "Cell Phone Number";
        QTest::newRow("work phone") << 9 << "Work Phone Number";
        QTest::newRow("middle name") << 12 << "Middle Name";
        QTest::newRow("last name") << 13 << "Last Name";
        QTest::newRow("company") << 15 << "Company";
        QTest::newRow("id") << 16 << "PersonalInformationId";
        QTest::newRow("active") << 17 << "Active";
    }

    void clientColumnsKeepTheirPositions()
    {
        QFETCH(int, position);
        QFETCH(QString, name);
        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(QStringLiteral("select * from [Personal Information]"));
        QCOMPARE(rs.fieldNames().value(position), name);
    }

    void defaultsFillUnwrittenColumns()
    {
        CLsDataBaseConnection connection;
        Database& db = connection.database();
        db.execute(QStringLiteral("INSERT INTO [Personal Information] ([Last Name]) VALUES (?)"),
                   {QStringLiteral("Lee")});
        QCOMPARE(db.scalar(QStringLiteral("SELECT Active FROM [Personal Information]")).toInt(), 1);
        db.execute(QStringLiteral("INSERT INTO Attachments (AttachmentsName) VALUES ('a.txt')"));
        QCOMPARE(db.scalar(QStringLiteral("SELECT AttachmentsDate FROM Attachments")).toString(),
                 QDate::currentDate().toString(Qt::ISODate));
        db.execute(QStringLiteral("INSERT INTO TabInfo (TabNam) VALUES ('Medical')"));
        QCOMPARE(db.scalar(QStringLiteral("SELECT TabEdit FROM TabInfo WHERE TabNam = 'Medical'")).toInt(), 1);
        db.execute(QStringLiteral("INSERT INTO FieldInfo (FieldName) VALUES ('Allergies')"));
        QCOMPARE(db.scalar(QStringLiteral("SELECT FieldEdit FROM FieldInfo WHERE FieldName = 'Allergies'")).toInt(), 1);
    }

    void installedRows()
    {
        CLsDataBaseConnection connection;
        CLsDataBaseConnection commands;
        Database& db = commands.database();
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Security")).toInt(), 1);
        Recordset admin = connection.CreateRecordset(QStringLiteral("SELECT * FROM Security"));
        QCOMPARE(admin.text(QStringLiteral("UserName")), QStringLiteral("Admin"));
        QCOMPARE(admin.field(QStringLiteral("UserLevel")).toInt(), 99);
        QCOMPARE(admin.text(QStringLiteral("UserLastName")), QStringLiteral("Administrator"));
        QVERIFY(PasswordHash::isHash(admin.text(QStringLiteral("UserPassword"))));
        QVERIFY(PasswordHash::verify(admin.text(QStringLiteral("UserPassword")), QStringLiteral("Vemla")));
        QVERIFY(!PasswordHash::needsRehash(admin.text(QStringLiteral("UserPassword"))));
        QVERIFY(PasswordHash::needsRehash(QStringLiteral("Vemla")));
        QVERIFY(PasswordHash::needsRehash(QStringLiteral("$argon2id$v=19$m=4096,t=3,p=1$c29tZXNhbHQ$")));
        admin.close();
        connection.DbClose();

        // The built-in tab comes first and is not editable; its fields name real client columns.
        QCOMPARE(db.scalar(QStringLiteral("SELECT TabNam FROM TabInfo WHERE PersonalInformationId Is Null")).toString(),
                 QStringLiteral("Personal Information"));
        QCOMPARE(db.scalar(QStringLiteral("SELECT TabEdit FROM TabInfo")).toInt(), 0);
        const QStringList clientColumns = SchemaCatalog(db).columnNames(QStringLiteral("Personal Information"));
        Recordset fields =
            connection.CreateRecordset(QStringLiteral("SELECT * FROM FieldInfo ORDER BY FieldDisplayOrder"));
        int count = 0;
        for (; !fields.eof(); fields.moveNext(), ++count) {
            QVERIFY(clientColumns.contains(fields.text(QStringLiteral("FieldName"))));
            QCOMPARE(fields.field(QStringLiteral("FieldEdit")).toInt(), 0);
            // Inside the record window's field frame (13935 x 6495 twips).
            QVERIFY(fields.field(QStringLiteral("fieldLeft")).toInt() +
                        fields.field(QStringLiteral("fieldWidth")).toInt() <
                    13935);
            QVERIFY(fields.field(QStringLiteral("fieldTop")).toInt() + 375 < 6495);
        }
        QCOMPARE(count, 16);
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM NodeInformation WHERE NodeActive = 1")).toInt(), 26);
        QVERIFY(db.scalar(QStringLiteral("SELECT count(*) FROM EventInfo")).toInt() > 0);
        QVERIFY(db.scalar(QStringLiteral("SELECT count(*) FROM CategoryInfo")).toInt() > 0);
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM ObjectTbl WHERE ObjectType = 'Root'")).toInt(), 1);
    }

    void foreignFileIsRefusedAndKept_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text file") << QByteArray("QuickLogin,No\r\nStartView,Client\r\n");
        QTest::newRow("empty file") << QByteArray();
    }

    void foreignFileIsRefusedAndKept()
    {
        QFETCH(QByteArray, content);
        const QString path = m_dir->filePath(QStringLiteral("other.mdb"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        try {
            DatabaseSchema::ensure(path);
            QFAIL("no error");
        } catch (const StoreError& error) {
            QVERIFY(!error.isBusy());
            QVERIFY(!error.isDamaged());
            QVERIFY2(error.message().contains(QStringLiteral("not a database of this program.")),
                     qPrintable(error.message()));
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
    }

    // A database of this program whose first page the disk damaged is named damaged, apart
    // from a file of another kind and from one in use, and left as it is.
    void damagedDatabaseIsNamedDamaged()
    {
        const QString path = m_dir->filePath(QStringLiteral("damaged.mdb"));
        DatabaseSchema::ensure(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(100); // the page header of the table of tables
        file.write(QByteArray(8, '\xff'));
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray damaged = file.readAll();
        file.close();
        try {
            DatabaseSchema::ensure(path);
            QFAIL("no error");
        } catch (const StoreError& error) {
            QVERIFY2(error.isDamaged(), qPrintable(error.message()));
            QVERIFY2(error.message().startsWith(
                         QStringLiteral("The database %1 is damaged: ").arg(QDir::toNativeSeparators(path))),
                     qPrintable(error.message()));
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), damaged);
    }

    // A database another program holds locked is in use, not damaged; once the lock is gone
    // it opens as before.
    void lockedDatabaseIsInUseNotDamaged()
    {
        Database::setBusyTimeout(50);
        const auto restore = qScopeGuard([] { Database::setBusyTimeout(-1); });
        const QString path = CLsDataBaseConnection::databasePath();
        Database holder(path);
        holder.execute(QStringLiteral("BEGIN EXCLUSIVE"));
        try {
            DatabaseSchema::ensure(path);
            QFAIL("the lock was not noticed");
        } catch (const StoreError& error) {
            QVERIFY2(error.isBusy(), qPrintable(error.message()));
            QCOMPARE(error.message(),
                     QStringLiteral("Another program is using the database %1.").arg(QDir::toNativeSeparators(path)));
        }
        holder.execute(QStringLiteral("ROLLBACK"));
        DatabaseSchema::ensure(path);
    }

    void databaseWithoutFixedTablesIsRefused()
    {
        const QString path = m_dir->filePath(QStringLiteral("other.mdb"));
        {
            Database db(path, true);
            db.execute(QStringLiteral("CREATE TABLE Security (SecurityId INTEGER)"));
        }
        try {
            DatabaseSchema::ensure(path);
            QFAIL("no error");
        } catch (const StoreError& error) {
            QVERIFY(error.message().contains(QStringLiteral("Personal Information")));
        }
        Database db(path);
        QCOMPARE(SchemaCatalog(db).tables(), QStringList{QStringLiteral("Security")});
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
