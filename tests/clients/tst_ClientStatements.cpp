#include "TestDatabaseFolder.h"
#include "clients/ClientGroups.h"
#include "store/Database.h"
#include "store/Statement.h"

#include <QTest>

namespace {

// The details of the engine's query plan for `sql`, one line per step.
QString queryPlan(const QString& sql, const QVariantList& params)
{
    Database db(CLsDataBaseConnection::databasePath());
    Statement statement = db.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    statement.bindAll(params);
    QStringList details;
    while (statement.step())
        details.append(statement.value(3).toString());
    return details.join(QLatin1Char('\n'));
}

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
        const QString plan = queryPlan(sql, {ClientGroups::pattern(QStringLiteral("S"))});
        QVERIFY2(plan.contains(QStringLiteral("USING INDEX")) || plan.contains(QStringLiteral("USING COVERING INDEX")),
                 qPrintable(plan));
        QVERIFY2(!plan.contains(QStringLiteral("SCAN \"Personal Information\"")) &&
                     !plan.contains(QStringLiteral("SCAN Personal Information")),
                 qPrintable(plan));
        if (sortedByIndex)
            QVERIFY2(!plan.contains(QStringLiteral("TEMP B-TREE")), qPrintable(plan));
    }

    // A list read in slices: the group's identifiers come from its index alone, already in
    // order, and each slice finds its clients by identifier.
    void sliceStatementsUseIndexes_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("params");
        QTest::addColumn<QString>("access");
        const QString pattern = ClientGroups::pattern(QStringLiteral("S"));
        QTest::newRow("identifiers, by last name")
            << ClientGroups::clientIdStatement(false) << QVariantList{pattern} << "USING COVERING INDEX";
        QTest::newRow("identifiers, by company")
            << ClientGroups::clientIdStatement(true) << QVariantList{pattern} << "USING COVERING INDEX";
        QTest::newRow("one client, by last name")
            << ClientGroups::clientRowStatement(false) << QVariantList{1, pattern} << "USING INTEGER PRIMARY KEY";
        QTest::newRow("one client, by company")
            << ClientGroups::clientRowStatement(true) << QVariantList{1, pattern} << "USING INTEGER PRIMARY KEY";
    }

    void sliceStatementsUseIndexes()
    {
        QFETCH(QString, sql);
        QFETCH(QVariantList, params);
        QFETCH(QString, access);
        TestDatabaseFolder folder;
        const QString plan = queryPlan(sql, params);
        QVERIFY2(plan.contains(access), qPrintable(plan));
        QVERIFY2(!plan.contains(QStringLiteral("TEMP B-TREE")), qPrintable(plan));
    }
};

QTEST_GUILESS_MAIN(TestClientStatements)
#include "tst_ClientStatements.moc"
