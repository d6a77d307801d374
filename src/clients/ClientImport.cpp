#include "clients/ClientImport.h"

#include "clients/ClientRecord.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/Identifier.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <algorithm>

namespace {

QString questionMarks(qsizetype count)
{
    QStringList marks;
    for (qsizetype i = 0; i < count; ++i)
        marks.append(QStringLiteral("?"));
    return marks.join(QStringLiteral(", "));
}

// One table's INSERT, prepared once and bound again for every client.
struct TableInsert
{
    std::vector<int> fields; // indexes into the import's fields, in the statement's order
    Statement statement;
};

} // namespace

ClientImport::ClientImport(ImportTable table, std::vector<ClientField> fields, std::vector<int> mapping)
    : m_table(std::move(table)), m_fields(std::move(fields))
{
    setMapping(std::move(mapping));
}

void ClientImport::setMapping(std::vector<int> mapping)
{
    m_mapping = std::move(mapping);
    m_mapping.resize(static_cast<size_t>(m_table.header.size()), -1);
    for (int& field : m_mapping) {
        if (field < 0 || field >= static_cast<int>(m_fields.size()))
            field = -1;
    }
    findSkipped();
}

QStringList ClientImport::valuesOf(int row) const
{
    QStringList values(static_cast<qsizetype>(m_fields.size()), QStringLiteral(""));
    if (row < 0 || row >= static_cast<int>(m_table.rows.size()))
        return values;
    const QStringList& cells = m_table.rows[static_cast<size_t>(row)].cells;
    for (qsizetype column = 0; column < cells.size() && column < static_cast<qsizetype>(m_mapping.size()); ++column) {
        const int field = m_mapping[static_cast<size_t>(column)];
        if (field < 0 || !values.at(field).isEmpty())
            continue;
        const QString value = cells.at(column).trimmed();
        if (!value.isEmpty()) // an empty cell stays empty text, never Null
            values[field] = value;
    }
    return values;
}

int ClientImport::personalField(const char* column) const
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].isPersonal() && m_fields[i].field == QLatin1String(column))
            return static_cast<int>(i);
    }
    return -1;
}

void ClientImport::findSkipped()
{
    const int names[] = {personalField("Last Name"), personalField("First Name"), personalField("Company")};
    m_skipped.clear();
    m_skip.assign(m_table.rows.size(), false);
    for (size_t row = 0; row < m_table.rows.size(); ++row) {
        const QStringList values = valuesOf(static_cast<int>(row));
        const bool anyValue = std::any_of(values.begin(), values.end(), [](const QString& v) { return !v.isEmpty(); });
        const bool named = std::any_of(std::begin(names), std::end(names),
                                       [&](int field) { return field >= 0 && !values.at(field).isEmpty(); });
        QString reason;
        if (!anyValue)
            reason = QStringLiteral("no value in the columns imported");
        else if (!named)
            reason = QStringLiteral("no name and no company");
        if (!reason.isEmpty()) {
            m_skip[row] = true;
            m_skipped.push_back({m_table.rows[row].line, reason});
        }
    }
}

std::vector<ClientImport::Skip> ClientImport::skipped() const
{
    return m_skipped;
}

int ClientImport::importableCount() const
{
    return static_cast<int>(m_table.rows.size() - m_skipped.size());
}

int ClientImport::run(const WorkProgress& progress)
{
    CLsDataBaseConnection connection;
    const Database& db = connection.database();
    Transaction transaction(db);

    // Every Personal Information field is written, empty ones as empty text, as the record
    // window writes a new client; a designed tab gets its row only when it has a value.
    std::vector<int> personalFields;
    std::vector<QString> tabNames;
    std::vector<std::vector<int>> tabFields;
    QStringList columns;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const ClientField& field = m_fields[i];
        if (field.isPersonal()) {
            personalFields.push_back(static_cast<int>(i));
            columns.append(quoteIdentifier(field.field));
            continue;
        }
        auto tab = std::find(tabNames.begin(), tabNames.end(), field.tab);
        if (tab == tabNames.end()) {
            tabNames.push_back(field.tab);
            tabFields.emplace_back();
            tab = tabNames.end() - 1;
        }
        tabFields[static_cast<size_t>(tab - tabNames.begin())].push_back(static_cast<int>(i));
    }
    columns.append(QStringLiteral("Active"));
    TableInsert personal{personalFields,
                         db.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                        .arg(quoteIdentifier(QString::fromLatin1(ClientRecord::PersonalInformationTab)),
                                             columns.join(QStringLiteral(", ")), questionMarks(columns.size())))};
    const int activeParameter = static_cast<int>(columns.size());

    std::vector<TableInsert> tabs;
    for (size_t t = 0; t < tabNames.size(); ++t) {
        QStringList tabColumns{QStringLiteral("PersonalInformationId")};
        for (const int field : tabFields[t])
            tabColumns.append(quoteIdentifier(m_fields[static_cast<size_t>(field)].field));
        tabs.push_back(
            {tabFields[t], db.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                          .arg(quoteIdentifier(tabNames[t]), tabColumns.join(QStringLiteral(", ")),
                                               questionMarks(tabColumns.size())))});
    }

    const qint64 total = importableCount();
    int done = 0;
    for (size_t row = 0; row < m_table.rows.size(); ++row) {
        if (m_skip[row])
            continue;
        const QStringList values = valuesOf(static_cast<int>(row));
        int parameter = 1;
        for (const int field : personal.fields)
            personal.statement.bind(parameter++, values.at(field));
        personal.statement.bind(activeParameter, 1);
        personal.statement.step();
        personal.statement.reset();
        const qint64 clientId = db.lastInsertRowId();

        for (TableInsert& tab : tabs) {
            const bool filled = std::any_of(tab.fields.begin(), tab.fields.end(),
                                            [&](int field) { return !values.at(field).isEmpty(); });
            if (!filled)
                continue;
            tab.statement.bind(1, clientId);
            parameter = 2;
            for (const int field : tab.fields)
                tab.statement.bind(parameter++, values.at(field));
            tab.statement.step();
            tab.statement.reset();
        }

        ++done;
        if (done % ProgressStep == 0 && progress && !progress(done, total))
            throw StoreError(QStringLiteral("The import was cancelled; no client was stored."),
                             StoreError::Kind::Cancelled);
    }
    transaction.commit();
    if (progress)
        progress(done, total);
    return done;
}
