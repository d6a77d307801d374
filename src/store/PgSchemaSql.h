#pragma once

#include "store/SchemaCatalog.h"

#include <QString>
#include <QStringList>
#include <libpq-fe.h>
#include <vector>

// The PostgreSQL side of the catalog: the queries that read it, the DDL that renders the
// program's column kinds, and the helpers the program keeps on the server.
//
// Column kinds map to types so that the catalog reads back what was created: INTEGER is
// bigint (a key: an identity column), TEXT is text in byte order as on SQLite, and the
// kinds PostgreSQL has no exact type for are domains in "orvanta_store": orvanta_nocase
// (text compared without regard to case), orvanta_date and orvanta_time (ISO 8601 text, as
// SQLite keeps them), orvanta_boolean (a whole number, 1 or 0) and orvanta_blob (a large
// object's number; a trigger frees the object with its row).
class PgSchemaSql
{
public:
    static QString tablesQuery();
    // A stamp of the schema's relations that any table, column or index made or dropped
    // changes (their count and the transactions that last wrote their catalog rows).
    static QString schemaStampQuery();
    // Columns: table oid, table, number, name, type, not null, default, identity. With
    // `oneTable`, of the table named by $1.
    static QString columnsQuery(bool oneTable = false);
    static SchemaCatalog::ColumnInfo columnFrom(const PGresult* result, int row);
    static QString indexesQuery();
    static QStringList indexColumnNames(const QString& definition);
    static QString nameTakenQuery();

    static QString columnDefinition(const SchemaCatalog::ColumnInfo& column);
    static bool isLongBinary(const SchemaCatalog::ColumnInfo& column);
    static QString createTable(const QString& name, const std::vector<SchemaCatalog::ColumnInfo>& columns);
    static QString unlinkTrigger(const QString& table, const QString& column);
    static QString createIndex(const QString& name, const QString& table, const QStringList& columns,
                               const QStringList& caselessColumns);
    static QString syncKeyGenerator(const QString& table, const QString& key);
    // Whether the statement may change tables or columns.
    static bool changesSchema(const QString& sql);

    // Creates or renews the helpers in "orvanta_store"; safe to run again.
    static QString supportScript();
};
