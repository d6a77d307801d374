#include "TestDatabaseFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/Savepoint.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QTest>

// A savepoint undoes the work done after it, and only that work, while the transaction goes on.
class TestSavepoint : public QObject
{
    Q_OBJECT

private:
    static void addNode(const Database& db, const QString& name)
    {
        db.execute(QStringLiteral("INSERT INTO NodeInformation (NodeName, NodeActive) VALUES (?, 0)"), {name});
    }

    // The names of the nodes the test added, in the order they were added.
    static QStringList addedNodes(const Database& db)
    {
        Statement nodes = db.prepare(QStringLiteral("SELECT NodeName FROM NodeInformation WHERE NodeActive = 0 "
                                                    "ORDER BY NodeName"));
        QStringList names;
        while (nodes.step())
            names.append(nodes.value(0).toString());
        return names;
    }

private slots:
    void keepsOrUndoesTheWorkAfterIt_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("released") << "release" << QStringList{"1 before", "2 after", "3 later"};
        QTest::newRow("rolled back") << "rollback" << QStringList{"1 before", "3 later"};
        QTest::newRow("left") << "destroy" << QStringList{"1 before", "3 later"};
    }

    void keepsOrUndoesTheWorkAfterIt()
    {
        QFETCH(QString, ending);
        QFETCH(QStringList, kept);
        TestDatabaseFolder folder;
        const Database db(CLsDataBaseConnection::databasePath());
        {
            Transaction transaction(db);
            addNode(db, QStringLiteral("1 before"));
            {
                Savepoint savepoint(db);
                addNode(db, QStringLiteral("2 after"));
                if (ending == QLatin1String("release"))
                    savepoint.release();
                else if (ending == QLatin1String("rollback"))
                    QVERIFY(savepoint.rollback());
            }
            addNode(db, QStringLiteral("3 later"));
            transaction.commit();
        }
        QCOMPARE(addedNodes(db), kept);
    }

    void failedStatementIsUndoneAndTheTransactionGoesOn()
    {
        TestDatabaseFolder folder;
        const Database db(CLsDataBaseConnection::databasePath());
        Transaction transaction(db);
        addNode(db, QStringLiteral("1 before"));
        {
            Savepoint savepoint(db);
            addNode(db, QStringLiteral("2 after"));
            QVERIFY_THROWS_EXCEPTION(StoreError, db.execute(QStringLiteral("INSERT INTO NoSuchTable VALUES (1)")));
            QVERIFY(savepoint.rollback());
        }
        addNode(db, QStringLiteral("3 later"));
        transaction.commit();
        QCOMPARE(addedNodes(db), QStringList({"1 before", "3 later"}));
    }

    void nestedSavepointsHaveNamesOfTheirOwn()
    {
        TestDatabaseFolder folder;
        const Database db(CLsDataBaseConnection::databasePath());
        Transaction transaction(db);
        {
            Savepoint outer(db);
            addNode(db, QStringLiteral("1 outer"));
            {
                Savepoint inner(db);
                QVERIFY(inner.name() != outer.name());
                addNode(db, QStringLiteral("2 inner"));
                QVERIFY(inner.rollback());
            }
            Savepoint second(db);
            QVERIFY(second.name() != outer.name());
            addNode(db, QStringLiteral("3 second"));
            second.release();
            outer.release();
        }
        transaction.commit();
        QCOMPARE(addedNodes(db), QStringList({"1 outer", "3 second"}));
    }

    // When the engine gives up the whole transaction after a failure, the savepoint went with
    // it: nothing done in the transaction is kept, and the savepoint says so.
    void transactionGivenUpLeavesNothingToGoBackTo()
    {
        TestDatabaseFolder folder;
        const Database db(CLsDataBaseConnection::databasePath());
        {
            Transaction transaction(db);
            addNode(db, QStringLiteral("1 before"));
            Savepoint savepoint(db);
            addNode(db, QStringLiteral("2 after"));
            db.executeScript(QStringLiteral("ROLLBACK"));
            QVERIFY(!savepoint.rollback());
        }
        QVERIFY(addedNodes(db).isEmpty());
    }

    void needsATransaction()
    {
        TestDatabaseFolder folder;
        const Database db(CLsDataBaseConnection::databasePath());
        QVERIFY_THROWS_EXCEPTION(StoreError, Savepoint{db});
        QVERIFY(!db.inTransaction());
    }
};

QTEST_GUILESS_MAIN(TestSavepoint)
#include "tst_Savepoint.moc"
