#include "DatabaseRows.h"
#include "TestDatabaseFolder.h"
#include "clients/ClientGroups.h"

#include <QTest>

namespace {

SortClause sortedBy(const QString& key)
{
    SortClause sort;
    if (!key.isEmpty())
        sort.click(key);
    return sort;
}

} // namespace

// The statements a user waits for in the explorer are answered from an index: a group of a
// million clients is read from its part of the index, never by reading the whole table.
class TestClientStatements : public QObject
{
    Q_OBJECT

private slots:
    void explorerStatementsUseIndexes_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("sortedByIndex");
        QTest::newRow("count, by last name") << ClientGroups::countStatement(false) << false;
        QTest::newRow("count, by company") << ClientGroups::countStatement(true) << false;
        QTest::newRow("list, by last name") << ClientGroups::clientListStatement(false, SortClause()) << false;
        QTest::newRow("list, by company") << ClientGroups::clientListStatement(true, SortClause()) << false;
        QTest::newRow("list, by last name, sorted by it")
            << ClientGroups::clientListStatement(false, sortedBy(QStringLiteral("\"Last Name\""))) << true;
        QTest::newRow("list, by last name, sorted by city")
            << ClientGroups::clientListStatement(false, sortedBy(QStringLiteral("City"))) << false;
    }

    void explorerStatementsUseIndexes()
    {
        QFETCH(QString, sql);
        QFETCH(bool, sortedByIndex);
        TestDatabaseFolder folder;
        const QString plan = DatabaseRows::queryPlan(sql, {ClientGroups::pattern(QStringLiteral("S"))});
        QVERIFY2(plan.contains(QStringLiteral("USING INDEX")) || plan.contains(QStringLiteral("USING COVERING INDEX")),
                 qPrintable(plan));
        QVERIFY2(!plan.contains(QStringLiteral("SCAN \"Personal Information\"")) &&
                     !plan.contains(QStringLiteral("SCAN Personal Information")),
                 qPrintable(plan));
        if (sortedByIndex)
            QVERIFY2(!plan.contains(QStringLiteral("TEMP B-TREE")), qPrintable(plan));
    }
};

QTEST_GUILESS_MAIN(TestClientStatements)
#include "tst_ClientStatements.moc"
