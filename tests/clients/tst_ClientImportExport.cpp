#include "TestDatabaseFolder.h"
#include "clients/ClientExport.h"
#include "clients/ClientFields.h"
#include "clients/ClientImport.h"
#include "clients/ClientImportFile.h"
#include "clients/ClientRecord.h"
#include "clients/CsvReader.h"
#include "clients/ImportMapping.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/Identifier.h"
#include "store/SchemaCatalog.h"
#include "store/StoreError.h"

#include <QFile>
#include <QTest>
#include <numeric>

namespace {

const QString Billing = QStringLiteral("Billing Info");
const QString Notes = QStringLiteral("Notes, \"as said\"");

// A designed tab every client shows, made as the designer makes one: its definition rows and
// its table (a key, the client, the date, a text column per field). `fields` in display order.
void addTab(const Database& db, const QString& tab, const QStringList& fields, const QVariant& client = {})
{
    db.execute(QStringLiteral("INSERT INTO TabInfo (TabNam, TabDescription, PersonalInformationId) VALUES (?, ?, ?)"),
               {tab, tab, client});
    const qint64 tabId = db.lastInsertRowId();
    for (qsizetype i = 0; i < fields.size(); ++i)
        db.execute(QStringLiteral("INSERT INTO FieldInfo (TabId, FieldName, FieldDescription, labelLeft, labelTop, "
                                  "fieldLeft, fieldTop, fieldWidth, FieldDisplayOrder) VALUES (?, ?, ?, 0, 0, 0, 0, "
                                  "1000, ?)"),
                   {tabId, fields.at(i), fields.at(i), i + 1});
    std::vector<SchemaCatalog::ColumnInfo> columns(3);
    columns[0].name = QString(tab).remove(QLatin1Char(' ')) + QStringLiteral("Id");
    columns[0].type = QStringLiteral("INTEGER");
    columns[0].autoIncrement = true;
    columns[1].name = QStringLiteral("PersonalInformationId");
    columns[1].type = QStringLiteral("INTEGER");
    columns[2].name = QString(tab).remove(QLatin1Char(' ')) + QStringLiteral("Date");
    columns[2].type = QStringLiteral("DATE");
    for (const QString& field : fields) {
        SchemaCatalog::ColumnInfo column;
        column.name = field;
        column.type = QStringLiteral("TEXT");
        columns.push_back(column);
    }
    SchemaCatalog(db).createTable(tab, columns);
}

void addTabs()
{
    CLsDataBaseConnection connection;
    addTab(connection.database(), Billing, {Notes, QStringLiteral("Account")});
    // One client's own tab is not part of every client's record, nor of the export.
    addTab(connection.database(), QStringLiteral("Private"), {QStringLiteral("Secret")}, 1);
}

ClientId createClient(const QHash<QString, QString>& values, const QHash<QString, QString>& billing = {})
{
    ClientRecord record;
    record.load();
    for (auto it = values.begin(); it != values.end(); ++it)
        record.setValue(QStringLiteral("Personal Information"), it.key(), it.value());
    for (auto it = billing.begin(); it != billing.end(); ++it)
        record.setValue(Billing, it.key(), it.value());
    return record.create();
}

qint64 count(const QString& table)
{
    CLsDataBaseConnection connection;
    return connection.database().scalar(QStringLiteral("SELECT count(*) FROM ") + quoteIdentifier(table)).toLongLong();
}

ImportTable table(const QString& csv)
{
    return CsvReader::read(csv);
}

} // namespace

