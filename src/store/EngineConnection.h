#pragma once

#include "store/SchemaCatalog.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class EngineBlob;
class EngineStatement;

// What the store asks of one connection to one database engine. Database is the owner;
// nothing outside the store sees an engine. The SQL the rest of the program writes is the
// part both engines understand; whatever differs (placeholders, names, transactions, long
// binary values, the catalog, the schema version) is answered here, per engine.
class EngineConnection
{
public:
    virtual ~EngineConnection() = default;

    virtual std::unique_ptr<EngineStatement> prepare(const QString& sql) = 0;
    // Several statements without parameters, in the engine's own SQL.
    virtual void executeScript(const QString& sql) = 0;
    // Several statements written for this engine alone, run as they are (names not matched).
    virtual void executeNative(const QString& sql) = 0;
    // Rows changed by the last statement run to its end.
    virtual int changes() const = 0;
    virtual qint64 lastInsertRowId() const = 0;
    virtual bool inTransaction() const = 0;
    virtual qint64 maxValueLength() const = 0;
    virtual QString lastErrorMessage() const = 0;
    // Where the database is, for messages: a file path, or server and database name
    // (never a password).
    virtual QString displayName() const = 0;

    // A write transaction holds the one writer's place from its start, so that what it reads
    // stays true until it commits (next version numbers, compare-then-write saves).
    virtual void beginWrite() = 0;
    // A read transaction sees one consistent state of the database until it ends.
    virtual void beginRead() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;

    // Long-binary values, by table, column and the row's integer key.
    virtual std::unique_ptr<EngineBlob> openBlob(const QString& table, const QString& column, qint64 key,
                                                 bool writable) = 0;
    // Whether the row is gone or its value Null (asked after opening failed).
    virtual bool blobAbsent(const QString& table, const QString& column, qint64 key) = 0;
    // Size of the value without reading it; -1 for Null or a missing row.
    virtual qint64 blobLength(const QString& table, const QString& column, qint64 key) = 0;
    // The SQL that takes the place of a `?` for bytes that go in with their row.
    virtual QString inlineBlobMarker() const = 0;

    // The catalog.
    virtual QStringList tables() = 0;
    virtual std::vector<SchemaCatalog::ColumnInfo> columns(const QString& table) = 0;
    virtual QList<QStringList> indexColumns(const QString& table) = 0;
    // Whether a table or index already has this name, compared without regard to case.
    virtual bool nameTaken(const QString& name) = 0;
    virtual QString columnDefinition(const SchemaCatalog::ColumnInfo& column) const = 0;
    virtual void createTable(const QString& name, const std::vector<SchemaCatalog::ColumnInfo>& columns) = 0;
    virtual void addColumn(const QString& table, const SchemaCatalog::ColumnInfo& column) = 0;
    virtual void createIndex(const QString& name, const QString& table, const QStringList& columns) = 0;
    // After rows were inserted with explicit keys: the next key given is past them.
    virtual void syncKeyGenerator(const QString& table) = 0;

    virtual int schemaVersion() = 0;
    virtual void setSchemaVersion(int version) = 0;
    // Sets up what the engine needs before the program's tables are created in an empty
    // database. Called outside any transaction; repeating it does no harm.
    virtual void prepareEmptyDatabase() = 0;
};
