#pragma once

#include "store/ClientId.h"

#include "clients/FieldEntry.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class Database;

// One client as the record window shows it: the data tabs the client has, the fields of
// every tab, and the value list that carries typed text for the fields whose tab is not on
// screen. Reads and writes the client's rows in the tab tables; no window involved.
//
// A tab table is named exactly as its tab and holds one row per client, found by its
// PersonalInformationId; each field is a text column named exactly as the field.
class ClientRecord
{
public:
    struct Tab
    {
        QString name;
        QString description;
    };

    // What save() did. When a field changed here was also changed elsewhere (another window,
    // another copy of the program) since this record loaded it, nothing is written.
    struct SaveOutcome
    {
        // Names of the fields changed here whose stored value is no longer the loaded one.
        QStringList changedElsewhere;
        bool saved() const { return changedElsewhere.isEmpty(); }
    };

    static constexpr const char* PersonalInformationTab = "Personal Information";

    // `clientId` 0 stands for a client not created yet.
    explicit ClientRecord(ClientId clientId = NoClient);

    ClientId clientId() const { return m_clientId; }
    void setClientId(ClientId clientId) { m_clientId = clientId; }

    // The tabs of this client (its own ones and those of every client) whose table exists,
    // in the order of their definitions; then the fields of every tab in display order.
    // A tab named like one of the window's list tabs ("Resources", "Attachments",
    // "Conferences/Meetings", compared exactly) is left out with its fields: those names
    // belong to the lists. The value list starts empty. Failures to read the definitions
    // throw StoreError.
    void load();

    const std::vector<Tab>& tabs() const { return m_tabs; }
    const std::vector<FieldEntry>& fields() const { return m_fields; }
    // Positions in fields() of the fields of `tab` (its name compared exactly).
    std::vector<int> fieldsOf(const QString& tab) const;

    QString value(int field) const;
    void setValue(int field, const QString& text);
    // The value-list entry of the first field of `tab` named `fieldName`.
    QString value(const QString& tab, const QString& fieldName) const;
    void setValue(const QString& tab, const QString& fieldName, const QString& text);

    // The client's stored values of the fields of `tab`, by field name. A field without a
    // column, a Null value or a missing row gives no entry. Throws StoreError when the
    // table cannot be read.
    QHash<QString, QString> storedValues(const QString& tab) const;
    // Fills the value list from every tab's stored row; a tab that cannot be read, a missing
    // row or a Null value leaves its entries as they were. What was read is remembered as
    // the loaded values that save() compares with (a Null or missing value as empty text).
    void loadStoredValues();

    // Writes the fields whose value-list text differs from the loaded one into the client's
    // row of their tab, adding a row (with only the client's identifier) where the client
    // has none yet; fields left as loaded are not written. When the stored value of a
    // changed field is no longer the loaded one, nothing is written and the outcome names
    // the fields. Either every tab is written or, when one fails (StoreError, also when a
    // tab's table lacks the column of one of its fields), none.
    SaveOutcome save();
    // Creates the client: its Personal Information row, then one row in every other tab's
    // table, all from the value list and all or nothing. Returns the new identifier, which
    // becomes this record's clientId(). Throws StoreError when anything fails.
    qint64 create();
    // Marks the client as deleted (Active = 0); every row of the client stays.
    void retire() const;

    // Tab definitions and field entries, read on their own.
    static std::vector<Tab> readTabs(ClientId clientId);
    static std::vector<FieldEntry> readFieldEntries();

private:
    struct Assignments
    {
        QStringList columns; // quoted
        QVariantList values;
    };

    QStringList distinctTabNames() const;
    QString valueText(int field) const;
    Assignments assignmentsOf(const std::vector<int>& fields) const;
    static QHash<QString, QString> readRow(const std::shared_ptr<Database>& db, const QString& tab, ClientId clientId,
                                           const std::vector<int>& fields, const std::vector<FieldEntry>& entries,
                                           bool requireColumns);
    static void writeExistingClientTab(const Database& db, const QString& tab, ClientId clientId,
                                       const Assignments& assignments);

    ClientId m_clientId = NoClient;
    std::vector<Tab> m_tabs;
    std::vector<FieldEntry> m_fields;
    QStringList m_values;
    // The stored text of each field when loadStoredValues() last read it.
    QStringList m_loaded;
};
