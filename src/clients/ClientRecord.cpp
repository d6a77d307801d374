#include "clients/ClientRecord.h"

#include "clients/RecordState.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/Identifier.h"
#include "store/Recordset.h"
#include "store/SchemaCatalog.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

namespace {

QString personalInformationTab()
{
    return QString::fromLatin1(ClientRecord::PersonalInformationTab);
}

QString questionMarks(qsizetype count)
{
    QStringList marks;
    for (qsizetype i = 0; i < count; ++i)
        marks.append(QStringLiteral("?"));
    return marks.join(QStringLiteral(", "));
}

} // namespace

ClientRecord::ClientRecord(ClientId clientId) : m_clientId(clientId) {}

void ClientRecord::load()
{
    m_tabs = readTabs(m_clientId);
    m_fields = readFieldEntries();
    // Fields of a tab named like a list tab would be laid over that list.
    std::erase_if(m_fields, [](const FieldEntry& entry) { return RecordState::isFixedTab(entry.tabName); });
    m_values = QStringList();
    m_values.resize(static_cast<qsizetype>(m_fields.size()));
    m_loaded = QStringList();
    m_loaded.resize(static_cast<qsizetype>(m_fields.size()));
}

std::vector<ClientRecord::Tab> ClientRecord::readTabs(ClientId clientId)
{
    // A definition with a client identifier belongs to that client only; one without
    // belongs to every client. The built-in "Personal Information" tab is the first.
    CLsDataBaseConnection connection;
    Recordset rs = connection.CreateRecordset(QStringLiteral("SELECT * FROM TabInfo WHERE (PersonalInformationId = ?) "
                                                             "OR (PersonalInformationId IS NULL) ORDER BY TabId"),
                                              {clientId});
    const QStringList tables = SchemaCatalog(connection.database()).tables();
    std::vector<Tab> tabs;
    for (; !rs.eof(); rs.moveNext()) {
        const QString name = rs.text(QStringLiteral("TabNam"));
        // Only a tab whose table exists, named exactly as stored, is shown. A definition named
        // like a list tab (from an older or hand-edited database) would show that name twice
        // and point at a table of another kind ("Resources" is the library's).
        if (tables.contains(name, Qt::CaseSensitive) && !RecordState::isFixedTab(name))
            tabs.push_back({name, rs.text(QStringLiteral("TabDescription"))});
    }
    rs.close();
    connection.DbClose();
    return tabs;
}

std::vector<FieldEntry> ClientRecord::readFieldEntries()
{
    CLsDataBaseConnection connection;
    Recordset rs = connection.CreateRecordset(QStringLiteral(
        "SELECT FieldInfo.FieldName, FieldInfo.FieldDescription, FieldInfo.labelLeft, "
        "FieldInfo.labelTop, FieldInfo.fieldLeft, FieldInfo.fieldTop, FieldInfo.fieldWidth, "
        "TabInfo.TabNam, TabInfo.TabDescription FROM FieldInfo INNER JOIN TabInfo ON "
        "FieldInfo.TabId = TabInfo.TabId ORDER BY FieldInfo.FieldDisplayOrder NULLS FIRST, FieldInfo.TabId, "
        "FieldInfo.FieldName NULLS FIRST"));
    std::vector<FieldEntry> entries;
    for (; !rs.eof(); rs.moveNext()) {
        FieldEntry entry;
        entry.tabName = rs.text(QStringLiteral("TabNam"));
        entry.tabDescription = rs.text(QStringLiteral("TabDescription"));
        entry.fieldName = rs.text(QStringLiteral("FieldName"));
        entry.fieldDescription = rs.text(QStringLiteral("FieldDescription"));
        entry.labelLeft = rs.text(QStringLiteral("labelLeft"));
        entry.labelTop = rs.text(QStringLiteral("labelTop"));
        entry.fieldLeft = rs.text(QStringLiteral("fieldLeft"));
        entry.fieldTop = rs.text(QStringLiteral("fieldTop"));
        entry.fieldWidth = rs.text(QStringLiteral("fieldWidth"));
        entries.push_back(entry);
    }
    rs.close();
    connection.DbClose();
    return entries;
}

