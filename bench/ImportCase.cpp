#include "ImportCase.h"

#include "BareSqlite.h"
#include "BenchOptions.h"
#include "ChildProcess.h"
#include "EngineChoice.h"
#include "Require.h"
#include "ResultTable.h"
#include "Stopwatch.h"

#include "clients/ClientFields.h"
#include "clients/ClientImport.h"
#include "clients/ClientImportFile.h"
#include "clients/CsvWriter.h"
#include "clients/ImportMapping.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/DatabaseSchema.h"
#include "store/SchemaCatalog.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <sqlite3.h>
#include <utility>

namespace {

const QString Tab = QStringLiteral("Membership");
const QStringList TabFields = {QStringLiteral("Member Number"), QStringLiteral("Since"), QStringLiteral("Notes")};

// The file's columns, as a German office's spreadsheet names them, and the client fields they
// stand for (Personal Information columns, then the designed tab's fields).
const QStringList Header = {QStringLiteral("Vorname"),  QStringLiteral("Nachname"), QStringLiteral("Firma"),
                            QStringLiteral("Position"), QStringLiteral("Straße"),   QStringLiteral("PLZ"),
                            QStringLiteral("Ort"),      QStringLiteral("Land"),     QStringLiteral("Telefon"),
                            QStringLiteral("Handy"),    QStringLiteral("E-Mail"),   QStringLiteral("Member Number"),
                            QStringLiteral("Since"),    QStringLiteral("Notes")};
const QStringList Columns = {QStringLiteral("First Name"),
                             QStringLiteral("Last Name"),
                             QStringLiteral("Company"),
                             QStringLiteral("Job Title"),
                             QStringLiteral("Address One"),
                             QStringLiteral("Zip Code"),
                             QStringLiteral("City"),
                             QStringLiteral("Country"),
                             QStringLiteral("Home Phone Number"),
                             QStringLiteral("Cell Phone Number"),
                             QStringLiteral("Email Address")};

const char* const FirstNames[] = {"Anna", "Jürgen", "Zoë", "Łukasz", "Marie", "Paul", "Søren", "Inés"};
const char* const LastNames[] = {"Müller", "Schmidt", "O'Neil", "Weiß", "Dubois", "Nowak", "Brandt", "Kaya"};
const char* const Cities[] = {"Köln", "München", "Bonn", "Frankfurt am Main", "Wien", "Zürich"};

// The values of client `i`: every third has no company, every seventh a note with a line break,
// a quote and a comma, and every fifth no designed values.
QStringList clientValues(qint64 i)
{
    const auto pick = [i](const char* const* list, size_t size, qint64 salt) {
        return QString::fromUtf8(list[static_cast<size_t>((i * 7 + salt) % static_cast<qint64>(size))]);
    };
    const QString last = pick(LastNames, std::size(LastNames), 3) + QString::number(i);
    QStringList v;
    v << pick(FirstNames, std::size(FirstNames), 1) << last
      << (i % 3 == 0 ? QString() : QStringLiteral("Firma %1, \"Nord\" GmbH").arg(i % 997))
      << QStringLiteral("Sachbearbeiter") << QStringLiteral("Hauptstraße %1").arg(i % 200 + 1)
      << QStringLiteral("%1").arg(10000 + i % 89999, 5, 10, QLatin1Char('0')) << pick(Cities, std::size(Cities), 5)
      << QStringLiteral("Deutschland") << QStringLiteral("0221 %1").arg(100000 + i)
      << QStringLiteral("0171 %1").arg(200000 + i) << QStringLiteral("client%1@example.org").arg(i);
    if (i % 5 == 0)
        v << QString() << QString() << QString();
    else
        v << QStringLiteral("M-%1").arg(i) << QStringLiteral("2019")
          << (i % 7 == 0 ? QStringLiteral("Rückruf erbeten,\r\n\"dringend\"") : QString());
    return v;
}

void makeTab(const Database& db)
{
    db.execute(QStringLiteral("INSERT INTO TabInfo (TabNam, TabDescription) VALUES (?, ?)"), {Tab, Tab});
    const qint64 tabId = db.lastInsertRowId();
    std::vector<SchemaCatalog::ColumnInfo> columns(2);
    columns[0].name = Tab + QStringLiteral("Id");
    columns[0].type = QStringLiteral("INTEGER");
    columns[0].autoIncrement = true;
    columns[1].name = QStringLiteral("PersonalInformationId");
    columns[1].type = QStringLiteral("INTEGER");
    for (qsizetype f = 0; f < TabFields.size(); ++f) {
        db.execute(QStringLiteral("INSERT INTO FieldInfo (TabId, FieldName, FieldDescription, FieldDisplayOrder) "
                                  "VALUES (?, ?, ?, ?)"),
                   {tabId, TabFields.at(f), TabFields.at(f), f + 1});
        SchemaCatalog::ColumnInfo column;
        column.name = TabFields.at(f);
        column.type = QStringLiteral("TEXT");
        columns.push_back(column);
    }
    const SchemaCatalog catalog(db);
    catalog.createTable(Tab, columns);
    catalog.ensureClientIndex(Tab);
}

} // namespace

