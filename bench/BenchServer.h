#pragma once

#include "ExternalCommand.h"

#include <QString>
#include <QStringList>

// A PostgreSQL server of the run's own, for the cases measured on the second engine: a new
// cluster in a folder of the run, listening on a Unix socket only, with the durability and
// memory settings a new cluster has. It stops when this object goes.
class BenchServer
{
public:
    // Starts it in `folder`; when the server programs are missing or it does not start,
    // available() is false and reason() says why.
    explicit BenchServer(const QString& folder);
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    bool available() const { return m_reason.isEmpty(); }
    QString reason() const { return m_reason; }
    // "PostgreSQL 15.10, Unix socket, a new cluster's settings"
    QString describe() const { return m_description; }

    // The URI of the database `name`.
    QString uriOf(const QString& name) const;
    // Makes an empty database; returns its URI.
    QString createDatabase(const QString& name) const;
    void dropDatabase(const QString& name) const;
    // Makes the application folder `app` work on a new database `name` (its Database.conf).
    QString prepareFolder(const QString& app, const QString& name) const;
    // Moves the database file `file` into a new database `name` with the program's own copy,
    // for the application folder `app`; returns the copy's seconds. The server's maintenance
    // of the new rows is done before it returns, not during the measurements.
    double copyIn(const QString& file, const QString& app, const QString& name) const;
    // Restarts the server and drops its files from the page cache: the next reads are cold.
    void makeCold() const;
    // psql on the database `uri` with the arguments, its output captured; throws StoreError
    // when it fails.
    ExternalCommand::Result psql(const QString& uri, const QStringList& arguments) const;
    static bool havePsql();

private:
    QString script(const QString& command) const;

    QString m_folder;
    QString m_uri; // the maintenance database's
    QString m_reason;
    QString m_description;
};