std::vector<int> ClientRecord::fieldsOf(const QString& tab) const
{
    std::vector<int> positions;
    for (int i = 0; i < static_cast<int>(m_fields.size()); ++i) {
        if (m_fields[static_cast<size_t>(i)].tabName == tab)
            positions.push_back(i);
    }
    return positions;
}

QString ClientRecord::value(int field) const
{
    return m_values.value(field);
}

void ClientRecord::setValue(int field, const QString& text)
{
    if (field >= 0 && field < m_values.size())
        m_values[field] = text;
}

QString ClientRecord::value(const QString& tab, const QString& fieldName) const
{
    for (const int field : fieldsOf(tab)) {
        if (m_fields[static_cast<size_t>(field)].fieldName == fieldName)
            return value(field);
    }
    return {};
}

void ClientRecord::setValue(const QString& tab, const QString& fieldName, const QString& text)
{
    for (const int field : fieldsOf(tab)) {
        if (m_fields[static_cast<size_t>(field)].fieldName == fieldName) {
            setValue(field, text);
            return;
        }
    }
}

QHash<QString, QString> ClientRecord::readRow(const std::shared_ptr<Database>& db, const QString& tab,
                                              ClientId clientId, const std::vector<int>& fields,
                                              const std::vector<FieldEntry>& entries, bool requireColumns)
{
    Recordset rs(db, QStringLiteral("SELECT * FROM %1 WHERE PersonalInformationId = ?").arg(quoteIdentifier(tab)),
                 {clientId});
    QHash<QString, QString> values;
    for (const int field : fields) {
        const QString& name = entries[static_cast<size_t>(field)].fieldName;
        if (name.isEmpty())
            continue;
        if (!rs.hasField(name)) {
            if (requireColumns)
                throw StoreError(QStringLiteral("The table %1 has no column %2").arg(tab, name));
            continue;
        }
        if (rs.eof())
            continue;
        const QVariant stored = rs.field(name);
        if (!stored.isNull())
            values.insert(name, stored.toString());
    }
    rs.close();
    return values;
}

QHash<QString, QString> ClientRecord::storedValues(const QString& tab) const
{
    CLsDataBaseConnection connection;
    QHash<QString, QString> values =
        readRow(connection.sharedDatabase(), tab, m_clientId, fieldsOf(tab), m_fields, false);
    connection.DbClose();
    return values;
}

void ClientRecord::loadStoredValues()
{
    for (const QString& tab : distinctTabNames()) {
        QHash<QString, QString> stored;
        try {
            stored = storedValues(tab);
        } catch (const StoreError&) {
            // A tab that cannot be read keeps what the value list holds, and counts as loaded
            // with it: only what is typed from now on is a change.
            for (const int field : fieldsOf(tab))
                m_loaded[field] = valueText(field);
            continue;
        }
        for (const int field : fieldsOf(tab)) {
            const auto found = stored.constFind(m_fields[static_cast<size_t>(field)].fieldName);
            m_loaded[field] = found != stored.constEnd() ? found.value() : QStringLiteral("");
            if (found != stored.constEnd())
                setValue(field, found.value());
        }
    }
}

QStringList ClientRecord::distinctTabNames() const
{
    QStringList names;
    for (const Tab& tab : m_tabs) {
        if (!names.contains(tab.name, Qt::CaseSensitive))
            names.append(tab.name);
    }
    return names;
}

QString ClientRecord::valueText(int field) const
{
    const QString text = value(field);
    return text.isNull() ? QStringLiteral("") : text; // an untouched box is empty text, not Null
}

ClientRecord::Assignments ClientRecord::assignmentsOf(const std::vector<int>& fields) const
{
    // A column named by two fields of one tab takes the later field's value.
    QStringList names;
    QStringList texts;
    for (const int field : fields) {
        const QString& name = m_fields[static_cast<size_t>(field)].fieldName;
        if (name.isEmpty())
            continue;
        const QString text = valueText(field);
        bool replaced = false;
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (names.at(i).compare(name, Qt::CaseInsensitive) == 0) {
                texts[i] = text;
                replaced = true;
            }
        }
        if (!replaced) {
            names.append(name);
            texts.append(text);
        }
    }
    Assignments assignments;
    for (qsizetype i = 0; i < names.size(); ++i) {
        assignments.columns.append(quoteIdentifier(names.at(i)));
        assignments.values.append(texts.at(i));
    }
    return assignments;
}

