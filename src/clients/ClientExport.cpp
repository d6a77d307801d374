#include "clients/ClientExport.h"

#include "clients/ClientFields.h"
#include "clients/ClientRecord.h"
#include "clients/CsvWriter.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/Identifier.h"
#include "store/Statement.h"

#include <QHash>

namespace {

QString personalTable()
{
    return quoteIdentifier(QString::fromLatin1(ClientRecord::PersonalInformationTab));
}

} // namespace

std::vector<ClientId> ClientExport::activeClients()
{
    CLsDataBaseConnection connection;
    Statement list = connection.database().prepare(
        QStringLiteral("SELECT PersonalInformationId FROM %1 WHERE Active = 1 ORDER BY %2 NULLS FIRST, %3 NULLS FIRST, "
                       "PersonalInformationId")
            .arg(personalTable(), quoteIdentifier(QStringLiteral("Last Name")),
                 quoteIdentifier(QStringLiteral("First Name"))));
    std::vector<ClientId> ids;
    while (list.step())
        ids.push_back(list.value(0).toLongLong());
    return ids;
}

std::vector<QStringList> ClientExport::read(const std::vector<ClientId>& ids, const std::vector<ClientField>& fields)
{
    std::vector<QStringList> rows(ids.size(), QStringList(static_cast<qsizetype>(fields.size()), QStringLiteral("")));
    QMultiHash<ClientId, size_t> positions;
    positions.reserve(static_cast<qsizetype>(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i)
        positions.insert(ids[i], i);

    // The fields by table, in the order of first appearance.
    QStringList tables;
    std::vector<std::vector<size_t>> tableFields;
    for (size_t f = 0; f < fields.size(); ++f) {
        qsizetype t = tables.indexOf(fields[f].tab);
        if (t < 0) {
            t = tables.size();
            tables.append(fields[f].tab);
            tableFields.emplace_back();
        }
        tableFields[static_cast<size_t>(t)].push_back(f);
    }

    // One pass over each table: a client's rows are not looked up one by one.
    CLsDataBaseConnection connection;
    const Database& db = connection.database();
    for (qsizetype t = 0; t < tables.size(); ++t) {
        const std::vector<size_t>& columns = tableFields[static_cast<size_t>(t)];
        QStringList names{QStringLiteral("PersonalInformationId")};
        for (const size_t f : columns)
            names.append(quoteIdentifier(fields[f].field));
        Statement select = db.prepare(
            QStringLiteral("SELECT %1 FROM %2").arg(names.join(QStringLiteral(", ")), quoteIdentifier(tables.at(t))));
        // A designed tab holds one row per client; should there be more, the first counts.
        std::vector<bool> seen(ids.size(), false);
        while (select.step()) {
            const ClientId id = select.value(0).toLongLong();
            for (auto it = positions.constFind(id); it != positions.cend() && it.key() == id; ++it) {
                const size_t row = it.value();
                if (seen[row])
                    continue;
                seen[row] = true;
                for (size_t c = 0; c < columns.size(); ++c) {
                    const int column = static_cast<int>(c) + 1;
                    if (!select.isNull(column))
                        rows[row][static_cast<qsizetype>(columns[c])] = select.value(column).toString();
                }
            }
        }
    }
    return rows;
}

QByteArray ClientExport::toCsv(const std::vector<ClientId>& ids)
{
    const std::vector<ClientField> fields = ClientFields::all();
    QStringList header;
    for (const ClientField& field : fields)
        header.append(field.label());
    return CsvWriter::write(header, read(ids, fields));
}
