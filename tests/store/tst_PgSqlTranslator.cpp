#include "store/PgSqlTranslator.h"

#include <QTest>

// The program's SQL, read as SQLite reads it, means the same once translated for the server.
class TestPgSqlTranslator : public QObject
{
    Q_OBJECT

private:
    static PgSqlTranslator::Names names()
    {
        PgSqlTranslator::Names names;
        for (const char* name : {"Personal Information", "Last Name", "PersonalInformationId", "Active", "Security",
                                 "SecurityId", "UserName", "What?", "Notes", "notes"})
            names.spellings[QString::fromLatin1(name).toLower()].append(QString::fromLatin1(name));
        names.caselessColumns = {QStringLiteral("last name"), QStringLiteral("personal information.last name")};
        names.keyOf.insert(QStringLiteral("security"), QStringLiteral("SecurityId"));
        names.keyOf.insert(QStringLiteral("personal information"), QStringLiteral("PersonalInformationId"));
        return names;
    }

private slots:
    void translates_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("parameters");

        QTest::newRow("placeholders in order, not inside literals or names")
            << "SELECT username FROM security WHERE SecurityId = ? AND UserName <> '?' AND \"What?\" = ?"
            << "SELECT \"UserName\" FROM \"Security\" WHERE \"SecurityId\" = $1 AND \"UserName\" <> '?' AND "
               "\"What?\" = $2"
            << 2;
        QTest::newRow("brackets and any case of a quoted name")
            << "SELECT [personal information].[last NAME] FROM \"PERSONAL INFORMATION\""
            << "SELECT \"Personal Information\".\"Last Name\" FROM \"Personal Information\"" << 0;
        QTest::newRow("keywords, functions and unknown names stay")
            << "SELECT count(*) AS first FROM Notes ORDER BY first"
            << "SELECT count(*) AS first FROM \"Notes\" ORDER BY first" << 0;
        QTest::newRow("a name stored in two spellings keeps the one written") << "SELECT \"notes\" FROM \"Notes\""
                                                                              << "SELECT \"notes\" FROM \"Notes\"" << 0;
        QTest::newRow("LIKE ignores the case of A to Z")
            << "SELECT 1 FROM Security WHERE UserName LIKE ? ESCAPE '\\'"
            << "SELECT 1 FROM \"Security\" WHERE \"UserName\" ILIKE $1 ESCAPE '\\'" << 1;
        QTest::newRow("a caseless column compares through lower()")
            << "SELECT 1 FROM [Personal Information] WHERE \"Last Name\" LIKE ? AND Active = ? AND [Last Name] = 'x'"
            << "SELECT 1 FROM \"Personal Information\" WHERE lower(\"Last Name\") LIKE lower($1) AND \"Active\" = $2 "
               "AND lower(\"Last Name\") = lower('x')"
            << 2;
        QTest::newRow("a caseless column sorts through lower()")
            << "SELECT 1 FROM \"Personal Information\" ORDER BY \"Personal Information\".\"Last Name\" DESC NULLS "
               "LAST, PersonalInformationId"
            << "SELECT 1 FROM \"Personal Information\" ORDER BY lower(\"Personal Information\".\"Last Name\") DESC "
               "NULLS LAST, \"PersonalInformationId\""
            << 0;
        QTest::newRow("an insert into a keyed table returns its key")
            << "INSERT INTO Security (UserName) VALUES (?);"
            << "INSERT INTO \"Security\" (\"UserName\") VALUES ($1) RETURNING \"SecurityId\"" << 1;
        QTest::newRow("an insert into a table without a key returns nothing")
            << "INSERT INTO Notes DEFAULT VALUES"
            << "INSERT INTO \"Notes\" DEFAULT VALUES" << 0;
        QTest::newRow("comments and literals are left as they are")
            << "SELECT 'it''s [x] \"y\"' -- security ?\nFROM security"
            << "SELECT 'it''s [x] \"y\"' -- security ?\nFROM \"Security\"" << 0;
    }

    void translates()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QFETCH(int, parameters);
        const PgSqlTranslator::Result result = PgSqlTranslator::translate(sql, names());
        QCOMPARE(result.sql, expected);
        QCOMPARE(result.parameters, parameters);
    }
};

QTEST_GUILESS_MAIN(TestPgSqlTranslator)
#include "tst_PgSqlTranslator.moc"
