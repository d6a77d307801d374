#include "DatabaseRows.h"
#include "TestDatabaseFolder.h"
#include "clients/ClientDocuments.h"
#include "clients/ClientGroups.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/Statement.h"

#include <QRegularExpression>
#include <QTest>

namespace {

SortClause sortedBy(const QString& key)
{
    SortClause sort;
    if (!key.isEmpty())
        sort.click(key);
    return sort;
}

// PostgreSQL's plan of `sql`, as text. Its planner weighs the table's statistics, so the
// tables first hold enough rows, of enough clients and groups, for an index to pay.
QString serverPlan(const QString& sql, const QVariantList& params)
{
    Database db(CLsDataBaseConnection::databasePath());
    if (db.scalar(QStringLiteral("SELECT count(*) FROM Attachments")).toInt() == 0) {
        db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"Last Name\", Company, City, Active) "
                                  "SELECT chr(65 + n % 26) || n, chr(65 + n % 26) || n, 'City ' || n % 50, 1 "
                                  "FROM generate_series(1, 20000) AS n"));
        db.execute(QStringLiteral("INSERT INTO Attachments (PersonalInformationId, AttachmentsName, AttachmentVersion) "
                                  "SELECT n % 2000 + 1, 'doc' || n, 1 FROM generate_series(1, 20000) AS n"));
        db.execute(QStringLiteral("VACUUM ANALYZE"));
    }
    QStringList lines;
    Statement plan = db.prepare(QStringLiteral("EXPLAIN (FORMAT TEXT) ") + sql);
    plan.bindAll(params);
    while (plan.step())
        lines.append(plan.value(0).toString());
    return lines.join(QLatin1Char('\n'));
}

// A whole-table read of the clients or their documents.
const QRegularExpression SeqScanOfABigTable(QStringLiteral("Seq Scan on \"(Personal Information|Attachments)\""));

} // namespace

// The statements a user waits for (the explorer, the attachments tab) are answered from an
// index: a group of a million clients, or one client of many documents, is read from its part
// of the index, never by reading the whole table.
class TestClientStatements : public QObject
{
    Q_OBJECT

private slots:
    void statementsUseIndexes_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("sortedByIndex");
        QTest::addColumn<QVariantList>("params");
        const QVariantList group{ClientGroups::pattern(QStringLiteral("S"))};
        const QVariantList client{7};
        QTest::newRow("count, by last name") << ClientGroups::countStatement(false) << false << group;
        QTest::newRow("count, by company") << ClientGroups::countStatement(true) << false << group;
        QTest::newRow("list, by last name") << ClientGroups::clientListStatement(false, SortClause()) << false << group;
        QTest::newRow("list, by company") << ClientGroups::clientListStatement(true, SortClause()) << false << group;
        QTest::newRow("list, by last name, sorted by it")
            << ClientGroups::clientListStatement(false, sortedBy(QStringLiteral("\"Last Name\""))) << true << group;
        QTest::newRow("list, by last name, sorted by city")
            << ClientGroups::clientListStatement(false, sortedBy(QStringLiteral("City"))) << false << group;
        // The record window's attachments tab, for a client with thousands of documents.
        QTest::newRow("attachments, every version") << ClientDocuments::listStatement(false) << false << client;
        QTest::newRow("attachments, current versions") << ClientDocuments::listStatement(true) << false << client;
    }

    void statementsUseIndexes()
    {
        QFETCH(QString, sql);
        QFETCH(bool, sortedByIndex);
        QFETCH(QVariantList, params);
        TestDatabaseFolder folder;
        if (PgTestDatabase::wanted()) {
            const QString plan = serverPlan(sql, params);
            QVERIFY2(plan.contains(QStringLiteral("Index")), qPrintable(plan));
            QVERIFY2(!plan.contains(SeqScanOfABigTable), qPrintable(plan));
            // The group's rows, found through the index, may still be sorted after: what matters
            // is that the table is never read whole.
            return;
        }
        const QString plan = DatabaseRows::queryPlan(sql, params);
        QVERIFY2(plan.contains(QStringLiteral("USING INDEX")) || plan.contains(QStringLiteral("USING COVERING INDEX")),
                 qPrintable(plan));
        QVERIFY2(!plan.contains(QRegularExpression(QStringLiteral("SCAN (\"Personal Information\"|Personal "
                                                                  "Information|Attachments)(\\s|$)"))),
                 qPrintable(plan));
        if (sortedByIndex)
            QVERIFY2(!plan.contains(QStringLiteral("TEMP B-TREE")), qPrintable(plan));
    }

    // Listing a client's documents never reads the documents: every row the list shows
    // would otherwise carry its whole value through the statement's sort.
    void attachmentListsLeaveTheDocumentsUnread()
    {
        TestDatabaseFolder folder;
        CLsDataBaseConnection connection;
        for (const bool currentOnly : {false, true}) {
            const Statement list = connection.database().prepare(ClientDocuments::listStatement(currentOnly));
            for (int column = 0; column < list.columnCount(); ++column)
                QVERIFY2(list.columnOriginName(column) != QLatin1String("Attachments"),
                         qPrintable(ClientDocuments::listStatement(currentOnly)));
        }
        connection.DbClose();
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
        QTest::newRow("clients, by last name") << ClientGroups::clientRowsStatement(false, 3)
                                               << QVariantList{1, 2, 3, pattern} << "USING INTEGER PRIMARY KEY";
        QTest::newRow("clients, by company") << ClientGroups::clientRowsStatement(true, 3)
                                             << QVariantList{1, 2, 3, pattern} << "USING INTEGER PRIMARY KEY";
    }

    void sliceStatementsUseIndexes()
    {
        QFETCH(QString, sql);
        QFETCH(QVariantList, params);
        QFETCH(QString, access);
        TestDatabaseFolder folder;
        if (PgTestDatabase::wanted()) {
            const QString plan = serverPlan(sql, params);
            QVERIFY2(plan.contains(QStringLiteral("Index")), qPrintable(plan));
            QVERIFY2(!plan.contains(SeqScanOfABigTable), qPrintable(plan));
            return;
        }
        const QString plan = DatabaseRows::queryPlan(sql, params);
        QVERIFY2(plan.contains(access), qPrintable(plan));
        QVERIFY2(!plan.contains(QStringLiteral("TEMP B-TREE")), qPrintable(plan));
    }
};

QTEST_GUILESS_MAIN(TestClientStatements)
#include "tst_ClientStatements.moc"
