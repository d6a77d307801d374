#include "store/Recordset.h"

#include "store/BlobStream.h"
#include "store/Database.h"
#include "store/EngineConnection.h"
#include "store/Identifier.h"
#include "store/Savepoint.h"
#include "store/SchemaCatalog.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QIODevice>
#include <optional>
#include <vector>

namespace {

// Reads all `size` bytes of a value that goes in with its row.
QByteArray readWhole(QIODevice& source, qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 done = 0; done < size;) {
        const qint64 got = source.read(bytes.data() + done, size - done);
        if (got <= 0)
            throw StoreError(QStringLiteral("Cannot read the file: %1")
                                 .arg(got < 0 ? source.errorString() : QStringLiteral("it is shorter than expected")));
        done += got;
    }
    return bytes;
}

bool isLongBinaryType(const QString& declared)
{
    const QString type = declared.toUpper();
    return type.contains(QLatin1String("BLOB")) || type.contains(QLatin1String("BINARY"));
}

} // namespace

Recordset::Recordset(std::shared_ptr<Database> db, const QString& sql, const QVariantList& params)
    : m_db(std::move(db)), m_sql(sql), m_params(params)
{
    auto probe = std::make_unique<Statement>(m_db->prepare(sql));
    QStringList tables;
    QStringList plainNames;
    bool namesUnique = true;
    for (int i = 0; i < probe->columnCount(); ++i) {
        Column column{probe->columnName(i), probe->columnTableName(i), probe->columnOriginName(i),
                      isLongBinaryType(probe->columnDeclaredType(i)), i};
        if (!column.table.isEmpty() && !tables.contains(column.table, Qt::CaseInsensitive))
            tables.append(column.table);
        if (!column.longBinary) {
            if (plainNames.contains(column.name, Qt::CaseInsensitive))
                namesUnique = false;
            plainNames.append(column.name);
        }
        m_allColumns.push_back(column);
    }

    if (tables.size() == 1) {
        m_table = tables.constFirst();
        m_keyColumn = SchemaCatalog(*m_db).integerKey(m_table);
    }

    const bool hasLongBinary = plainNames.size() != static_cast<int>(m_allColumns.size());
    if (hasLongBinary && namesUnique && !plainNames.isEmpty()) {
        // Fetch everything but the long-binary columns. The engine flattens the outer
        // query into the inner one, so it never reads those values at all.
        QStringList quoted;
        for (const QString& name : plainNames)
            quoted.append(quoteIdentifier(name));
        const QString wrapped =
            QStringLiteral("SELECT %1 FROM (%2) AS orvanta_rows").arg(quoted.join(QStringLiteral(", ")), sql);
        m_stmt = std::make_unique<Statement>(m_db->prepare(wrapped));
        int position = 0;
        for (Column& column : m_allColumns)
            column.statementIndex = column.longBinary ? -1 : position++;
    } else {
        m_stmt = std::move(probe);
    }

    for (int i = 0; i < static_cast<int>(m_allColumns.size()); ++i) {
        const Column& column = m_allColumns[static_cast<size_t>(i)];
        if (!m_keyColumn.isEmpty() && column.origin.compare(m_keyColumn, Qt::CaseInsensitive) == 0 &&
            column.table.compare(m_table, Qt::CaseInsensitive) == 0)
            m_keyIndex = i;
    }
}

Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

void Recordset::start()
{
    if (m_started)
        return;
    if (!m_stmt)
        throw StoreError(QStringLiteral("The recordset is closed"));
    m_started = true;
    m_stmt->bindAll(m_params);
    advance();
}

void Recordset::advance()
{
    m_deleted = false;
    m_eof = !m_stmt->step();
    m_row.clear();
    if (m_eof)
        return;
    m_row.reserve(static_cast<int>(m_allColumns.size()));
    for (const Column& column : m_allColumns)
        m_row.append(column.longBinary ? QVariant() : m_stmt->value(column.statementIndex));
}

bool Recordset::eof()
{
    start();
    return m_eof;
}

void Recordset::moveNext()
{
    start();
    if (m_adding)
        cancelUpdate();
    if (m_eof)
        throw StoreError(QStringLiteral("There is no next row: the recordset is at its end"));
    advance();
}

