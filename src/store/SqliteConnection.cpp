#include "store/SqliteConnection.h"

#include "store/Identifier.h"
#include "store/SqliteBlob.h"
#include "store/SqliteStatement.h"
#include "store/SqliteTrigramTokenizer.h"

#include <QDir>
#include <sqlite3.h>

namespace {

// casefold(text): the text with every letter in lower case. The engine's own lower() and
// LIKE fold only A to Z, so "müller" would not find "MÜLLER".
void caseFold(sqlite3_context* context, int, sqlite3_value** values)
{
    if (sqlite3_value_type(values[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
    const QByteArray folded = QString::fromUtf8(text, sqlite3_value_bytes(values[0])).toLower().toUtf8();
    sqlite3_result_text64(context, folded.constData(), static_cast<sqlite3_uint64>(folded.size()), SQLITE_TRANSIENT,
                          SQLITE_UTF8);
}

// longbinary(value): the value's bytes as a long-binary value, so that SQL both engines read
// can store bytes given as text or as bytes (on a server it makes a large object).
void longBinary(sqlite3_context* context, int, sqlite3_value** values)
{
    if (sqlite3_value_type(values[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const void* bytes = sqlite3_value_blob(values[0]);
    sqlite3_result_blob64(context, bytes ? bytes : "", static_cast<sqlite3_uint64>(sqlite3_value_bytes(values[0])),
                          SQLITE_TRANSIENT);
}

} // namespace

SqliteConnection::SqliteConnection(const QString& path, bool create, int busyTimeoutMs) : m_path(path)
{
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw StoreError(QStringLiteral("Cannot open the database %1: %2").arg(path, message));
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    const int fold =
        sqlite3_create_function_v2(m_db, "casefold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                   caseFold, nullptr, nullptr, nullptr);
    const int binary =
        fold != SQLITE_OK
            ? fold
            : sqlite3_create_function_v2(m_db, "longbinary", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                         nullptr, longBinary, nullptr, nullptr, nullptr);
    if (binary != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw StoreError(QStringLiteral("Cannot open the database %1: %2").arg(path, message));
    }
    // Without full-text search the document text index is left out, and the search reads
    // every document (see DocumentTextIndex).
    SqliteTrigramTokenizer::registerOn(m_db);
}

SqliteConnection::~SqliteConnection()
{
    // close_v2 defers the close until statements still alive are finalized.
    sqlite3_close_v2(m_db);
}

StoreError::Kind SqliteConnection::errorKind(int resultCode)
{
    const int primary = resultCode & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return StoreError::Kind::Busy;
    return primary == SQLITE_CORRUPT ? StoreError::Kind::Damaged : StoreError::Kind::Failure;
}

std::unique_ptr<EngineStatement> SqliteConnection::prepare(const QString& sql)
{
    return std::make_unique<SqliteStatement>(m_db, sql);
}

void SqliteConnection::executeScript(const QString& sql)
{
    char* error = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
        sqlite3_free(error);
        throw StoreError(message, errorKind(rc));
    }
}

int SqliteConnection::changes() const
{
    return sqlite3_changes(m_db);
}

qint64 SqliteConnection::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

bool SqliteConnection::inTransaction() const
{
    return sqlite3_get_autocommit(m_db) == 0;
}

qint64 SqliteConnection::maxValueLength() const
{
    return sqlite3_limit(m_db, SQLITE_LIMIT_LENGTH, -1);
}

QString SqliteConnection::lastErrorMessage() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

QString SqliteConnection::displayName() const
{
    return QDir::toNativeSeparators(m_path);
}

void SqliteConnection::beginWrite()
{
    // The writer's lock from the start, not at the first write: nobody else commits meanwhile.
    executeScript(QStringLiteral("BEGIN IMMEDIATE"));
}

void SqliteConnection::beginRead()
{
    executeScript(QStringLiteral("BEGIN"));
}

void SqliteConnection::commit()
{
    executeScript(QStringLiteral("COMMIT"));
}

void SqliteConnection::rollback()
{
    executeScript(QStringLiteral("ROLLBACK"));
}

QVariant SqliteConnection::scalar(const QString& sql, const QVariantList& params)
{
    SqliteStatement statement(m_db, sql);
    for (int i = 0; i < params.size(); ++i)
        statement.bind(i + 1, params.at(i), false);
    return statement.step() ? statement.value(0) : QVariant();
}

std::unique_ptr<EngineBlob> SqliteConnection::openBlob(const QString& table, const QString& column, qint64 key,
                                                       bool writable)
{
    return std::make_unique<SqliteBlob>(m_db, table, column, key, writable);
}

bool SqliteConnection::blobAbsent(const QString& table, const QString& column, qint64 key)
{
    // typeof() reads the row, not the value.
    const QVariant kind = scalar(QStringLiteral("SELECT typeof(%1) FROM %2 WHERE rowid = ?")
                                     .arg(quoteIdentifier(column), quoteIdentifier(table)),
                                 {key});
    return kind.isNull() || kind.toString() == QLatin1String("null");
}

qint64 SqliteConnection::blobLength(const QString& table, const QString& column, qint64 key)
{
    // length() of a long-binary value is answered from the row header without reading the value.
    const QVariant length = scalar(QStringLiteral("SELECT length(%1) FROM %2 WHERE rowid = ?")
                                       .arg(quoteIdentifier(column), quoteIdentifier(table)),
                                   {key});
    return length.isNull() ? -1 : length.toLongLong();
}

QString SqliteConnection::inlineBlobMarker() const
{
    return QStringLiteral("?");
}

QStringList SqliteConnection::tables()
{
    SqliteStatement statement(
        m_db, QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' AND name "
                             "NOT LIKE 'sqlite\\_%' ESCAPE '\\' AND name NOT LIKE 'orvanta\\_%' ESCAPE '\\' "
                             "ORDER BY rowid"));
    QStringList names;
    while (statement.step())
        names.append(statement.value(0).toString());
    return names;
}

std::vector<SchemaCatalog::ColumnInfo> SqliteConnection::columns(const QString& table)
{
    SqliteStatement statement(
        m_db, QStringLiteral("SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?) ORDER BY cid"));
    statement.bind(1, table, false);
    std::vector<SchemaCatalog::ColumnInfo> result;
    int keyColumns = 0;
    const QByteArray tableName = table.toUtf8();
    while (statement.step()) {
        SchemaCatalog::ColumnInfo column;
        column.name = statement.value(0).toString();
        column.type = statement.value(1).toString();
        column.nullable = statement.value(2).toInt() == 0;
        column.defaultExpression = statement.value(3).toString();
        column.autoIncrement =
            statement.value(4).toInt() == 1 && column.type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
        if (statement.value(4).toInt() > 0)
            ++keyColumns;
        const char* collation = nullptr;
        if (sqlite3_table_column_metadata(m_db, nullptr, tableName.constData(), column.name.toUtf8().constData(),
                                          nullptr, &collation, nullptr, nullptr, nullptr) == SQLITE_OK &&
            collation)
            column.caseless = qstricmp(collation, "NOCASE") == 0;
        result.push_back(column);
    }
    // Only a single INTEGER PRIMARY KEY column is the row's own number.
    if (keyColumns > 1) {
        for (SchemaCatalog::ColumnInfo& column : result)
            column.autoIncrement = false;
    }
    return result;
}

QList<QStringList> SqliteConnection::indexColumns(const QString& table)
{
    SqliteStatement list(m_db, QStringLiteral("SELECT name FROM pragma_index_list(?) ORDER BY name"));
    list.bind(1, table, false);
    QList<QStringList> indexes;
    while (list.step()) {
        SqliteStatement info(m_db, QStringLiteral("SELECT name FROM pragma_index_info(?) ORDER BY seqno"));
        info.bind(1, list.value(0).toString(), false);
        QStringList columns;
        while (info.step())
            columns.append(info.value(0).toString());
        indexes.append(columns);
    }
    return indexes;
}

bool SqliteConnection::nameTaken(const QString& name)
{
    return scalar(QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE name = ? COLLATE NOCASE"), {name}).toInt() >
           0;
}

QString SqliteConnection::columnDefinition(const SchemaCatalog::ColumnInfo& column) const
{
    QString definition = quoteIdentifier(column.name) + QLatin1Char(' ') + column.type;
    if (column.autoIncrement)
        definition += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
    if (column.caseless)
        definition += QStringLiteral(" COLLATE NOCASE");
    if (!column.nullable)
        definition += QStringLiteral(" NOT NULL");
    if (!column.defaultExpression.isEmpty()) {
        // The catalog gives a function call's default without the parentheses it needs here.
        const QString& value = column.defaultExpression;
        const bool call = value.contains(QLatin1Char('(')) && !value.startsWith(QLatin1Char('('));
        definition += QStringLiteral(" DEFAULT ") + (call ? QLatin1Char('(') + value + QLatin1Char(')') : value);
    }
    return definition;
}

void SqliteConnection::createTable(const QString& name, const std::vector<SchemaCatalog::ColumnInfo>& columns)
{
    QStringList definitions;
    for (const SchemaCatalog::ColumnInfo& column : columns)
        definitions.append(columnDefinition(column));
    executeScript(
        QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdentifier(name), definitions.join(QStringLiteral(", "))));
}

void SqliteConnection::addColumn(const QString& table, const SchemaCatalog::ColumnInfo& column)
{
    executeScript(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoteIdentifier(table), columnDefinition(column)));
}

void SqliteConnection::createIndex(const QString& name, const QString& table, const QStringList& columns)
{
    QStringList quoted;
    for (const QString& column : columns)
        quoted.append(quoteIdentifier(column));
    executeScript(QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                      .arg(quoteIdentifier(name), quoteIdentifier(table), quoted.join(QStringLiteral(", "))));
}

void SqliteConnection::syncKeyGenerator(const QString&)
{
    // AUTOINCREMENT keeps the largest key ever inserted, explicit ones included.
}

int SqliteConnection::schemaVersion()
{
    return scalar(QStringLiteral("PRAGMA user_version")).toInt();
}

void SqliteConnection::setSchemaVersion(int version)
{
    // A pragma takes no bound values; the number is the program's own.
    executeScript(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

void SqliteConnection::prepareEmptyDatabase()
{
    // Documents are read in pieces of a page: large pages make that fewer, larger reads.
    // Takes effect only while the file holds no table.
    executeScript(QStringLiteral("PRAGMA page_size = 65536"));
}