// Clients written to a CSV file and imported into another database come back as they were;
// an import is all or nothing.
class TestClientImportExport : public QObject
{
    Q_OBJECT

private slots:
    void roundTrips()
    {
        std::vector<QStringList> before;
        QByteArray csv;
        {
            TestDatabaseFolder source;
            addTabs();
            const ClientId zoe = createClient({{"Last Name", "Zoë Müller-Łukasz, \"Jr.\""},
                                               {"First Name", "Ann\nMarie"},
                                               {"City", "Köln; Süd"},
                                               {"Address One", "Line 1\r\nLine 2"},
                                               {"Email Address", "zoe@example.org"}},
                                              {{Notes, "said \"no\",\r\nthen yes"}, {"Account", "Ø-42\ttab"}});
            const ClientId company = createClient({{"Company", "A, B & Co \"Ltd\""}});
            ClientRecord(createClient({{"Last Name", "Gone"}})).retire();

            const std::vector<ClientId> active = ClientExport::activeClients();
            QCOMPARE(active, (std::vector<ClientId>{company, zoe}));
            const std::vector<ClientField> fields = ClientFields::all();
            QCOMPARE(fields.size(), size_t(18));
            QCOMPARE(fields[16].label(), Billing + QStringLiteral(": ") + Notes);
            QCOMPARE(fields[17].label(), Billing + QStringLiteral(": Account"));
            before = ClientExport::read(active, fields);
            QCOMPARE(before[1].at(13), QStringLiteral("Zoë Müller-Łukasz, \"Jr.\""));
            QCOMPARE(before[1].at(16), QStringLiteral("said \"no\",\r\nthen yes"));
            QCOMPARE(before[0].at(15), QStringLiteral("A, B & Co \"Ltd\""));
            csv = ClientExport::toCsv(active);
        }

        TestDatabaseFolder target;
        addTabs();
        const QString path = target.file(QStringLiteral("clients.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(csv), csv.size());
        file.close();

        const ImportTable read = ClientImportFile::read(path);
        const std::vector<ClientField> fields = ClientFields::all();
        std::vector<int> mapping = ImportMapping::guess(read.header, fields);
        std::vector<int> everyField(fields.size());
        std::iota(everyField.begin(), everyField.end(), 0);
        QCOMPARE(mapping, everyField);
        ClientImport import(read, fields, mapping);
        QVERIFY(import.skipped().empty());
        QCOMPARE(import.run({}), 2);
        QCOMPARE(ClientExport::read(ClientExport::activeClients(), fields), before);
        // The company without designed values has no row in the designed tab's table.
        QCOMPARE(count(Billing), qint64(1));
    }

    void cancelStoresNothing()
    {
        TestDatabaseFolder folder;
        addTabs();
        QString csv = QStringLiteral("Last Name,Account\n");
        for (int i = 0; i < 1234; ++i)
            csv += QStringLiteral("Client %1,%1\n").arg(i);
        ClientImport import(table(csv), ClientFields::all(), {13, 17});
        QCOMPARE(import.importableCount(), 1234);
        std::vector<qint64> told;
        try {
            import.run([&](qint64 done, qint64 total) {
                told.push_back(done);
            return total == 1234 && done < 1000;
        });
        QFAIL("not cancelled");
    }
    catch (const StoreError& e) { QVERIFY(e.isCancelled()); }
    QCOMPARE(told, (std::vector<qint64>{500, 1000}));
    QCOMPARE(count(QStringLiteral("Personal Information")), qint64(0));
    QCOMPARE(count(Billing), qint64(0));

    told.clear();
    QCOMPARE(import.run([&](qint64 done, qint64) {
        told.push_back(done);
        return true;
    }),
             1234);
    QCOMPARE(told, (std::vector<qint64>{500, 1000, 1234}));
    QCOMPARE(count(QStringLiteral("Personal Information")), qint64(1234));
    QCOMPARE(count(Billing), qint64(1234));
}

    void reportsSkippedRows()
{
    TestDatabaseFolder folder;
    addTabs();
    const QString csv = QStringLiteral("Nachname,Vorname,Firma,Ort,Bemerkung\n"
                                       "Miller,,,Bonn,x\n"
                                       ",,,,only a note\n"
                                       "\n"
                                       ",,,Köln,\n"
                                       ",  ,\" \",,\n"
                                       ",Ann,,,\n"
                                       ",,\"Acme\nInc\",,\n");
    const std::vector<ClientField> fields = ClientFields::all();
    const ImportTable rows = table(csv);
    ClientImport import(rows, fields, ImportMapping::guess(rows.header, fields));
    const auto described = [&] {
        QStringList out;
        for (const ClientImport::Skip& skip : import.skipped())
            out.append(QString::number(skip.line) + QStringLiteral(": ") + skip.reason);
        return out;
    };
    QCOMPARE(described(), (QStringList{"3: no value in the columns imported", "5: no name and no company",
                                       "6: no value in the columns imported"}));
    QCOMPARE(import.valuesOf(0).at(3), QStringLiteral("Bonn"));
    QCOMPARE(import.importableCount(), 3);

    // Mapping the note column as well makes its row a value row, still without a name.
    std::vector<int> mapping = import.mapping();
    mapping[4] = 17;
    import.setMapping(mapping);
    QCOMPARE(described(), (QStringList{"3: no name and no company", "5: no name and no company",
                                       "6: no value in the columns imported"}));
    QCOMPARE(import.run({}), 3);
    QCOMPARE(count(QStringLiteral("Personal Information")), qint64(3));
    QCOMPARE(count(Billing), qint64(1)); // Miller's "x"
    const std::vector<QStringList> stored = ClientExport::read(ClientExport::activeClients(), fields);
    QCOMPARE(stored.size(), size_t(3));
    QCOMPARE(stored[0].at(15), QStringLiteral("Acme\nInc"));
    QCOMPARE(stored[1].at(0), QStringLiteral("Ann"));
    QCOMPARE(stored[2].at(13), QStringLiteral("Miller"));
    QCOMPARE(stored[2].at(17), QStringLiteral("x"));
}
}
;

QTEST_GUILESS_MAIN(TestClientImportExport)
#include "tst_ClientImportExport.moc"
