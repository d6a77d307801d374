#include "FirstSchema.h"

#include "store/Database.h"
#include "store/DatabaseSchema.h"
#include "store/SchemaUpgrade.h"
#include "store/Statement.h"
#include "store/StoreError.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList indexColumns(const Database& db, const QString& index)
{
    QStringList columns;
    Statement statement = db.prepare(QStringLiteral("SELECT name FROM pragma_index_info(?) ORDER BY seqno"));
    statement.bindAll({index});
    while (statement.step())
        columns.append(statement.value(0).toString());
    return columns;
}

// The columns of the attachments index of the current schema.
QStringList currentAttachmentsIndex()
{
    return {QStringLiteral("PersonalInformationId"), QStringLiteral("AttachmentsName"),
            QStringLiteral("AttachmentVersion")};
}

// How the engine finds the rows of `sql`: the details of its query plan, one line per step.
QString queryPlan(const Database& db, const QString& sql)
{
    Statement statement = db.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    statement.bindAll({7});
    QStringList details;
    while (statement.step())
        details.append(statement.value(3).toString());
    return details.join(QLatin1Char('\n'));
}

// Tabs designed with the first release: their tables had no index on the client.
const QStringList DesignedTabs = {QStringLiteral("Extra"), QStringLiteral("Extra by client")};

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

} // namespace

class TestSchemaUpgrade : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void newDatabaseIsAtTheCurrentVersion()
    {
        DatabaseSchema::ensure(path());
        Database db(path());
        QCOMPARE(SchemaUpgrade::version(db), SchemaUpgrade::currentVersion());
        QCOMPARE(indexColumns(db, QStringLiteral("AttachmentsClient")), currentAttachmentsIndex());
    }

    // A file of the first release gains what later builds added, and keeps its rows.
    void firstReleaseFileIsUpgradedAtStart()
    {
        makeFirstReleaseFile();
        DatabaseSchema::ensure(path());
        Database db(path());
        QCOMPARE(SchemaUpgrade::version(db), SchemaUpgrade::currentVersion());
        QCOMPARE(indexColumns(db, QStringLiteral("AttachmentsClient")), currentAttachmentsIndex());
        QCOMPARE(db.scalar(QStringLiteral("SELECT AttachmentsName FROM Attachments WHERE PersonalInformationId = 7"))
                     .toString(),
                 QStringLiteral("kept.txt"));
        // A designed tab's row of one client is found through an index, not by reading the table.
        for (const QString& tab : DesignedTabs) {
            const QString read = QStringLiteral("SELECT * FROM \"%1\" WHERE PersonalInformationId = ?").arg(tab);
            const QString plan = queryPlan(db, read);
            QVERIFY2(plan.contains(QStringLiteral("USING INDEX")), qPrintable(tab + QStringLiteral(": ") + plan));
            QCOMPARE(db.scalar(read, {7}).toInt(), 1);
        }
        // The next start finds nothing to do.
        QCOMPARE(SchemaUpgrade::upgrade(db), SchemaUpgrade::currentVersion());
    }

    // A step that fails undoes the steps before it: the file is left at its old version.
    void failedStepLeavesTheFileAsItWas()
    {
        makeFirstReleaseFile();
        const std::vector<SchemaUpgrade::Step> steps = {
            {1,
             [](const Database& db) { db.execute(QStringLiteral("CREATE INDEX Added ON Resources (ObjectIndex)")); }},
            {2, [](const Database&) { throw StoreError(QStringLiteral("interrupted on purpose")); }},
        };
        Database db(path());
        QVERIFY_THROWS_EXCEPTION(StoreError, SchemaUpgrade::upgrade(db, steps));
        QCOMPARE(SchemaUpgrade::version(db), 0);
        QVERIFY(indexColumns(db, QStringLiteral("Added")).isEmpty());
        QVERIFY(!db.inTransaction());
        // Once the step works, the file is brought to the last version.
        const std::vector<SchemaUpgrade::Step> mended = {steps.front(), {2, [](const Database&) {}}};
        QCOMPARE(SchemaUpgrade::upgrade(db, mended), 0);
        QCOMPARE(SchemaUpgrade::version(db), 2);
        QCOMPARE(indexColumns(db, QStringLiteral("Added")), QStringList{QStringLiteral("ObjectIndex")});
    }

    // A file from a newer build is refused and not written at all.
    void newerFileIsRefusedUntouched()
    {
        DatabaseSchema::ensure(path());
        {
            Database db(path());
            SchemaUpgrade::setVersion(db, SchemaUpgrade::currentVersion() + 1);
        }
        const QByteArray before = fileHash(path());
        try {
            DatabaseSchema::ensure(path());
            QFAIL("a newer file was accepted");
        } catch (const StoreError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("newer version of Orvanta")), qPrintable(error.message()));
            QVERIFY(!error.message().contains(QStringLiteral("damaged")));
        }
        QCOMPARE(fileHash(path()), before);
    }

private:
    QString path() const { return m_dir->filePath(QStringLiteral("Dravolin.mdb")); }

    void makeFirstReleaseFile() const
    {
        Database db(path(), true);
        db.executeScript(QString::fromLatin1(FirstSchemaTables));
        db.execute(QStringLiteral("INSERT INTO Attachments (PersonalInformationId, AttachmentsName, AttachmentVersion) "
                                  "VALUES (7, 'kept.txt', 1)"));
        // Designed tabs as the first release's designer made them; the second one's name is
        // the one an index of the first would get.
        for (const QString& tab : DesignedTabs) {
            db.executeScript(QStringLiteral("CREATE TABLE \"%1\" (\"%1Id\" INTEGER PRIMARY KEY AUTOINCREMENT, "
                                            "PersonalInformationId INTEGER, \"%1Date\" DATE, Note TEXT)")
                                 .arg(tab));
            db.execute(QStringLiteral("INSERT INTO TabInfo (TabNam, TabDescription) VALUES (?, ?)"), {tab, tab});
            db.execute(QStringLiteral("INSERT INTO \"%1\" (PersonalInformationId, Note) VALUES (7, 'x')").arg(tab));
        }
        QCOMPARE(SchemaUpgrade::version(db), 0);
        QCOMPARE(indexColumns(db, QStringLiteral("AttachmentsClient")),
                 QStringList{QStringLiteral("PersonalInformationId")});
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestSchemaUpgrade)
#include "tst_SchemaUpgrade.moc"
