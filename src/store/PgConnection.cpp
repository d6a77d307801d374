#include "store/PgConnection.h"

#include "store/DatabaseLocation.h"
#include "store/PgBlob.h"
#include "store/PgSchemaSql.h"
#include "store/PgStatement.h"

#include <QTimeZone>

namespace {

// Every writer of one database takes this lock first (see the class comment).
constexpr const char* WriterLock = "SELECT pg_advisory_xact_lock(4897654321)";
// The largest long-binary value, as on SQLite.
constexpr qint64 MaxValueLength = 1000000000;

bool isBusyState(const char* state)
{
    // lock_not_available (lock_timeout), deadlock, serialization failure, statement timeout.
    return qstrcmp(state, "55P03") == 0 || qstrcmp(state, "40P01") == 0 || qstrcmp(state, "40001") == 0 ||
           qstrcmp(state, "57014") == 0;
}

QString trimmedMessage(const char* text)
{
    return QString::fromUtf8(text ? text : "").trimmed();
}

} // namespace

PgConnection::PgConnection(const QString& uri, int busyTimeoutMs) : m_displayName(DatabaseLocation::describe(uri))
{
    // Defaults first: what the URI says overrides them.
    const QByteArray location = uri.toUtf8();
    const char* keywords[] = {"connect_timeout", "application_name", "dbname", nullptr};
    const char* values[] = {"10", "Orvanta", location.constData(), nullptr};
    m_conn = PQconnectdbParams(keywords, values, 1);
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        const QString message = m_conn ? trimmedMessage(PQerrorMessage(m_conn)) : QStringLiteral("out of memory");
        PQfinish(m_conn);
        m_conn = nullptr;
        throw StoreError(QStringLiteral("Cannot connect to the %1: %2").arg(m_displayName, message));
    }
    try {
        PQsetClientEncoding(m_conn, "UTF8");
        // Dates the program writes are the desk's dates, as SQLite's 'localtime' gives them.
        run(QStringLiteral("SELECT set_config('search_path', 'public, orvanta_store', false), "
                           "set_config('lock_timeout', $1, false), set_config('DateStyle', 'ISO, YMD', false), "
                           "set_config('standard_conforming_strings', 'on', false), "
                           "set_config('plan_cache_mode', 'force_custom_plan', false)"),
            {{QByteArray::number(busyTimeoutMs) + "ms"}});
        const QByteArray zone = QTimeZone::systemTimeZoneId();
        if (!zone.isEmpty()) {
            try {
                run(QStringLiteral("SELECT set_config('TimeZone', $1, false)"), {{zone}});
            } catch (const StoreError&) {
                const int offset = QTimeZone::systemTimeZone().offsetFromUtc(QDateTime::currentDateTime());
                // POSIX offsets count west of Greenwich.
                run(QStringLiteral("SELECT set_config('TimeZone', $1, false)"),
                    {{QByteArray("<LOCAL>") + QByteArray::number(-offset / 3600.0)}});
            }
        }
    } catch (...) {
        PQfinish(m_conn);
        m_conn = nullptr;
        throw;
    }
}

PgConnection::~PgConnection()
{
    PQfinish(m_conn);
}

PgResult PgConnection::run(const QString& sql, const std::vector<Value>& values, bool binaryResult)
{
    const QByteArray text = sql.toUtf8();
    std::vector<const char*> data;
    std::vector<int> lengths;
    std::vector<int> formats;
    std::vector<Oid> types;
    for (const Value& value : values) {
        data.push_back(value.null ? nullptr : value.bytes.constData());
        lengths.push_back(static_cast<int>(value.bytes.size()));
        formats.push_back(value.binary ? 1 : 0);
        types.push_back(value.binary ? 17 : 0); // bytea; the rest as the server reads them in place
    }
    PgResult result(PQexecParams(m_conn, text.constData(), static_cast<int>(values.size()), types.data(), data.data(),
                                 lengths.data(), formats.data(), binaryResult ? 1 : 0));
    if (!result.ok())
        fail(result);
    return result;
}

void PgConnection::fail(const PgResult& result) const
{
    QString message;
    if (result)
        message = trimmedMessage(PQresultErrorField(result.get(), PG_DIAG_MESSAGE_PRIMARY));
    if (message.isEmpty())
        message = trimmedMessage(PQerrorMessage(m_conn));
    if (PQstatus(m_conn) != CONNECTION_OK)
        message = QStringLiteral("The connection to the %1 was lost: %2").arg(m_displayName, message);
    const_cast<PgConnection*>(this)->m_lastError = message;
    throw StoreError(message, isBusyState(result.state()) ? StoreError::Kind::Busy : StoreError::Kind::Failure);
}

