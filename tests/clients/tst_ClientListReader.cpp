#include "TestDatabaseFolder.h"
#include "clients/ClientGroups.h"
#include "clients/ClientListModel.h"
#include "clients/ClientListReader.h"
#include "store/Database.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QTest>

namespace {

struct Listed
{
    QList<qint64> ids;
    QStringList cells; // "null" or "'text'" per cell, row by row

    bool operator==(const Listed&) const = default;
};

void add(Listed& listed, const ClientListRows& rows)
{
    for (int row = 0; row < rows.rowCount(); ++row) {
        listed.ids.append(rows.id(row));
        for (int column = 0; column < rows.width(); ++column)
            listed.cells.append(rows.isNull(row, column)
                                    ? QStringLiteral("null")
                                    : QLatin1Char('\'') + rows.text(row, column) + QLatin1Char('\''));
    }
}

// The group as the engine lists it with one statement, read to its end.
Listed engineList(bool byCompany, const QString& group, const SortClause& sort)
{
    CLsDataBaseConnection connection;
    Statement statement = connection.database().prepare(ClientGroups::clientListStatement(byCompany, sort));
    statement.bind(1, ClientGroups::pattern(group));
    ClientListRows rows(static_cast<int>(ClientListModel::clientColumns().size()), true);
    while (statement.step())
        rows.appendRow(statement);
    Listed listed;
    add(listed, rows);
    return listed;
}

Listed readAll(ClientListReader& reader)
{
    Listed listed;
    while (!reader.atEnd())
        add(listed, reader.next());
    return listed;
}

void addClient(const Database& db, const QVariantList& values)
{
    db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (Company, \"First Name\", \"Middle Name\", "
                              "\"Last Name\", \"Address One\", City, \"Home Phone Number\", \"Work Phone Number\", "
                              "\"Cell Phone Number\", Active) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
               values);
}

// Clients whose every column has equal values, nulls, empty texts, values differing only in
// case (A to Z and beyond) and non-letters, in and out of the groups "s" and "q".
void addMixedClients()
{
    const QVariantList values = {QVariant(),           QString(),
                                 QStringLiteral("a"),  QStringLiteral("A"),
                                 QStringLiteral("b"),  QStringLiteral("B"),
                                 QStringLiteral("ab"), QStringLiteral("aB"),
                                 QStringLiteral("é"),  QStringLiteral("É"),
                                 QStringLiteral("z"),  QStringLiteral("_"),
                                 QStringLiteral("1"),  QStringLiteral("10"),
                                 QStringLiteral("9")};
    const QStringList names = {QStringLiteral("S"),     QStringLiteral("s"),     QStringLiteral("Sa"),
                               QStringLiteral("sa"),    QStringLiteral("SA"),    QStringLiteral("Sb"),
                               QStringLiteral("smith"), QStringLiteral("SMITH"), QStringLiteral("Sé"),
                               QStringLiteral("s%"),    QStringLiteral("T"),     QStringLiteral("R")};
    CLsDataBaseConnection connection;
    const Database& db = connection.database();
    Transaction transaction(db);
    quint32 seed = 7;
    const auto pick = [&seed](qsizetype count) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<qsizetype>((seed >> 16) % static_cast<quint32>(count));
    };
    for (int i = 0; i < 600; ++i) {
        QVariantList row;
        row.append(names.at(pick(names.size()))); // Company
        for (int c = 1; c < 9; ++c)
            row.append(c == 3 ? QVariant(names.at(pick(names.size()))) : values.at(pick(values.size())));
        row.append(pick(4) == 0 ? 0 : 1); // Active
        addClient(db, row);
    }
    transaction.commit();
}

// The values the rows are in order of, row by row: the column's cells, A to Z folded for a
// column that compares without regard to case, no value before any text.
QStringList orderKeys(const Listed& listed, int column)
{
    const auto width = ClientListModel::clientColumns().size();
    const bool caseless = column <= 3; // Company and the three names
    QStringList keys;
    for (qsizetype cell = column; cell < listed.cells.size(); cell += width) {
        const QString& text = listed.cells.at(cell);
        QString key = text == QLatin1String("null") ? QString() : QLatin1Char(' ') + text.mid(1).chopped(1);
        for (QChar& c : key) {
            if (caseless && c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                c = QChar(c.unicode() + 32);
        }
        keys.append(key);
    }
    return keys;
}

// The rows, each with its identifier, in no particular order.
QStringList rowSet(const Listed& listed)
{
    const auto width = ClientListModel::clientColumns().size();
    QStringList rows;
    for (qsizetype row = 0; row < listed.ids.size(); ++row)
        rows.append(QString::number(listed.ids.at(row)) + QLatin1Char(' ') +
                    listed.cells.mid(row * width, width).join(QLatin1Char(' ')));
    rows.sort();
    return rows;
}

SortClause sortedBy(int column, bool descending)
{
    SortClause sort;
    if (column >= 0) {
        const QString key = QStringLiteral("\"%1\"").arg(ClientListModel::clientColumns().at(column).field);
        sort.click(key);
        if (descending)
            sort.click(key);
    }
    return sort;
}

} // namespace

