#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class Database;

// What the database holds: its tables and their columns; creates tables and columns.
class SchemaCatalog
{
public:
    struct ColumnInfo
    {
        QString name;
        QString type; // declared type: INTEGER, TEXT, DATE, TIME, BOOLEAN, BLOB
        bool autoIncrement = false;
        bool nullable = true;
        // SQL text of the default, empty for none: a number, a quoted text, or the current
        // date as date('now', 'localtime'), which every engine understands here.
        QString defaultExpression;
        // Text compared and sorted without regard to the case of A to Z.
        bool caseless = false;
    };

    explicit SchemaCatalog(const Database& db);

    QStringList tables() const;               // user tables, in creation order
    bool hasTable(const QString& name) const; // compared without regard to case
    std::vector<ColumnInfo> columns(const QString& table) const;
    QStringList columnNames(const QString& table) const;
    QString integerKey(const QString& table) const; // the auto-increment key column, or ""

    void createTable(const QString& name, const std::vector<ColumnInfo>& columns) const;
    void addColumn(const QString& table, const ColumnInfo& column) const;
    // Gives `table` an index on PersonalInformationId unless one already leads with it (or
    // it is the table's own row number), so that one client's rows are found without a scan.
    void ensureClientIndex(const QString& table) const;
    // The indexes of `table` by name, with their columns in order.
    QList<QStringList> indexColumns(const QString& table) const;
    void createIndex(const QString& name, const QString& table, const QStringList& columns) const;
    // Sets the key generator of `table` past the largest key it holds, after rows were
    // inserted with their keys given, so that the next row inserted without one gets a new key.
    void syncKeyGenerator(const QString& table) const;

    QString columnDefinition(const ColumnInfo& column) const;

private:
    const Database& m_db;
};
