// Statements the program writes in SQLite's SQL give the same answers on either engine.

#include "TestDatabaseFolder.h"
#include "store/Database.h"

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
};

QTEST_GUILESS_MAIN(TestPortableSql)
#include "tst_portablesql.moc"