// The list of a group read in slices holds what the engine's one statement returns, in its
// order, and lets writers in between slices.
class TestClientListReader : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatTheEngineLists_data()
    {
        QTest::addColumn<bool>("byCompany");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<int>("sliceRows");
        const QList<ClientListModel::Column>& columns = ClientListModel::clientColumns();
        for (const bool byCompany : {false, true}) {
            const char* grouping = byCompany ? "by company" : "by last name";
            QTest::addRow("%s, unsorted", grouping) << byCompany << "s" << -1 << false << 7;
            QTest::addRow("%s, unsorted, one slice", grouping) << byCompany << "s" << -1 << false << 100000;
            QTest::addRow("%s, unsorted, a row a slice", grouping) << byCompany << "S" << -1 << false << 1;
            QTest::addRow("%s, empty group", grouping) << byCompany << "q" << -1 << false << 7;
            for (int column = 0; column < columns.size(); ++column) {
                for (const bool descending : {false, true}) {
                    QTest::addRow("%s, by %s %s", grouping, qPrintable(columns.at(column).header),
                                  descending ? "descending" : "ascending")
                        << byCompany << "s" << column << descending << 7;
                }
            }
        }
    }

    void readsWhatTheEngineLists()
    {
        QFETCH(bool, byCompany);
        QFETCH(QString, group);
        QFETCH(int, column);
        QFETCH(bool, descending);
        QFETCH(int, sliceRows);
        TestDatabaseFolder folder;
        addMixedClients();
        const SortClause sort = sortedBy(column, descending);

        ClientListReader reader(byCompany, group, sort, sliceRows);
        const Listed expected = engineList(byCompany, group, sort);
        QCOMPARE(expected.ids.isEmpty(), group == QLatin1String("q"));
        if (!PgTestDatabase::wanted()) {
            QCOMPARE(readAll(reader), expected);
            return;
        }
        // PostgreSQL's sort leaves rows of equal values in no particular order, and without a
        // sort its rows come in no particular order at all: the same rows, in order of the
        // sorted column, or of the grouping column unsorted.
        const Listed listed = readAll(reader);
        QCOMPARE(rowSet(listed), rowSet(expected));
        if (column >= 0) {
            QCOMPARE(orderKeys(listed, column), orderKeys(expected, column));
        } else {
            const QStringList keys = orderKeys(listed, byCompany ? 0 : 3);
            QStringList sorted = keys;
            sorted.sort();
            QCOMPARE(keys, sorted);
        }
    }

    void rowsComeInOrderUnlessSortedByAnotherColumn_data()
    {
        QTest::addColumn<bool>("byCompany");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("inOrder");
        QTest::newRow("unsorted") << false << -1 << true;
        QTest::newRow("by last name, sorted by last name") << false << 3 << true;
        QTest::newRow("by company, sorted by company") << true << 0 << true;
        QTest::newRow("by last name, sorted by company") << false << 0 << false;
        QTest::newRow("by company, sorted by city") << true << 5 << false;
    }

    void rowsComeInOrderUnlessSortedByAnotherColumn()
    {
        QFETCH(bool, byCompany);
        QFETCH(int, column);
        QFETCH(bool, inOrder);
        TestDatabaseFolder folder;
        addMixedClients();
        ClientListReader reader(byCompany, QStringLiteral("s"), sortedBy(column, false), 7);
        QCOMPARE(reader.readsInOrder(), inOrder);
        QCOMPARE(reader.next().rowCount(), inOrder ? 7 : 0);
        QVERIFY(!reader.atEnd());
    }

    void writersAreNotBlockedBetweenSlices()
    {
        TestDatabaseFolder folder;
        addMixedClients();
        ClientListReader reader(false, QStringLiteral("s"), SortClause(), 7);
        reader.next();
        QVERIFY(!reader.atEnd());

        // Another copy of the program writes at once, without waiting for the file.
        Database::setBusyTimeout(0);
        try {
            CLsDataBaseConnection other;
            other.Execute(QStringLiteral("UPDATE \"Personal Information\" SET City = 'Elsewhere'"));
        } catch (const StoreError& error) {
            Database::setBusyTimeout(-1);
            QFAIL(qPrintable(error.message()));
        }
        Database::setBusyTimeout(-1);
        reader.next();
        QVERIFY(!reader.atEnd());
    }

    void changesBetweenSlices_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("expectedLast"); // the last names listed, in order
        QTest::newRow("a later client deleted") << "DELETE FROM \"Personal Information\" WHERE \"Last Name\" = 'Sd'"
                                                << "Sa Sb Sc Se";
        QTest::newRow("a later client made inactive")
            << "UPDATE \"Personal Information\" SET Active = 0 WHERE \"Last Name\" = 'Sd'"
            << "Sa Sb Sc Se";
        QTest::newRow("a later client renamed out of the group")
            << "UPDATE \"Personal Information\" SET \"Last Name\" = 'Td' WHERE \"Last Name\" = 'Sd'"
            << "Sa Sb Sc Se";
        QTest::newRow("a later client renamed within the group")
            << "UPDATE \"Personal Information\" SET \"Last Name\" = 'Sz' WHERE \"Last Name\" = 'Sd'"
            << "Sa Sb Sc Sz Se";
        QTest::newRow("an earlier client renamed") << "UPDATE \"Personal Information\" SET \"Last Name\" = 'Sz' "
                                                      "WHERE \"Last Name\" = 'Sa'"
                                                   << "Sa Sb Sc Sd Se";
        QTest::newRow("a client added") << "INSERT INTO \"Personal Information\" (\"Last Name\") VALUES ('Sbb')"
                                        << "Sa Sb Sc Sd Se";
    }

    void changesBetweenSlices()
    {
        QFETCH(QString, change);
        QFETCH(QString, expectedLast);
        TestDatabaseFolder folder;
        {
            CLsDataBaseConnection connection;
            for (const char* last : {"Sa", "Sb", "Sc", "Sd", "Se"})
                addClient(connection.database(), {{}, {}, {}, QString::fromLatin1(last), {}, {}, {}, {}, {}, 1});
        }
        ClientListReader reader(false, QStringLiteral("S"), SortClause(), 2);
        Listed listed;
        add(listed, reader.next());
        CLsDataBaseConnection().Execute(change);
        while (!reader.atEnd())
            add(listed, reader.next());

        QStringList lastNames;
        for (qsizetype cell = 3; cell < listed.cells.size(); cell += 9)
            lastNames.append(listed.cells.at(cell).mid(1).chopped(1));
        QCOMPARE(lastNames.join(QLatin1Char(' ')), expectedLast);
    }

    void unknownSortKeyIsRefused()
    {
        TestDatabaseFolder folder;
        SortClause sort;
        sort.click(QStringLiteral("\"Job Title\""));
        QVERIFY_THROWS_EXCEPTION(StoreError, ClientListReader(false, QStringLiteral("S"), sort));
    }

    // Rows put in another order answer for their new places, also after more rows are added
    // to them or they are added to others.
    void reorderedRowsKeepTheirCells()
    {
        Database db(QStringLiteral(":memory:"), true);
        const auto rowsOf = [&db](const QString& values) {
            Statement statement = db.prepare(QStringLiteral("SELECT * FROM (VALUES ") + values + QLatin1Char(')'));
            ClientListRows rows(2, true);
            while (statement.step())
                rows.appendRow(statement);
            return rows;
        };
        ClientListRows first = rowsOf(QStringLiteral("(1, 'a', NULL), (2, 'bb', 'x'), (3, '', 'yy')"));
        first.reorder({2, 0, 1});
        Listed listed;
        add(listed, first);
        QCOMPARE(listed, (Listed{{3, 1, 2}, {"''", "'yy'", "'a'", "null", "'bb'", "'x'"}}));

        ClientListRows later = rowsOf(QStringLiteral("(4, 'd', 'z'), (5, NULL, 'w')"));
        later.reorder({1, 0});
        first.append(later);
        first.reorder({4, 0, 3, 1, 2});
        listed = {};
        add(listed, first);
        QCOMPARE(listed,
                 (Listed{{4, 3, 5, 1, 2}, {"'d'", "'z'", "''", "'yy'", "null", "'w'", "'a'", "null", "'bb'", "'x'"}}));

        ClientListRows plain = rowsOf(QStringLiteral("(6, 'f', 'v')"));
        plain.append(first);
        listed = {};
        add(listed, plain);
        QCOMPARE(listed.ids, (QList<qint64>{6, 4, 3, 5, 1, 2}));
        QCOMPARE(plain.text(2, 1), QStringLiteral("yy"));
    }
};

QTEST_GUILESS_MAIN(TestClientListReader)
#include "tst_ClientListReader.moc"
