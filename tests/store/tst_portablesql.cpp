// Statements the program writes in SQLite's SQL give the same answers on either engine.

#include "TestDatabaseFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/Recordset.h"

#include <QTest>

class TestPortableSql : public QObject
{
    Q_OBJECT

private slots:
    // A column that compares without regard to case is still assigned as it is by SET, also
    // beside other assignments and a comparison of the same column.
    void setAssignsCaselessColumns_data()
    {
        QTest::addColumn<QString>("update");
        QTest::addColumn<QVariantList>("params");
        QTest::newRow("a literal") << "UPDATE \"Personal Information\" SET \"Last Name\" = 'Td' WHERE \"Last Name\" = "
                                      "'sd'"
                                   << QVariantList{};
        QTest::newRow("a parameter") << "UPDATE \"Personal Information\" SET \"Last Name\" = ? WHERE \"Last Name\" = ?"
                                     << QVariantList{QStringLiteral("Td"), QStringLiteral("SD")};
        QTest::newRow("after another") << "UPDATE \"Personal Information\" SET City = 'x', \"Last Name\" = ?, "
                                          "Company = 'Td' WHERE \"Last Name\" = 'Sd'"
                                       << QVariantList{QStringLiteral("Td")};
    }

    void setAssignsCaselessColumns()
    {
        QFETCH(QString, update);
        QFETCH(QVariantList, params);
        TestDatabaseFolder folder;
        Database db(folder.location());
        db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"Last Name\", Company) VALUES ('Sd', 'C')"));
        QCOMPARE(db.execute(update, params), 1);
        QCOMPARE(db.scalar(QStringLiteral("SELECT \"Last Name\" FROM \"Personal Information\"")).toString(),
                 QStringLiteral("Td"));
    }

    // Bytes bound to a long-binary column are stored as its value, written by INSERT or SET;
    // no value stays none.
    void bytesBoundToALongBinaryColumnAreStored_data()
    {
        QTest::addColumn<QString>("write");
        QTest::addColumn<QVariantList>("params");
        QTest::addColumn<QVariant>("stored");
        const QByteArray bytes("\0bytes\xff", 7);
        QTest::newRow("insert") << "INSERT INTO Attachments (PersonalInformationId, Attachments, AttachmentsName) "
                                   "VALUES (?, ?, 'b')"
                                << QVariantList{2, bytes} << QVariant(bytes);
        QTest::newRow("insert, none") << "INSERT INTO Attachments (Attachments, PersonalInformationId) VALUES (?, 2)"
                                      << QVariantList{QVariant()} << QVariant();
        QTest::newRow("set") << "UPDATE Attachments SET AttachmentsName = 'b', Attachments = ? WHERE "
                                "PersonalInformationId = ?"
                             << QVariantList{bytes, 1} << QVariant(bytes);
        QTest::newRow("set, none") << "UPDATE Attachments SET Attachments = ?" << QVariantList{QVariant()}
                                   << QVariant();
    }

    void bytesBoundToALongBinaryColumnAreStored()
    {
        QFETCH(QString, write);
        QFETCH(QVariantList, params);
        QFETCH(QVariant, stored);
        TestDatabaseFolder folder;
        {
            Database db(folder.location());
            db.execute(QStringLiteral("INSERT INTO Attachments (PersonalInformationId, Attachments) VALUES (1, "
                                      "longbinary('old'))"));
            db.execute(write, params);
        }
        CLsDataBaseConnection connection;
        Recordset rs =
            connection.CreateRecordset(QStringLiteral("SELECT * FROM Attachments ORDER BY PersonalInformationId DESC"));
        QCOMPARE(rs.field(QStringLiteral("Attachments")), stored);
    }
};

QTEST_GUILESS_MAIN(TestPortableSql)
#include "tst_portablesql.moc"
