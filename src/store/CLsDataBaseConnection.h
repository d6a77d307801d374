#pragma once

#include "store/Recordset.h"

#include <QString>
#include <QVariant>
#include <memory>

class Database;
class SchemaCatalog;

// How windows reach the database file: open it for one action, read or write,
// close it again. An instance may be reused after DbClose().
class CLsDataBaseConnection
{
public:
    // The database of the application folder, or the file at `path`.
    CLsDataBaseConnection();
    explicit CLsDataBaseConnection(const QString& path);
    ~CLsDataBaseConnection();

    CLsDataBaseConnection(const CLsDataBaseConnection&) = delete;
    CLsDataBaseConnection& operator=(const CLsDataBaseConnection&) = delete;

    // Opens the connection and returns the result of `sql`, positioned on its first row.
    // Fails (StoreError) when this instance's connection is already open.
    Recordset CreateRecordset(const QString& sql, const QVariantList& params = {});
    // Closes the connection. Fails when it is not open.
    void DbClose();

    // The command pattern: opens the connection if needed, runs one statement,
    // returns the number of rows changed. The connection stays open until DbClose().
    int Execute(const QString& sql, const QVariantList& params = {});

    bool isOpen() const { return m_db != nullptr; }
    // The open connection (opened on demand), for transactions, the catalog and streaming.
    Database& database();
    std::shared_ptr<Database> sharedDatabase();

    // The database the program works on (DatabaseLocation::current()): Dravolin.mdb in the
    // application folder unless a server is chosen.
    static QString databasePath();

private:
    void open();

    QString m_path;
    std::shared_ptr<Database> m_db;
};