void ClientRecord::writeExistingClientTab(const Database& db, const QString& tab, ClientId clientId,
                                          const Assignments& assignments)
{
    const QString table = quoteIdentifier(tab);
    const QVariant rows =
        db.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE PersonalInformationId = ?").arg(table), {clientId});
    if (rows.toLongLong() == 0)
        db.execute(QStringLiteral("INSERT INTO %1 (PersonalInformationId) VALUES (?)").arg(table), {clientId});

    if (assignments.columns.isEmpty())
        return;
    QStringList sets;
    for (const QString& column : std::as_const(assignments.columns))
        sets.append(column + QStringLiteral(" = ?"));
    QVariantList values = assignments.values;
    values.append(clientId);
    db.execute(
        QStringLiteral("UPDATE %1 SET %2 WHERE PersonalInformationId = ?").arg(table, sets.join(QStringLiteral(", "))),
        values);
}

ClientRecord::SaveOutcome ClientRecord::save()
{
    CLsDataBaseConnection connection;
    const std::shared_ptr<Database> db = connection.sharedDatabase();
    // The stored rows are compared and written inside one write transaction, so no other
    // connection can change them between the comparison and the write.
    Transaction transaction(*db);
    SaveOutcome outcome;
    std::vector<std::pair<QString, Assignments>> writes;
    std::vector<int> written;
    for (const QString& tab : distinctTabNames()) {
        const std::vector<int> fields = fieldsOf(tab);
        const QHash<QString, QString> now = readRow(db, tab, m_clientId, fields, m_fields, true);
        std::vector<int> changed;
        for (const int field : fields) {
            const QString& name = m_fields[static_cast<size_t>(field)].fieldName;
            if (name.isEmpty() || valueText(field) == m_loaded.value(field))
                continue;
            changed.push_back(field);
            // Changed elsewhere, unless to the very text typed here.
            const QString stored = now.value(name, QStringLiteral(""));
            if (stored != m_loaded.value(field) && stored != valueText(field) &&
                !outcome.changedElsewhere.contains(name))
                outcome.changedElsewhere.append(name);
        }
        writes.emplace_back(tab, assignmentsOf(changed));
        written.insert(written.end(), changed.begin(), changed.end());
    }
    if (!outcome.saved())
        return outcome; // the transaction rolls back; nothing was written
    for (const auto& [tab, assignments] : writes)
        writeExistingClientTab(*db, tab, m_clientId, assignments);
    transaction.commit();
    // What is stored now is what a later save compares with.
    for (const int field : written)
        m_loaded[field] = valueText(field);
    return outcome;
}

qint64 ClientRecord::create()
{
    CLsDataBaseConnection connection;
    const Database& db = connection.database();
    Transaction transaction(db);

    const QString personal = personalInformationTab();
    const Assignments client = assignmentsOf(fieldsOf(personal));
    const QString clientTable = quoteIdentifier(personal);
    if (client.columns.isEmpty())
        db.execute(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(clientTable));
    else
        db.execute(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(clientTable, client.columns.join(QStringLiteral(", ")), questionMarks(client.columns.size())),
            client.values);
    const qint64 newId = db.lastInsertRowId();

    for (const QString& tab : distinctTabNames()) {
        if (tab == personal)
            continue;
        Assignments row = assignmentsOf(fieldsOf(tab));
        row.columns.prepend(QStringLiteral("PersonalInformationId"));
        row.values.prepend(newId);
        db.execute(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(quoteIdentifier(tab), row.columns.join(QStringLiteral(", ")), questionMarks(row.columns.size())),
            row.values);
    }

    transaction.commit();
    m_clientId = newId;
    return newId;
}

void ClientRecord::retire() const
{
    CLsDataBaseConnection connection;
    const int changed = connection.Execute(QStringLiteral("UPDATE %1 SET Active = ? WHERE PersonalInformationId = ?")
                                               .arg(quoteIdentifier(personalInformationTab())),
                                           {0, m_clientId});
    if (changed == 0)
        throw StoreError(QStringLiteral("The client %1 is not in the database").arg(m_clientId));
}
