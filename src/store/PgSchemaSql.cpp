#include "store/PgSchemaSql.h"

#include "store/PgSqlTranslator.h"

#include <QRegularExpression>

namespace {

QString literal(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString kindOf(const QString& type, bool& caseless)
{
    caseless = false;
    if (type == QLatin1String("orvanta_nocase")) {
        caseless = true;
        return QStringLiteral("TEXT");
    }
    if (type == QLatin1String("orvanta_date"))
        return QStringLiteral("DATE");
    if (type == QLatin1String("orvanta_time"))
        return QStringLiteral("TIME");
    if (type == QLatin1String("orvanta_boolean"))
        return QStringLiteral("BOOLEAN");
    if (type == QLatin1String("orvanta_blob"))
        return QStringLiteral("BLOB");
    if (type == QLatin1String("int8") || type == QLatin1String("int4") || type == QLatin1String("int2"))
        return QStringLiteral("INTEGER");
    if (type == QLatin1String("text") || type == QLatin1String("varchar") || type == QLatin1String("bpchar"))
        return QStringLiteral("TEXT");
    if (type == QLatin1String("float8") || type == QLatin1String("float4") || type == QLatin1String("numeric"))
        return QStringLiteral("REAL");
    return type.toUpper();
}

// The current date as SQLite writes it in a default, in any spacing.
bool isToday(const QString& expression)
{
    QString compact = expression;
    compact.remove(QLatin1Char(' '));
    while (compact.startsWith(QLatin1Char('(')) && compact.endsWith(QLatin1Char(')')))
        compact = compact.mid(1, compact.size() - 2);
    return compact.compare(QLatin1String("date('now','localtime')"), Qt::CaseInsensitive) == 0;
}

QString defaultFromServer(const QString& expression)
{
    if (expression.isEmpty())
        return {};
    if (expression.contains(QLatin1String("CURRENT_DATE")))
        return QStringLiteral("date('now', 'localtime')");
    static const QRegularExpression cast(QStringLiteral("^\\(?(.*?)\\)?::[a-z_ .\"]+$"));
    const QRegularExpressionMatch match = cast.match(expression);
    return match.hasMatch() ? match.captured(1) : expression;
}

} // namespace

QString PgSchemaSql::tablesQuery()
{
    return QStringLiteral("SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                          "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p') ORDER BY c.oid");
}

QString PgSchemaSql::schemaStampQuery()
{
    return QStringLiteral("SELECT count(*) || '/' || coalesce(sum(c.xmin::text::bigint), 0) FROM pg_class c "
                          "JOIN pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname = current_schema()");
}

QString PgSchemaSql::columnsQuery(bool oneTable)
{
    return QStringLiteral("SELECT c.oid, c.relname, a.attnum, a.attname, t.typname, a.attnotnull, "
                          "pg_get_expr(d.adbin, d.adrelid), a.attidentity "
                          "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                          "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
                          "JOIN pg_type t ON t.oid = a.atttypid "
                          "LEFT JOIN pg_attrdef d ON d.adrelid = c.oid AND d.adnum = a.attnum "
                          "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p')") +
           (oneTable ? QStringLiteral(" AND c.relname = $1") : QString()) + QStringLiteral(" ORDER BY c.oid, a.attnum");
}

SchemaCatalog::ColumnInfo PgSchemaSql::columnFrom(const PGresult* result, int row)
{
    SchemaCatalog::ColumnInfo column;
    column.name = QString::fromUtf8(PQgetvalue(result, row, 3));
    column.type = kindOf(QString::fromUtf8(PQgetvalue(result, row, 4)), column.caseless);
    column.autoIncrement = PQgetvalue(result, row, 7)[0] != '\0';
    // A key reads back as SQLite reports it: not declared NOT NULL.
    column.nullable = column.autoIncrement || qstrcmp(PQgetvalue(result, row, 5), "t") != 0;
    column.defaultExpression = defaultFromServer(QString::fromUtf8(PQgetvalue(result, row, 6)));
    return column;
}

QString PgSchemaSql::indexesQuery()
{
    return QStringLiteral("SELECT i.relname, pg_get_indexdef(i.oid) FROM pg_index x "
                          "JOIN pg_class i ON i.oid = x.indexrelid JOIN pg_class t ON t.oid = x.indrelid "
                          "JOIN pg_namespace n ON n.oid = t.relnamespace "
                          "WHERE n.nspname = current_schema() AND t.relname = $1 AND NOT x.indisprimary "
                          "ORDER BY i.relname");
}

QStringList PgSchemaSql::indexColumnNames(const QString& definition)
{
    // "CREATE INDEX … ON … USING btree (a, lower(\"Last Name\"))": the parts of the last list.
    const int open = definition.indexOf(QLatin1Char('('), definition.lastIndexOf(QLatin1String(" USING ")));
    if (open < 0)
        return {};
    QStringList names;
    QString part;
    int depth = 0;
    bool quoted = false;
    const auto finish = [&names, &part] {
        QString name = part.trimmed();
        if (name.startsWith(QLatin1String("lower(")) && name.endsWith(QLatin1Char(')')))
            name = name.mid(6, name.size() - 7).trimmed();
        // A domain's column inside lower() reads back cast to its base type: ("x")::text.
        static const QRegularExpression cast(QStringLiteral("^\\((.*)\\)::\\w+$"));
        const QRegularExpressionMatch match = cast.match(name);
        if (match.hasMatch())
            name = match.captured(1);
        if (name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
            name = name.mid(1, name.size() - 2).replace(QLatin1String("\"\""), QLatin1String("\""));
        names.append(name);
        part.clear();
    };
    for (int i = open + 1; i < definition.size(); ++i) {
        const QChar c = definition.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('('))
            ++depth;
        if (!quoted && c == QLatin1Char(')') && depth-- == 0) {
            finish();
            break;
        }
        if (!quoted && depth == 0 && c == QLatin1Char(',')) {
            finish();
            continue;
        }
        part += c;
    }
    return names;
}

QString PgSchemaSql::nameTakenQuery()
{
    return QStringLiteral("SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                          "WHERE n.nspname = current_schema() AND lower(c.relname) = lower($1)");
}

bool PgSchemaSql::isLongBinary(const SchemaCatalog::ColumnInfo& column)
{
    return column.type.compare(QLatin1String("BLOB"), Qt::CaseInsensitive) == 0;
}

QString PgSchemaSql::columnDefinition(const SchemaCatalog::ColumnInfo& column)
{
    const QString kind = column.type.toUpper();
    QString type;
    if (column.autoIncrement)
        type = QStringLiteral("bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    else if (kind == QLatin1String("INTEGER"))
        type = QStringLiteral("bigint");
    else if (kind == QLatin1String("TEXT"))
        type = column.caseless ? QStringLiteral("orvanta_store.orvanta_nocase") : QStringLiteral("text COLLATE \"C\"");
    else if (kind == QLatin1String("DATE"))
        type = QStringLiteral("orvanta_store.orvanta_date");
    else if (kind == QLatin1String("TIME"))
        type = QStringLiteral("orvanta_store.orvanta_time");
    else if (kind == QLatin1String("BOOLEAN"))
        type = QStringLiteral("orvanta_store.orvanta_boolean");
    else if (kind == QLatin1String("BLOB"))
        type = QStringLiteral("orvanta_store.orvanta_blob");
    else if (kind == QLatin1String("REAL") || kind == QLatin1String("DOUBLE") || kind == QLatin1String("FLOAT"))
        type = QStringLiteral("double precision");
    else
        type = column.type;
    QString definition = PgSqlTranslator::quote(column.name) + QLatin1Char(' ') + type;
    if (!column.nullable && !column.autoIncrement)
        definition += QStringLiteral(" NOT NULL");
    if (!column.defaultExpression.isEmpty())
        definition += QStringLiteral(" DEFAULT ") + (isToday(column.defaultExpression)
                                                         ? QStringLiteral("to_char(CURRENT_DATE, 'YYYY-MM-DD')")
                                                         : column.defaultExpression);
    return definition;
}

QString PgSchemaSql::createTable(const QString& name, const std::vector<SchemaCatalog::ColumnInfo>& columns)
{
    QStringList definitions;
    for (const SchemaCatalog::ColumnInfo& column : columns)
        definitions.append(columnDefinition(column));
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(PgSqlTranslator::quote(name), definitions.join(QStringLiteral(", ")));
}

QString PgSchemaSql::unlinkTrigger(const QString& table, const QString& column)
{
    return QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE OR DELETE ON %2 FOR EACH ROW "
                          "EXECUTE FUNCTION orvanta_store.unlink_blob(%3)")
        .arg(PgSqlTranslator::quote(QStringLiteral("unlink ") + column.left(40)), PgSqlTranslator::quote(table),
             literal(column));
}

QString PgSchemaSql::createIndex(const QString& name, const QString& table, const QStringList& columns,
                                 const QStringList& caselessColumns)
{
    QStringList parts;
    for (const QString& column : columns) {
        const QString quoted = PgSqlTranslator::quote(column);
        parts.append(caselessColumns.contains(column, Qt::CaseInsensitive) ? QStringLiteral("lower(%1)").arg(quoted)
                                                                           : quoted);
    }
    return QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
        .arg(PgSqlTranslator::quote(name), PgSqlTranslator::quote(table), parts.join(QStringLiteral(", ")));
}

QString PgSchemaSql::syncKeyGenerator(const QString& table, const QString& key)
{
    return QStringLiteral("SELECT setval(pg_get_serial_sequence(%1, %2), coalesce(max(%3), 0) + 1, false) FROM %4")
        .arg(literal(PgSqlTranslator::quote(table)), literal(key), PgSqlTranslator::quote(key),
             PgSqlTranslator::quote(table));
}

bool PgSchemaSql::changesSchema(const QString& sql)
{
    const QString start = sql.trimmed().left(6).toUpper();
    return start.startsWith(QLatin1String("CREATE")) || start.startsWith(QLatin1String("ALTER")) ||
           start.startsWith(QLatin1String("DROP"));
}

QString PgSchemaSql::supportScript()
{
    return QStringLiteral(R"sql(
CREATE SCHEMA IF NOT EXISTS orvanta_store;
CREATE TABLE IF NOT EXISTS orvanta_store.schema_version (version integer NOT NULL);
DO $$
BEGIN
    IF to_regtype('orvanta_store.orvanta_nocase') IS NULL THEN
        CREATE DOMAIN orvanta_store.orvanta_nocase AS text COLLATE "C";
    END IF;
    IF to_regtype('orvanta_store.orvanta_date') IS NULL THEN
        CREATE DOMAIN orvanta_store.orvanta_date AS text COLLATE "C";
    END IF;
    IF to_regtype('orvanta_store.orvanta_time') IS NULL THEN
        CREATE DOMAIN orvanta_store.orvanta_time AS text COLLATE "C";
    END IF;
    IF to_regtype('orvanta_store.orvanta_boolean') IS NULL THEN
        CREATE DOMAIN orvanta_store.orvanta_boolean AS bigint;
    END IF;
    IF to_regtype('orvanta_store.orvanta_blob') IS NULL THEN
        CREATE DOMAIN orvanta_store.orvanta_blob AS oid;
    END IF;
END
$$;
-- casefold(): every letter in lower case, not only A to Z, in the first Unicode-aware
-- collation the server has.
DO $$
DECLARE
    unicode text;
BEGIN
    SELECT quote_ident(collname) INTO unicode FROM pg_collation
     WHERE collname IN ('und-x-icu', 'C.utf8', 'C.UTF-8', 'en_US.utf8') AND collencoding IN (-1, 6)
     ORDER BY array_position(ARRAY['und-x-icu', 'C.utf8', 'C.UTF-8', 'en_US.utf8'], collname::text) LIMIT 1;
    EXECUTE format('CREATE OR REPLACE FUNCTION orvanta_store.casefold(value text) RETURNS text '
                   'LANGUAGE sql IMMUTABLE PARALLEL SAFE AS %L',
                   'SELECT lower(value COLLATE ' || coalesce('pg_catalog.' || unicode, '"default"') || ')');
END
$$;
-- zeroblob(n): a new large object of n zero bytes, to be written in pieces.
CREATE OR REPLACE FUNCTION orvanta_store.zeroblob(size bigint) RETURNS oid LANGUAGE plpgsql STRICT AS $$
DECLARE
    object oid := lo_create(0);
    fd integer;
BEGIN
    IF size > 0 THEN
        fd := lo_open(object, 131072);
        PERFORM lo_truncate64(fd, size);
        PERFORM lo_close(fd);
    END IF;
    RETURN object;
END
$$;
-- longbinary(bytes): a new large object holding them, as SQLite's longbinary() stores bytes.
CREATE OR REPLACE FUNCTION orvanta_store.longbinary(bytes bytea) RETURNS oid LANGUAGE sql STRICT AS $$
    SELECT lo_from_bytea(0, bytes)
$$;
CREATE OR REPLACE FUNCTION orvanta_store.blob_size(object oid) RETURNS bigint LANGUAGE plpgsql AS $$
DECLARE
    fd integer := lo_open(object, 262144);
    size bigint;
BEGIN
    size := lo_lseek64(fd, 0, 2);
    PERFORM lo_close(fd);
    RETURN size;
END
$$;
-- A large object lives as long as the row that holds its number.
CREATE OR REPLACE FUNCTION orvanta_store.unlink_blob() RETURNS trigger LANGUAGE plpgsql AS $$
DECLARE
    old_object oid := (to_jsonb(OLD) ->> TG_ARGV[0])::oid;
    new_object oid;
BEGIN
    IF TG_OP = 'UPDATE' THEN
        new_object := (to_jsonb(NEW) ->> TG_ARGV[0])::oid;
    END IF;
    IF old_object IS NOT NULL AND old_object IS DISTINCT FROM new_object
       AND EXISTS (SELECT 1 FROM pg_largeobject_metadata WHERE oid = old_object) THEN
        PERFORM lo_unlink(old_object);
    END IF;
    RETURN NULL;
END
$$;
)sql");
}