int Recordset::recordCount()
{
    const QVariant count =
        m_db->scalar(QStringLiteral("SELECT count(*) FROM (%1) AS orvanta_rows").arg(m_sql), m_params);
    return count.toInt();
}

QStringList Recordset::fieldNames() const
{
    QStringList names;
    for (const Column& column : m_allColumns)
        names.append(column.name);
    return names;
}

bool Recordset::hasField(const QString& name) const
{
    return findColumn(name) >= 0;
}

int Recordset::findColumn(const QString& name) const
{
    for (int i = 0; i < static_cast<int>(m_allColumns.size()); ++i) {
        if (m_allColumns[static_cast<size_t>(i)].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int Recordset::columnIndex(const QString& name) const
{
    const int index = findColumn(name);
    if (index < 0)
        throw StoreError(QStringLiteral("Item cannot be found in the collection: %1").arg(name));
    return index;
}

QVariant Recordset::field(const QString& name)
{
    return field(columnIndex(name));
}

QString Recordset::text(const QString& name)
{
    const QVariant value = field(name);
    return value.isNull() ? QString() : value.toString();
}

QVariant Recordset::field(int index)
{
    start();
    if (index < 0 || index >= static_cast<int>(m_allColumns.size()))
        throw StoreError(QStringLiteral("Field index %1 is out of range").arg(index));
    const Column& column = m_allColumns[static_cast<size_t>(index)];
    if (m_adding) {
        for (const auto& [name, value] : m_pending) {
            if (name.compare(column.name, Qt::CaseInsensitive) == 0)
                return value;
        }
        return {};
    }
    requireRow();
    if (column.longBinary) {
        QByteArray bytes;
        const qint64 length = longBinaryLength(column.name);
        if (length <= 0)
            return length == 0 ? QVariant(QByteArray()) : QVariant();
        BlobStream blob(*m_db, m_table, column.origin, currentKey(), false);
        bytes.resize(length);
        qint64 done = 0;
        while (done < length) {
            const int piece = static_cast<int>(std::min<qint64>(BlobStream::PieceSize, length - done));
            blob.read(bytes.data() + done, piece, done);
            done += piece;
        }
        return bytes;
    }
    return m_row.at(index);
}

void Recordset::addNew()
{
    start();
    requireWritable();
    m_adding = true;
    m_pending.clear();
    m_pendingStreams.clear();
}

void Recordset::setField(const QString& name, const QVariant& value)
{
    start();
    requireWritable();
    const int index = columnIndex(name);
    const Column& column = m_allColumns[static_cast<size_t>(index)];
    if (column.table.isEmpty())
        throw StoreError(QStringLiteral("The field %1 is not a column of a table and cannot be set").arg(name));
    if (!m_adding)
        requireRow();
    for (auto& [pendingName, pendingValue] : m_pending) {
        if (pendingName.compare(column.name, Qt::CaseInsensitive) == 0) {
            pendingValue = value;
            return;
        }
    }
    m_pending.emplace_back(column.name, value);
}

void Recordset::setLongBinary(const QString& name, QIODevice& source, qint64 size)
{
    start();
    requireWritable();
    if (!m_adding)
        throw StoreError(QStringLiteral("A long-binary value is streamed only into a new row"));
    const int index = columnIndex(name);
    if (!m_allColumns[static_cast<size_t>(index)].longBinary)
        throw StoreError(QStringLiteral("The field %1 is not a long-binary column").arg(name));
    m_pendingStreams.push_back({index, &source, size});
}

void Recordset::update()
{
    start();
    requireWritable();
    const Column* key = m_keyIndex >= 0 ? &m_allColumns[static_cast<size_t>(m_keyIndex)] : nullptr;
    if (m_adding) {
        QStringList names;
        QStringList marks;
        QVariantList values;
        for (const auto& [name, value] : m_pending) {
            names.append(quoteIdentifier(m_allColumns[static_cast<size_t>(columnIndex(name))].origin));
            marks.append(QStringLiteral("?"));
            values.append(value);
        }
        std::vector<const PendingStream*> streamed;
        for (const PendingStream& stream : m_pendingStreams) {
            names.append(quoteIdentifier(m_allColumns[static_cast<size_t>(stream.column)].origin));
            if (stream.size <= InlineValueLimit) {
                marks.append(m_db->engine().inlineBlobMarker());
                values.append(readWhole(*stream.source, stream.size));
            } else {
                marks.append(QStringLiteral("zeroblob(?)"));
                values.append(stream.size);
                streamed.push_back(&stream);
            }
        }
        const QString sql = names.isEmpty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(m_table))
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(quoteIdentifier(m_table), names.join(QStringLiteral(", ")),
                                           marks.join(QStringLiteral(", ")));
        // The row and its streamed values land together or not at all: in a transaction of
        // its own, or within the caller's up to a savepoint, so that a failed piece takes the
        // row out again and leaves the caller's transaction usable.
        std::optional<Transaction> transaction;
        std::optional<Savepoint> savepoint;
        if (!streamed.empty()) {
            if (m_db->inTransaction())
                savepoint.emplace(*m_db);
            else
                transaction.emplace(*m_db);
        }
        m_db->execute(sql, values);
        m_newKey = m_db->lastInsertRowId();
        for (const PendingStream* stream : streamed) {
            BlobStream blob(*m_db, m_table, m_allColumns[static_cast<size_t>(stream->column)].origin, m_newKey, true);
            blob.copyFrom(*stream->source);
        }
        if (savepoint)
            savepoint->release();
        if (transaction)
            transaction->commit();
        m_adding = false;
        m_pending.clear();
        m_pendingStreams.clear();
        return;
    }

    requireRow();
    if (!key)
        throw StoreError(
            QStringLiteral("The row cannot be written back: the query does not include the key of %1").arg(m_table));
    if (m_pending.empty())
        return;
    QStringList assignments;
    QVariantList values;
    for (const auto& [name, value] : m_pending) {
        assignments.append(quoteIdentifier(m_allColumns[static_cast<size_t>(columnIndex(name))].origin) +
                           QStringLiteral(" = ?"));
        values.append(value);
    }
    values.append(currentKey());
    m_db->execute(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
            .arg(quoteIdentifier(m_table), assignments.join(QStringLiteral(", ")), quoteIdentifier(key->origin)),
        values);
    for (const auto& [name, value] : m_pending)
        m_row[columnIndex(name)] = value;
    m_pending.clear();
}

void Recordset::cancelUpdate()
{
    m_adding = false;
    m_pending.clear();
    m_pendingStreams.clear();
}

void Recordset::deleteCurrent()
{
    start();
    requireWritable();
    requireRow();
    if (m_keyIndex < 0)
        throw StoreError(
            QStringLiteral("The row cannot be deleted: the query does not include the key of %1").arg(m_table));
    m_db->execute(
        QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoteIdentifier(m_table), quoteIdentifier(m_keyColumn)),
        {currentKey()});
    m_deleted = true;
}

qint64 Recordset::longBinaryLength(const QString& name)
{
    start();
    requireRow();
    const Column& column = m_allColumns[static_cast<size_t>(columnIndex(name))];
    if (m_keyIndex < 0)
        throw StoreError(QStringLiteral("The value of %1 cannot be read: the query does not include the key of %2")
                             .arg(name, m_table));
    return m_db->engine().blobLength(m_table, column.origin, currentKey());
}

void Recordset::readLongBinary(const QString& name, QIODevice& out)
{
    const Column& column = m_allColumns[static_cast<size_t>(columnIndex(name))];
    if (longBinaryLength(name) <= 0)
        return;
    BlobStream blob(*m_db, m_table, column.origin, currentKey(), false);
    blob.copyTo(out);
}

void Recordset::close()
{
    m_stmt.reset();
    m_row.clear();
    m_eof = true;
    m_started = true;
    cancelUpdate();
}

qint64 Recordset::currentKey()
{
    return m_row.at(m_keyIndex).toLongLong();
}

void Recordset::requireWritable() const
{
    if (m_table.isEmpty())
        throw StoreError(QStringLiteral("This recordset cannot be written: its columns do not come from one table"));
}

void Recordset::requireRow()
{
    if (m_eof)
        throw StoreError(QStringLiteral("Either BOF or EOF is True: there is no current row"));
    if (m_deleted)
        throw StoreError(QStringLiteral("The current row has been deleted"));
}
