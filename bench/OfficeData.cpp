#include "OfficeData.h"

#include "BareSqlite.h"
#include "BenchFiles.h"
#include "BenchOptions.h"
#include "BenchServer.h"
#include "ChildProcess.h"
#include "DataMaker.h"
#include "EngineChoice.h"
#include "Stopwatch.h"

#include "designer/DesignerFieldEntry.h"
#include "designer/DesignerTabPage.h"
#include "designer/TabDefinitionStore.h"
#include "designer/TabTableGenerator.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/DatabaseSchema.h"
#include "store/Identifier.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QDir>
#include <cstdio>
#include <vector>

namespace {

const QString ClientTable = QStringLiteral("Personal Information");

// The designed tabs as the designer writes them, their tables made by its generator.
void addDesignedTabs(const Database& db)
{
    std::vector<DesignerTabPage> pages;
    std::vector<DesignerFieldEntry> fields;
    // The designer makes its tables inside the transaction that writes their definitions.
    Transaction definitions(db);
    for (int t = 0; t < OfficeData::Tabs; ++t) {
        const QString tab = OfficeData::tabName(t);
        pages.push_back({tab, QStringLiteral("Designed tab %1").arg(t + 1), QString()});
        QStringList names;
        for (int f = 0; f < OfficeData::FieldsPerTab; ++f) {
            DesignerFieldEntry field;
            field.tabName = tab;
            field.tabDescription = pages.back().description;
            field.fieldName = OfficeData::fieldName(f);
            field.fieldDescription = QStringLiteral("%1 of %2").arg(field.fieldName, tab);
            field.displayOrder = static_cast<qint16>(f + 1);
            const int column = f / 10;
            const int top = 360 + (f % 10) * 480;
            field.labelLeft = QString::number(240 + column * 6840);
            field.labelTop = QString::number(top);
            field.fieldLeft = QString::number(2040 + column * 6840);
            field.fieldTop = QString::number(top);
            field.fieldWidth = QStringLiteral("4560");
            fields.push_back(field);
            names.append(field.fieldName);
        }
        if (!TabTableGenerator(db).create(tab, names))
            throw StoreError(QStringLiteral("the table of %1 was not created").arg(tab));
    }
    TabDefinitionStore(db).write(pages, fields, false, {});
    definitions.commit();
}

// A row for every client in every designed tab, its first fields filled.
void addTabRows(const Database& db, qint64 clients)
{
    for (int t = 0; t < OfficeData::Tabs; ++t) {
        const QString tab = OfficeData::tabName(t);
        QStringList columns{QStringLiteral("PersonalInformationId")};
        QStringList marks{QStringLiteral("?")};
        for (int f = 0; f < OfficeData::FilledFields; ++f) {
            columns.append(quoteIdentifier(OfficeData::fieldName(f)));
            marks.append(QStringLiteral("?"));
        }
        Transaction transaction(db);
        Statement insert = db.prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(quoteIdentifier(tab), columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
        for (qint64 client = 1; client <= clients; ++client) {
            insert.reset();
            insert.bind(1, client);
            for (int f = 0; f < OfficeData::FilledFields; ++f)
                insert.bind(2 + f, OfficeData::storedValue(t, f, client));
            insert.step();
        }
        transaction.commit();
    }
}

QString literal(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// The baseline's file: made by the bare engine with its default settings, with the client
// table and the group table as the program defines them, rows copied in key order, and the
// client table's indexes built afterwards.
void buildBareFile(const QString& program, const QString& bare)
{
    QFile::remove(bare);
    const BareSqlite db(bare, true);
    db.execute(QStringLiteral("ATTACH %1 AS program").arg(literal(program)));
    QStringList tables;
    QStringList indexes;
    {
        BareSqlite::Query schema(db, QStringLiteral("SELECT type, sql FROM program.sqlite_schema WHERE sql IS NOT NULL "
                                                    "AND tbl_name IN ('Personal Information', 'NodeInformation')"));
        while (schema.step())
            (schema.text(0) == "table" ? tables : indexes).append(QString::fromUtf8(schema.text(1)));
    }
    db.execute(QStringLiteral("BEGIN"));
    for (const QString& table : tables)
        db.execute(table);
    db.execute(QStringLiteral("INSERT INTO main.%1 SELECT * FROM program.%1 ORDER BY PersonalInformationId")
                   .arg(quoteIdentifier(ClientTable)));
    db.execute(QStringLiteral("INSERT INTO main.NodeInformation SELECT * FROM program.NodeInformation"));
    for (const QString& index : indexes)
        db.execute(index);
    db.execute(QStringLiteral("COMMIT"));
    db.execute(QStringLiteral("DETACH program"));
}

} // namespace

OfficeData::OfficeData(const BenchOptions& options, const QString& root, const BenchServer* server)
    : m_options(options), m_server(server), m_base(QDir(root).filePath(QStringLiteral("office"))),
      m_app(QDir(m_base).filePath(QStringLiteral("app")))
{
}

bool OfficeData::copyToServer(QString& error)
{
    std::fprintf(stderr, "office: copying it to the server\n");
    const ChildProcess::Outcome outcome = ChildProcess::run([&](const ChildProcess::Report& report) {
        report.put(QStringLiteral("seconds"),
                   m_server->copyIn(file(), QDir(m_base).filePath(QStringLiteral("pg-app")), QStringLiteral("office")));
    });
    if (!outcome.ok) {
        error = QStringLiteral("copying it to the server: ") + outcome.error;
        return false;
    }
    m_serverApp = QDir(m_base).filePath(QStringLiteral("pg-app"));
    m_copySeconds = outcome.value(QStringLiteral("seconds"));
    std::fprintf(stderr, "office: copied in %.1f s\n", m_copySeconds);
    return true;
}

void OfficeData::remove() const
{
    QDir(m_base).removeRecursively();
}

QString OfficeData::file() const
{
    return BenchFiles::database(m_app);
}

QString OfficeData::bareFile() const
{
    return QDir(m_base).filePath(QStringLiteral("bare.db"));
}

qint64 OfficeData::clients() const
{
    return m_options.clients;
}

QString OfficeData::tabName(int tab)
{
    return QStringLiteral("Data Tab %1").arg(tab + 1);
}

QString OfficeData::fieldName(int field)
{
    return QStringLiteral("Field %1").arg(field + 1);
}

QString OfficeData::storedValue(int tab, int field, qint64 client)
{
    return QStringLiteral("t%1f%2c%3").arg(tab + 1).arg(field + 1).arg(client);
}

QString OfficeData::largestGroup() const
{
    int largest = 0;
    for (int i = 1; i < 26; ++i) {
        if (m_active[static_cast<size_t>(i)] > m_active[static_cast<size_t>(largest)])
            largest = i;
    }
    return QString(QLatin1Char(static_cast<char>('A' + largest)));
}

QString OfficeData::smallGroup() const
{
    int smallest = -1;
    for (int i = 0; i < 26; ++i) {
        const qint64 count = m_active[static_cast<size_t>(i)];
        if (count > 0 && (smallest < 0 || count < m_active[static_cast<size_t>(smallest)]))
            smallest = i;
    }
    return QString(QLatin1Char(static_cast<char>('A' + std::max(smallest, 0))));
}

bool OfficeData::build(QString& error)
{
    std::fprintf(stderr, "office: %lld clients, %d designed tabs with a row per client\n",
                 static_cast<long long>(clients()), Tabs);
    const ChildProcess::Outcome outcome = ChildProcess::run([&](const ChildProcess::Report& report) {
        const Stopwatch watch;
        QDir(m_base).removeRecursively();
        QDir().mkpath(m_app);
        ApplicationFolder::setPath(m_app);
        DatabaseSchema::ensure(CLsDataBaseConnection::databasePath());
        EngineChoice(m_options).prepareFile(file());
        {
            CLsDataBaseConnection connection;
            const Database& db = connection.database();
            DataMaker maker(4);
            const std::array<qint64, 26> active = maker.addClients(db, clients());
            for (int i = 0; i < 26; ++i)
                report.put(QString(QLatin1Char(static_cast<char>('A' + i))),
                           static_cast<double>(active[static_cast<size_t>(i)]));
            addDesignedTabs(db);
            addTabRows(db, clients());
        }
        buildBareFile(file(), bareFile());
        std::fprintf(stderr, "office: built in %.1f s\n", watch.seconds());
    });
    if (!outcome.ok) {
        error = outcome.error;
        return false;
    }
    for (int i = 0; i < 26; ++i)
        m_active[static_cast<size_t>(i)] =
            static_cast<qint64>(outcome.value(QString(QLatin1Char(static_cast<char>('A' + i)))));
    m_recordClient = std::max<qint64>(1, clients() / 2);
    return !m_server || copyToServer(error);
}