const PgSqlTranslator::Result& PgConnection::translate(const QString& sql)
{
    const auto found = m_translations.constFind(sql);
    if (found != m_translations.constEnd())
        return *found;
    if (!m_namesLoaded)
        loadNames();
    if (m_translations.size() > 256)
        m_translations.clear();
    return *m_translations.insert(sql, PgSqlTranslator::translate(sql, m_names));
}

void PgConnection::noteChanges(int changes, qint64 insertedKey, bool inserted)
{
    m_changes = changes;
    if (inserted)
        m_lastInsertRowId = insertedKey;
}

bool PgConnection::reusable() const
{
    return PQstatus(m_conn) == CONNECTION_OK && PQtransactionStatus(m_conn) == PQTRANS_IDLE;
}

bool PgConnection::startReuse()
{
    if (!reusable())
        return false;
    // One round trip shows that it works and whether another connection changed the schema
    // since the names were read.
    QByteArray stamp;
    try {
        stamp = schemaStamp();
    } catch (const StoreError&) {
        return false;
    }
    if (stamp != m_namesStamp)
        forgetNames();
    m_changes = 0;
    m_lastInsertRowId = 0;
    m_lastError.clear();
    return true;
}

void PgConnection::forgetNames()
{
    m_namesLoaded = false;
    m_namesStamp.clear();
    m_translations.clear();
}

QByteArray PgConnection::schemaStamp()
{
    const PgResult result = run(PgSchemaSql::schemaStampQuery());
    return QByteArray(PQgetvalue(result.get(), 0, 0));
}

void PgConnection::loadNames()
{
    m_names = {};
    m_tables.clear();
    // Taken first: a change made while the names are read makes the next stamp differ.
    m_namesStamp = schemaStamp();
    const PgResult result = run(PgSchemaSql::columnsQuery());
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        const unsigned int oid = QByteArray(PQgetvalue(result.get(), row, 0)).toUInt();
        TableInfo& table = m_tables[oid];
        table.name = QString::fromUtf8(PQgetvalue(result.get(), row, 1));
        const int number = QByteArray(PQgetvalue(result.get(), row, 2)).toInt();
        const SchemaCatalog::ColumnInfo column = PgSchemaSql::columnFrom(result.get(), row);
        if (static_cast<int>(table.columns.size()) < number)
            table.columns.resize(static_cast<size_t>(number));
        table.columns[static_cast<size_t>(number - 1)] = column;
        if (column.autoIncrement)
            table.key = column.name;
    }
    for (const TableInfo& table : std::as_const(m_tables)) {
        QStringList& tableSpellings = m_names.spellings[table.name.toLower()];
        if (!tableSpellings.contains(table.name))
            tableSpellings.append(table.name);
        if (!table.key.isEmpty())
            m_names.keyOf.insert(table.name.toLower(), table.key);
        for (const SchemaCatalog::ColumnInfo& column : table.columns) {
            if (column.name.isEmpty())
                continue;
            QStringList& spellings = m_names.spellings[column.name.toLower()];
            if (!spellings.contains(column.name))
                spellings.append(column.name);
            if (column.caseless) {
                m_names.caselessColumns.insert(column.name.toLower());
                m_names.caselessColumns.insert(table.name.toLower() + QLatin1Char('.') + column.name.toLower());
            }
            if (PgSchemaSql::isLongBinary(column)) {
                m_names.longBinaryColumns.insert(column.name.toLower());
                m_names.longBinaryColumns.insert(table.name.toLower() + QLatin1Char('.') + column.name.toLower());
            }
        }
    }
    m_namesLoaded = true;
}

PgConnection::ColumnOrigin PgConnection::origin(unsigned int tableOid, int columnNumber)
{
    if (tableOid == 0 || columnNumber <= 0)
        return {};
    if (!m_namesLoaded || !m_tables.contains(tableOid))
        loadNames();
    const auto found = m_tables.constFind(tableOid);
    if (found == m_tables.constEnd() || columnNumber > static_cast<int>(found->columns.size()))
        return {};
    const SchemaCatalog::ColumnInfo& column = found->columns[static_cast<size_t>(columnNumber - 1)];
    return {found->name, column.name, column.type};
}

QString PgConnection::keyOf(const QString& table)
{
    if (!m_namesLoaded)
        loadNames();
    return m_names.keyOf.value(table.toLower());
}

