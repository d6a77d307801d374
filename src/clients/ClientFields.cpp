#include "clients/ClientFields.h"

#include "clients/ClientRecord.h"
#include "clients/RecordState.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/SchemaCatalog.h"
#include "store/Statement.h"

#include <algorithm>

const QStringList& ClientFields::personalColumns()
{
    static const QStringList columns = {QStringLiteral("First Name"),
                                        QStringLiteral("Address One"),
                                        QStringLiteral("Address Two"),
                                        QStringLiteral("City"),
                                        QStringLiteral("State"),
                                        QStringLiteral("Zip Code"),
                                        QStringLiteral("Home Phone Number"),
                                        QStringLiteral("Cell Phone Number"),
                                        QStringLiteral("Fax Number"),
                                        QStringLiteral("Work Phone Number"),
                                        QStringLiteral("Email Address"),
                                        QStringLiteral("Country"),
                                        QStringLiteral("Middle Name"),
                                        QStringLiteral("Last Name"),
                                        QStringLiteral("Job Title"),
                                        QStringLiteral("Company")};
    return columns;
}

std::vector<ClientField> ClientFields::all()
{
    const QString personal = QString::fromLatin1(ClientRecord::PersonalInformationTab);
    std::vector<ClientField> fields;
    for (const QString& column : personalColumns())
        fields.push_back({personal, column});

    // The tabs every client shows, as the record window lists them; a client's own tabs are
    // not part of every client's record.
    CLsDataBaseConnection connection;
    const Database& db = connection.database();
    const SchemaCatalog catalog(db);
    const QStringList tables = catalog.tables();
    QStringList tabs;
    {
        Statement rs =
            db.prepare(QStringLiteral("SELECT TabNam FROM TabInfo WHERE PersonalInformationId IS NULL ORDER BY TabId"));
        while (rs.step()) {
            const QString name = rs.value(0).toString();
            if (name != personal && !name.isEmpty() && tables.contains(name, Qt::CaseSensitive) &&
                !RecordState::isFixedTab(name) && !tabs.contains(name, Qt::CaseSensitive))
                tabs.append(name);
        }
    }
    if (tabs.isEmpty())
        return fields;

    std::vector<std::vector<ClientField>> byTab(static_cast<size_t>(tabs.size()));
    std::vector<QStringList> columns(static_cast<size_t>(tabs.size()));
    for (qsizetype i = 0; i < tabs.size(); ++i)
        columns[static_cast<size_t>(i)] = catalog.columnNames(tabs.at(i));
    // The record window's order of fields (ClientRecord::readFieldEntries).
    Statement rs = db.prepare(QStringLiteral(
        "SELECT TabInfo.TabNam, FieldInfo.FieldName FROM FieldInfo INNER JOIN TabInfo ON FieldInfo.TabId = "
        "TabInfo.TabId WHERE TabInfo.PersonalInformationId IS NULL ORDER BY FieldInfo.FieldDisplayOrder NULLS FIRST, "
        "FieldInfo.TabId, FieldInfo.FieldName NULLS FIRST"));
    while (rs.step()) {
        const qsizetype tab = tabs.indexOf(rs.value(0).toString());
        const QString name = rs.value(1).toString();
        if (tab < 0 || name.isEmpty())
            continue;
        std::vector<ClientField>& list = byTab[static_cast<size_t>(tab)];
        const bool repeated = std::any_of(list.begin(), list.end(), [&](const ClientField& f) {
            return f.field.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!repeated && columns[static_cast<size_t>(tab)].contains(name, Qt::CaseInsensitive))
            list.push_back({tabs.at(tab), name});
    }
    for (const std::vector<ClientField>& list : byTab)
        fields.insert(fields.end(), list.begin(), list.end());
    return fields;
}
