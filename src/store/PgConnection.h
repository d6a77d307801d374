#pragma once

#include "store/EngineConnection.h"
#include "store/PgResult.h"
#include "store/PgSqlTranslator.h"
#include "store/StoreError.h"

#include <QByteArray>
#include <QHash>
#include <libpq-fe.h>
#include <memory>
#include <vector>

// A database on a PostgreSQL server, reached through libpq.
//
// Statements are sent with their values (text, or binary for long-binary values) and their
// results arrive whole, so that several statements can be read at once as on SQLite. Writers
// take one advisory lock per database at the start of their transaction: they follow each
// other as on SQLite, which keeps version numbers and compare-then-write saves right across
// desks. The program's own helpers on the server (casefold(), zeroblob(), the column types,
// the schema version) live in the schema "orvanta_store".
class PgConnection final : public EngineConnection, public std::enable_shared_from_this<PgConnection>
{
public:
    // Connects; StoreError naming the server and database (never the password) when it cannot.
    PgConnection(const QString& uri, int busyTimeoutMs);
    ~PgConnection() override;

    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    struct Value
    {
        QByteArray bytes;
        bool null = false;
        bool binary = false; // long-binary bytes, sent as they are
    };

    // Runs PostgreSQL's own SQL with values; throws StoreError on failure.
    PgResult run(const QString& sql, const std::vector<Value>& values = {}, bool binaryResult = false);
    // The error of a failed result, thrown.
    [[noreturn]] void fail(const PgResult& result) const;
    PGconn* handle() const { return m_conn; }

    // The program's SQL in PostgreSQL's words (cached per text).
    const PgSqlTranslator::Result& translate(const QString& sql);
    // What a statement run to its end changed or inserted.
    void noteChanges(int changes, qint64 insertedKey, bool inserted);
    // Names are read again after the schema changed.
    void forgetNames();
    // Whether it can serve another action: connected and outside any transaction.
    bool reusable() const;
    // Before it serves another action: false when it no longer works (one round trip);
    // otherwise its counts start afresh, and its names are read again on first use when the
    // schema changed since they were read.
    bool startReuse();
    // The table and column a result column comes from, and its type as the program names it.
    struct ColumnOrigin
    {
        QString table;
        QString column;
        QString type;
    };
    ColumnOrigin origin(unsigned int tableOid, int columnNumber);
    // A table's integer key ("" when it has none).
    QString keyOf(const QString& table);

    std::unique_ptr<EngineStatement> prepare(const QString& sql) override;
    void executeScript(const QString& sql) override;
    void executeNative(const QString& sql) override;
    int changes() const override { return m_changes; }
    qint64 lastInsertRowId() const override { return m_lastInsertRowId; }
    bool inTransaction() const override;
    qint64 maxValueLength() const override;
    QString lastErrorMessage() const override;
    QString displayName() const override { return m_displayName; }

    void beginWrite() override;
    void beginRead() override;
    void commit() override;
    void rollback() override;

    std::unique_ptr<EngineBlob> openBlob(const QString& table, const QString& column, qint64 key,
                                         bool writable) override;
    bool blobAbsent(const QString& table, const QString& column, qint64 key) override;
    qint64 blobLength(const QString& table, const QString& column, qint64 key) override;
    QString inlineBlobMarker() const override;

    QStringList tables() override;
    std::vector<SchemaCatalog::ColumnInfo> columns(const QString& table) override;
    QList<QStringList> indexColumns(const QString& table) override;
    bool nameTaken(const QString& name) override;
    QString columnDefinition(const SchemaCatalog::ColumnInfo& column) const override;
    void createTable(const QString& name, const std::vector<SchemaCatalog::ColumnInfo>& columns) override;
    void addColumn(const QString& table, const SchemaCatalog::ColumnInfo& column) override;
    void createIndex(const QString& name, const QString& table, const QStringList& columns) override;
    void syncKeyGenerator(const QString& table) override;

    int schemaVersion() override;
    void setSchemaVersion(int version) override;
    void prepareEmptyDatabase() override;

private:
    struct TableInfo
    {
        QString name;
        std::vector<SchemaCatalog::ColumnInfo> columns; // by attribute number - 1 (dropped ones empty)
        QString key;
    };
    void loadNames();
    QByteArray schemaStamp();
    // `select` (with %1 for the quoted column) of the row `key` of `table`, where `condition`
    // (the same %1) also holds.
    PgResult valueOfRow(const QString& table, const QString& column, qint64 key, const QString& select,
                        const QString& condition = QString());

    PGconn* m_conn = nullptr;
    QString m_displayName;
    int m_changes = 0;
    qint64 m_lastInsertRowId = 0;
    bool m_namesLoaded = false;
    QByteArray m_namesStamp; // the schema's stamp when the names were read
    bool m_writing = false;  // inside a transaction that holds the writers' lock
    PgSqlTranslator::Names m_names;
    QHash<unsigned int, TableInfo> m_tables; // by table oid
    QHash<QString, PgSqlTranslator::Result> m_translations;
    QString m_lastError;
};
