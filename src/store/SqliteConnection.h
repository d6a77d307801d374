#pragma once

#include "store/EngineConnection.h"
#include "store/StoreError.h"

struct sqlite3;

// A database file opened through SQLite.
//
// Besides the engine's own SQL functions the connection knows casefold(text): the text with
// all its letters in lower case, not only A to Z (Null stays Null); and longbinary(x): the
// bytes of x stored as a long-binary value.
class SqliteConnection final : public EngineConnection
{
public:
    // Opens an existing file (or creates it when `create` is true); StoreError when it cannot.
    SqliteConnection(const QString& path, bool create, int busyTimeoutMs);
    ~SqliteConnection() override;

    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // The kind of an SQLite result code (extended codes included).
    static StoreError::Kind errorKind(int resultCode);

    std::unique_ptr<EngineStatement> prepare(const QString& sql) override;
    void executeScript(const QString& sql) override;
    void executeNative(const QString& sql) override { executeScript(sql); }
    int changes() const override;
    qint64 lastInsertRowId() const override;
    bool inTransaction() const override;
    qint64 maxValueLength() const override;
    QString lastErrorMessage() const override;
    QString displayName() const override;

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
    QVariant scalar(const QString& sql, const QVariantList& params = {});

    sqlite3* m_db = nullptr;
    QString m_path;
};