std::unique_ptr<EngineStatement> PgConnection::prepare(const QString& sql)
{
    return std::make_unique<PgStatement>(shared_from_this(), sql);
}

void PgConnection::executeScript(const QString& sql)
{
    if (!m_namesLoaded)
        loadNames();
    const PgSqlTranslator::Result translated = PgSqlTranslator::translate(sql, m_names, false);
    PgResult result(PQexec(m_conn, translated.sql.toUtf8().constData()));
    if (!result.ok())
        fail(result);
    if (PgSchemaSql::changesSchema(sql))
        forgetNames();
}

void PgConnection::executeNative(const QString& sql)
{
    PgResult result(PQexec(m_conn, sql.toUtf8().constData()));
    if (!result.ok())
        fail(result);
    forgetNames();
}

bool PgConnection::inTransaction() const
{
    const PGTransactionStatusType status = PQtransactionStatus(m_conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

qint64 PgConnection::maxValueLength() const
{
    return MaxValueLength;
}

QString PgConnection::lastErrorMessage() const
{
    return m_lastError.isEmpty() ? trimmedMessage(PQerrorMessage(m_conn)) : m_lastError;
}

void PgConnection::beginWrite()
{
    run(QStringLiteral("BEGIN ISOLATION LEVEL READ COMMITTED"));
    try {
        // Read committed: every statement after the lock sees what the writer before committed.
        run(QString::fromLatin1(WriterLock));
        m_writing = true;
    } catch (...) {
        rollback();
        throw;
    }
}

void PgConnection::beginRead()
{
    run(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
}

void PgConnection::commit()
{
    if (PQtransactionStatus(m_conn) == PQTRANS_INERROR) {
        // The server took nothing since the failed statement; COMMIT would only roll back.
        rollback();
        throw StoreError(QStringLiteral("The transaction failed and was rolled back: nothing of it was saved."));
    }
    m_writing = false;
    run(QStringLiteral("COMMIT"));
}

void PgConnection::rollback()
{
    m_writing = false;
    run(QStringLiteral("ROLLBACK"));
}

PgResult PgConnection::valueOfRow(const QString& table, const QString& column, qint64 key, const QString& select,
                                  const QString& condition)
{
    const QString keyColumn = keyOf(table);
    if (keyColumn.isEmpty())
        throw StoreError(QStringLiteral("The table %1 has no integer key to find its values by").arg(table));
    const QString quoted = PgSqlTranslator::quote(column);
    return run(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = $1")
                       .arg(select.arg(quoted), PgSqlTranslator::quote(table), PgSqlTranslator::quote(keyColumn)) +
                   (condition.isEmpty() ? QString() : condition.arg(quoted)),
               {{QByteArray::number(key)}});
}

std::unique_ptr<EngineBlob> PgConnection::openBlob(const QString& table, const QString& column, qint64 key, bool)
{
    // The object's number and its size in one round trip: a search opens thousands.
    const PgResult result = valueOfRow(table, column, key, QStringLiteral("%1, orvanta_store.blob_size(%1)"));
    if (PQntuples(result.get()) == 0 || PQgetisnull(result.get(), 0, 0))
        throw StoreError(QStringLiteral("No value in %1 of row %2 of %3").arg(column).arg(key).arg(table));
    return std::make_unique<PgBlob>(*this, QByteArray(PQgetvalue(result.get(), 0, 0)).toUInt(),
                                    QByteArray(PQgetvalue(result.get(), 0, 1)).toLongLong());
}

bool PgConnection::blobAbsent(const QString& table, const QString& column, qint64 key)
{
    const PgResult result = valueOfRow(table, column, key, QStringLiteral("%1"));
    return PQntuples(result.get()) == 0 || PQgetisnull(result.get(), 0, 0);
}

qint64 PgConnection::blobLength(const QString& table, const QString& column, qint64 key)
{
    // One statement: the row's value and its size together.
    const PgResult result = valueOfRow(table, column, key, QStringLiteral("orvanta_store.blob_size(%1)"),
                                       QStringLiteral(" AND %1 IS NOT NULL"));
    if (PQntuples(result.get()) == 0 || PQgetisnull(result.get(), 0, 0))
        return -1;
    return QByteArray(PQgetvalue(result.get(), 0, 0)).toLongLong();
}

QString PgConnection::inlineBlobMarker() const
{
    return QStringLiteral("lo_from_bytea(0, ?)");
}

QStringList PgConnection::tables()
{
    const PgResult result = run(PgSchemaSql::tablesQuery());
    QStringList names;
    for (int row = 0; row < PQntuples(result.get()); ++row)
        names.append(QString::fromUtf8(PQgetvalue(result.get(), row, 0)));
    return names;
}

std::vector<SchemaCatalog::ColumnInfo> PgConnection::columns(const QString& table)
{
    // Answered from the names read for this action, a round trip less per table a window
    // opens. A writer asks the server: after the writers' lock it must see what the writer
    // before it made (a designer adding the same field at two desks).
    if (!m_writing) {
        if (!m_namesLoaded)
            loadNames();
        for (const TableInfo& info : std::as_const(m_tables)) {
            if (info.name != table)
                continue;
            std::vector<SchemaCatalog::ColumnInfo> columns;
            for (const SchemaCatalog::ColumnInfo& column : info.columns) {
                if (!column.name.isEmpty())
                    columns.push_back(column);
            }
            return columns;
        }
    }
    const PgResult result = run(PgSchemaSql::columnsQuery(true), {{table.toUtf8()}});
    std::vector<SchemaCatalog::ColumnInfo> columns;
    for (int row = 0; row < PQntuples(result.get()); ++row)
        columns.push_back(PgSchemaSql::columnFrom(result.get(), row));
    return columns;
}

QList<QStringList> PgConnection::indexColumns(const QString& table)
{
    const PgResult result = run(PgSchemaSql::indexesQuery(), {{table.toUtf8()}});
    QList<QStringList> indexes;
    for (int row = 0; row < PQntuples(result.get()); ++row)
        indexes.append(PgSchemaSql::indexColumnNames(QString::fromUtf8(PQgetvalue(result.get(), row, 1))));
    return indexes;
}

bool PgConnection::nameTaken(const QString& name)
{
    const PgResult result = run(PgSchemaSql::nameTakenQuery(), {{name.toUtf8()}});
    return QByteArray(PQgetvalue(result.get(), 0, 0)).toInt() > 0;
}

QString PgConnection::columnDefinition(const SchemaCatalog::ColumnInfo& column) const
{
    return PgSchemaSql::columnDefinition(column);
}

void PgConnection::createTable(const QString& name, const std::vector<SchemaCatalog::ColumnInfo>& columns)
{
    run(PgSchemaSql::createTable(name, columns));
    for (const SchemaCatalog::ColumnInfo& column : columns) {
        if (PgSchemaSql::isLongBinary(column))
            run(PgSchemaSql::unlinkTrigger(name, column.name));
    }
    forgetNames();
}

void PgConnection::addColumn(const QString& table, const SchemaCatalog::ColumnInfo& column)
{
    run(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
            .arg(PgSqlTranslator::quote(table), PgSchemaSql::columnDefinition(column)));
    if (PgSchemaSql::isLongBinary(column))
        run(PgSchemaSql::unlinkTrigger(table, column.name));
    forgetNames();
}

void PgConnection::createIndex(const QString& name, const QString& table, const QStringList& columns)
{
    QStringList caseless;
    for (const SchemaCatalog::ColumnInfo& column : this->columns(table)) {
        if (column.caseless)
            caseless.append(column.name);
    }
    run(PgSchemaSql::createIndex(name, table, columns, caseless));
}

void PgConnection::syncKeyGenerator(const QString& table)
{
    const QString key = keyOf(table);
    if (!key.isEmpty())
        run(PgSchemaSql::syncKeyGenerator(table, key));
}

int PgConnection::schemaVersion()
{
    const PgResult present = run(QStringLiteral("SELECT to_regclass('orvanta_store.schema_version') IS NOT NULL"));
    if (qstrcmp(PQgetvalue(present.get(), 0, 0), "t") != 0)
        return 0;
    const PgResult result = run(QStringLiteral("SELECT version FROM orvanta_store.schema_version"));
    return PQntuples(result.get()) > 0 ? QByteArray(PQgetvalue(result.get(), 0, 0)).toInt() : 0;
}

void PgConnection::setSchemaVersion(int version)
{
    run(QStringLiteral("DELETE FROM orvanta_store.schema_version"));
    run(QStringLiteral("INSERT INTO orvanta_store.schema_version (version) VALUES ($1)"),
        {{QByteArray::number(version)}});
}

void PgConnection::prepareEmptyDatabase()
{
    // Two desks may start on a new database at once: one sets it up, the other waits.
    beginWrite();
    try {
        PgResult result(PQexec(m_conn, PgSchemaSql::supportScript().toUtf8().constData()));
        if (!result.ok())
            fail(result);
        commit();
    } catch (...) {
        if (inTransaction())
            rollback();
        throw;
    }
    forgetNames();
}