ImportCase::ImportCase(const BenchOptions& options, const QString& root, ResultTable& table)
    : m_options(options), m_table(table), m_base(QDir(root).filePath(QStringLiteral("import")))
{
}

QString ImportCase::path(const QString& name) const
{
    return QDir(m_base).filePath(name);
}

void ImportCase::run()
{
    const qint64 clients = m_options.importClients;
    const QString name =
        QStringLiteral("import: a CSV file of %1 clients read, its columns mapped, stored").arg(clients);
    std::fprintf(stderr, "import: %lld clients\n", static_cast<long long>(clients));
    const QString app = path(QStringLiteral("app"));
    const QString bare = path(QStringLiteral("bare"));
    const QString csv = path(QStringLiteral("clients.csv"));

    // Two empty databases with the designed tab, one for the program and one for the engine alone.
    const ChildProcess::Outcome setup = ChildProcess::run([&](const ChildProcess::Report& report) {
        for (const QString& folder : {bare, app}) {
            QDir().mkpath(folder);
            ApplicationFolder::setPath(folder);
            DatabaseSchema::ensure(CLsDataBaseConnection::databasePath());
            EngineChoice(m_options).prepareFile(CLsDataBaseConnection::databasePath());
            CLsDataBaseConnection connection;
            makeTab(connection.database());
        }
        std::vector<QStringList> rows;
        rows.reserve(static_cast<size_t>(clients));
        for (qint64 i = 0; i < clients; ++i)
            rows.push_back(clientValues(i));
        const QByteArray bytes = CsvWriter::write(Header, rows);
        QFile file(csv);
        require(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(),
                QStringLiteral("cannot write %1").arg(csv));
        report.put(QStringLiteral("mib"), static_cast<double>(bytes.size()) / (1024.0 * 1024.0));
    });
    if (!setup.ok) {
        m_table.addError(name, setup.error);
        return;
    }

    const ChildProcess::Outcome program = ChildProcess::run([&](const ChildProcess::Report& report) {
        EngineChoice(m_options).applyToProcess();
        ApplicationFolder::setPath(app);
        const Stopwatch watch;
        ImportTable table = ClientImportFile::read(csv);
        const double read = watch.seconds();
        const std::vector<ClientField> fields = ClientFields::all();
        const std::vector<int> mapping = ImportMapping::guess(table.header, fields);
        require(std::count(mapping.begin(), mapping.end(), -1) == 0,
                QStringLiteral("a column of the file was not mapped"));
        ClientImport import(std::move(table), fields, mapping);
        qint64 told = 0;
        const int stored = import.run([&](qint64 done, qint64) {
            told = done;
            return true;
        });
        const double seconds = watch.seconds();
        require(stored == clients && told == clients,
                QStringLiteral("%1 clients stored of %2").arg(stored).arg(clients));
        CLsDataBaseConnection connection;
        const Database& db = connection.database();
        require(
            db.scalar(QStringLiteral("SELECT count(*) FROM \"Personal Information\" WHERE Active = 1")).toLongLong() ==
                clients,
            QStringLiteral("the table does not hold every client"));
        const qint64 withTab = clients - (clients + 4) / 5;
        require(db.scalar(QStringLiteral("SELECT count(*) FROM Membership")).toLongLong() == withTab,
                QStringLiteral("the designed tab does not hold a row for every client with a value"));
        const QStringList last = clientValues(clients - 1);
        require(db.scalar(QStringLiteral("SELECT Company FROM \"Personal Information\" WHERE \"Last Name\" = ?"),
                          {last.at(1)})
                        .toString() == last.at(2),
                QStringLiteral("the last client's company was not stored as written"));
        report.put(QStringLiteral("read"), read);
        report.put(QStringLiteral("seconds"), seconds);
    });

    // The engine alone: the same values, prepared statements, one transaction, nothing to parse.
    const ChildProcess::Outcome baseline = ChildProcess::run([&](const ChildProcess::Report& report) {
        const BareSqlite db(QDir(bare).filePath(QStringLiteral("Dravolin.mdb")));
        QStringList columns;
        for (const QString& column : Columns)
            columns.append(QLatin1Char('"') + column + QLatin1Char('"'));
        const Stopwatch watch;
        db.execute(QStringLiteral("BEGIN"));
        BareSqlite::Query client(
            db, QStringLiteral("INSERT INTO \"Personal Information\" (%1, Active) VALUES (%2?)")
                    .arg(columns.join(QStringLiteral(", ")), QStringLiteral("?, ").repeated(Columns.size())));
        BareSqlite::Query tab(db, QStringLiteral("INSERT INTO Membership (PersonalInformationId, \"Member Number\", "
                                                 "Since, Notes) VALUES (?, ?, ?, ?)"));
        for (qint64 i = 0; i < clients; ++i) {
            const QStringList values = clientValues(i);
            for (qsizetype c = 0; c < Columns.size(); ++c)
                client.bind(static_cast<int>(c) + 1, values.at(c).isNull() ? QStringLiteral("") : values.at(c));
            client.bind(static_cast<int>(Columns.size()) + 1, 1);
            client.step();
            client.reset();
            if (values.at(Columns.size()).isEmpty())
                continue;
            tab.bind(1, static_cast<qint64>(sqlite3_last_insert_rowid(db.handle())));
            for (int f = 0; f < 3; ++f)
                tab.bind(f + 2, values.at(Columns.size() + f));
            tab.step();
            tab.reset();
        }
        db.execute(QStringLiteral("COMMIT"));
        report.put(QStringLiteral("seconds"), watch.seconds());
    });
    if (!program.ok || !baseline.ok) {
        m_table.addError(name, program.ok ? baseline.error : program.error);
        return;
    }
    const double seconds = program.value(QStringLiteral("seconds"));
    const double read = program.value(QStringLiteral("read"));
    const double bareSeconds = baseline.value(QStringLiteral("seconds"));
    m_table.add(
        {name,
         ResultTable::duration(seconds) + QStringLiteral(" (file of %1 read in %2, stored in %3)")
                                              .arg(ResultTable::mebibytes(setup.value(QStringLiteral("mib"))),
                                                   ResultTable::duration(read), ResultTable::duration(seconds - read)),
         QStringLiteral("bare SQLite, the same rows inserted, one transaction: ") + ResultTable::duration(bareSeconds),
         ResultTable::times(seconds / bareSeconds), QStringLiteral("< 10 s"),
         seconds < 10.0 ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail,
         ResultTable::mebibytes(program.peakMiB) + QStringLiteral(" (the file's table, held for the preview)"), true});
    if (!m_options.keep)
        QDir(m_base).removeRecursively();
}
