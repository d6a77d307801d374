#include "store/DatabaseCopy.h"

#include "store/BlobStream.h"
#include "store/Database.h"
#include "store/DatabaseSchema.h"
#include "store/EngineConnection.h"
#include "store/Identifier.h"
#include "store/ReadTransaction.h"
#include "store/SchemaCatalog.h"
#include "store/SchemaUpgrade.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QUrl>
#include <QtEndian>
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

namespace {

using ColumnInfo = SchemaCatalog::ColumnInfo;

// The value a long-binary column holds in a row without one: no bytes, unlike an empty value.
constexpr qint64 NullValue = -1;

bool isLongBinary(const ColumnInfo& column)
{
    return column.type.compare(QLatin1String("BLOB"), Qt::CaseInsensitive) == 0;
}

// A column as it can be created again. The catalog gives a default without the parentheses it
// was written in, which an expression such as date('now') needs; any default may have them.
ColumnInfo recreated(ColumnInfo column)
{
    if (!column.defaultExpression.isEmpty())
        column.defaultExpression = QLatin1Char('(') + column.defaultExpression + QLatin1Char(')');
    return column;
}

struct SourceTable
{
    QString name;
    std::vector<ColumnInfo> columns;
    QString key; // the integer key column, "" for a table without one
    bool hasLongBinary = false;
    qint64 rows = 0;
    QByteArray digest; // of its long-binary values in key order, taken while they are copied
};

// A location as it may be shown: a file in the system's notation, a server without its password.
QString shown(const QString& location)
{
    if (DatabaseCopy::isServerLocation(location))
        return QUrl(location).toDisplayString(QUrl::RemovePassword);
    return QDir::toNativeSeparators(location);
}

// Adds one long-binary value of one row to the digest of its table, so that two tables give
// the same digest only when the same rows hold the same values (Null apart from empty).
void addToDigest(QCryptographicHash& table, qint64 key, int column, const std::optional<QByteArray>& valueDigest)
{
    const quint64 keyBytes = qToLittleEndian(static_cast<quint64>(key));
    const quint32 columnBytes = qToLittleEndian(static_cast<quint32>(column));
    table.addData(QByteArrayView(reinterpret_cast<const char*>(&keyBytes), sizeof keyBytes));
    table.addData(QByteArrayView(reinterpret_cast<const char*>(&columnBytes), sizeof columnBytes));
    if (valueDigest)
        table.addData(*valueDigest);
    else
        table.addData(QByteArrayView("null"));
}

// The tables of the source and their row counts. Only a database of this program at this
// build's schema version is copied: the copy takes its version, and an older file would need
// upgrading, which is the program's start's business, not a copy's (the source is never written).
std::vector<SourceTable> readSource(const Database& source, const QString& location)
{
    try {
        DatabaseSchema::verify(source);
    } catch (const StoreError& error) {
        if (error.isBusy())
            throw StoreError(QStringLiteral("Another program is using the database %1.").arg(shown(location)),
                             StoreError::Kind::Busy);
        throw StoreError(QStringLiteral("%1 is not a database of this program, or it is damaged: %2")
                             .arg(shown(location), error.message()));
    }
    const int version = SchemaUpgrade::version(source);
    const int current = SchemaUpgrade::currentVersion();
    if (version > current)
        throw StoreError(QStringLiteral("The database %1 was made by a newer version of Orvanta (schema version %2; "
                                        "this program knows versions up to %3).")
                             .arg(shown(location))
                             .arg(version)
                             .arg(current));
    if (version < current)
        throw StoreError(QStringLiteral("The database %1 was made by an earlier version of Orvanta (schema version "
                                        "%2; this program's is %3). Open it once with this program, which brings it "
                                        "up to date, and copy it then.")
                             .arg(shown(location))
                             .arg(version)
                             .arg(current));

    const SchemaCatalog catalog(source);
    std::vector<SourceTable> tables;
    for (const QString& name : catalog.tables()) {
        SourceTable table;
        table.name = name;
        table.columns = catalog.columns(name);
        table.key = catalog.integerKey(name);
        table.hasLongBinary = std::any_of(table.columns.begin(), table.columns.end(), isLongBinary);
        // Long-binary values are streamed by the key of their row.
        if (table.hasLongBinary && table.key.isEmpty())
            throw StoreError(
                QStringLiteral("The table %1 holds long-binary values but has no key column, so it cannot be copied.")
                    .arg(name));
        table.rows = source.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(name))).toLongLong();
        tables.push_back(table);
    }
    return tables;
}

// The target must hold nothing yet: a copy never mixes with rows that are there.
void refuseUnlessEmpty(const Database& target, const QString& location)
{
    QStringList tables;
    try {
        tables = SchemaCatalog(target).tables();
    } catch (const StoreError& error) {
        if (error.isBusy())
            throw StoreError(QStringLiteral("Another program is using %1.").arg(shown(location)),
                             StoreError::Kind::Busy);
        throw StoreError(QStringLiteral("%1 exists and is not an empty database (%2). It has been left as it is.")
                             .arg(shown(location), error.message()));
    }
    if (!tables.isEmpty())
        throw StoreError(QStringLiteral("%1 is not empty: it holds %2 tables. A database is copied only to a new file "
                                        "or an empty database; %1 has been left as it is.")
                             .arg(shown(location))
                             .arg(tables.size()));
}

} // namespace

// One copy from an open source, inside its read transaction, to an open empty target.
class DatabaseCopy::Run
{
public:
    Run(const DatabaseCopy& copy, const Database& source, const Database& target, std::vector<SourceTable> tables)
        : m_copy(copy), m_source(source), m_target(target), m_tables(std::move(tables))
    {
    }

    Summary copy()
    {
        // The fixed tables as the program creates them; their installed rows give way to the source's.
        m_target.engine().prepareEmptyDatabase();
        Transaction writing(m_target);
        DatabaseSchema::createContent(m_target);
        const SchemaCatalog catalog(m_target);
        for (const QString& table : catalog.tables())
            m_target.execute(QStringLiteral("DELETE FROM %1").arg(quoteIdentifier(table)));
        for (SourceTable& table : m_tables) {
            createTable(table);
            copyRows(table);
            if (!table.key.isEmpty())
                catalog.syncKeyGenerator(table.name);
            ++m_summary.tables;
            m_summary.rows += table.rows;
        }
        SchemaUpgrade::setVersion(m_target, SchemaUpgrade::version(m_source));
        if (m_copy.m_beforeVerification)
            m_copy.m_beforeVerification(m_target);
        verify();
        writing.commit();
        return m_summary;
    }

private:
    // A table the target lacks is made as the designer makes a tab's; a fixed table gets the
    // columns the designer added to it in the source.
    void createTable(const SourceTable& table) const
    {
        const SchemaCatalog catalog(m_target);
        const QStringList present = catalog.tables();
        const auto found = std::find_if(present.begin(), present.end(), [&table](const QString& name) {
            return name.compare(table.name, Qt::CaseInsensitive) == 0;
        });
        if (found == present.end()) {
            std::vector<ColumnInfo> columns;
            std::transform(table.columns.begin(), table.columns.end(), std::back_inserter(columns), recreated);
            catalog.createTable(table.name, columns);
            const bool perClient = std::any_of(table.columns.begin(), table.columns.end(), [](const ColumnInfo& c) {
                return c.name.compare(QLatin1String("PersonalInformationId"), Qt::CaseInsensitive) == 0;
            });
            if (perClient)
                catalog.ensureClientIndex(table.name);
            return;
        }
        const QStringList columns = catalog.columnNames(*found);
        for (ColumnInfo column : table.columns) {
            if (columns.contains(column.name, Qt::CaseInsensitive))
                continue;
            column.autoIncrement = false;
            catalog.addColumn(*found, recreated(column));
        }
    }

    QString keyOrder(const SourceTable& table) const
    {
        return table.key.isEmpty() ? QString() : QStringLiteral(" ORDER BY %1").arg(quoteIdentifier(table.key));
    }

    // The size of every long-binary value of the table in key order, NullValue for a Null one:
    // the total for the progress, and what each row's value is made with in the target.
    std::vector<qint64> valueSizes(const SourceTable& table) const
    {
        std::vector<qint64> sizes;
        Statement keys = m_source.prepare(
            QStringLiteral("SELECT %1 FROM %2").arg(quoteIdentifier(table.key), quoteIdentifier(table.name)) +
            keyOrder(table));
        while (keys.step()) {
            const qint64 key = keys.value(0).toLongLong();
            for (const ColumnInfo& column : table.columns) {
                if (!isLongBinary(column))
                    continue;
                const std::optional<BlobStream> value =
                    BlobStream::openForReading(m_source, table.name, column.name, key);
                sizes.push_back(value ? value->size() : NullValue);
            }
        }
        return sizes;
    }

    void copyRows(SourceTable& table)
    {
        TableProgress progress;
        progress.table = table.name;
        progress.rows = table.rows;
        progress.hasDocuments = table.hasLongBinary;
        std::vector<qint64> sizes;
        if (table.hasLongBinary) {
            sizes = valueSizes(table);
            for (const qint64 size : sizes)
                progress.bytes += std::max<qint64>(size, 0);
        }
        if (m_copy.m_progress)
            m_copy.m_progress->tableStarted(progress);

        // Every column is written with its value, the key included; long-binary values are
        // made empty of their size and filled in pieces.
        QStringList selected;
        QStringList inserted;
        QStringList marks;
        int keyAt = -1;
        for (const ColumnInfo& column : table.columns) {
            inserted.append(quoteIdentifier(column.name));
            marks.append(QStringLiteral("?"));
            if (isLongBinary(column))
                continue;
            if (column.name == table.key)
                keyAt = static_cast<int>(selected.size());
            selected.append(quoteIdentifier(column.name));
        }
        Statement rows = m_source.prepare(
            QStringLiteral("SELECT %1 FROM %2").arg(selected.join(QStringLiteral(", ")), quoteIdentifier(table.name)) +
            keyOrder(table));
        // A value is made as zeros of its size and filled in pieces; a Null one stays Null.
        const auto insertFor = [&](const std::vector<bool>& nulls) {
            QStringList values = marks;
            int blob = 0;
            for (size_t i = 0; i < table.columns.size(); ++i) {
                if (isLongBinary(table.columns[i]))
                    values[static_cast<int>(i)] =
                        nulls[static_cast<size_t>(blob++)] ? QStringLiteral("NULL") : QStringLiteral("zeroblob(?)");
            }
            return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(quoteIdentifier(table.name), inserted.join(QStringLiteral(", ")),
                     values.join(QStringLiteral(", ")));
        };
        // Rows without long-binary values go in batches: one statement per row would cost a
        // server one round trip each. The batch stays under both engines' limit of parameters.
        const int batchRows =
            table.hasLongBinary ? 1 : std::clamp(30000 / std::max<int>(1, static_cast<int>(marks.size())), 1, 256);
        const auto batchInsert = [&](int count) {
            const QString row = QLatin1Char('(') + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
            QStringList all;
            for (int i = 0; i < count; ++i)
                all.append(row);
            return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                .arg(quoteIdentifier(table.name), inserted.join(QStringLiteral(", ")), all.join(QStringLiteral(", ")));
        };
        QVariantList batch;
        int batched = 0;
        const auto flush = [&] {
            if (batched > 0)
                m_target.execute(batchInsert(batched), batch);
            batch.clear();
            batched = 0;
        };

        QCryptographicHash digest(QCryptographicHash::Sha256);
        size_t nextSize = 0;
        m_sinceReport.start();
        m_bytesAtReport = 0;
        while (rows.step()) {
            const qint64 key = keyAt >= 0 ? rows.value(keyAt).toLongLong() : 0;
            const size_t firstSize = nextSize;
            int from = 0;
            QVariantList values;
            std::vector<bool> nulls;
            for (size_t i = 0; i < table.columns.size(); ++i) {
                if (!isLongBinary(table.columns[i])) {
                    values.append(rows.value(from++));
                    continue;
                }
                if (nextSize >= sizes.size())
                    throw StoreError(QStringLiteral("The rows of %1 changed during the copy.").arg(table.name));
                const qint64 size = sizes[nextSize++];
                nulls.push_back(size == NullValue);
                if (size != NullValue)
                    values.append(size);
            }
            if (!table.hasLongBinary) {
                batch += values;
                if (++batched == batchRows)
                    flush();
                ++progress.rowsDone;
                continue;
            }
            m_target.execute(insertFor(nulls), values);

            size_t at = firstSize;
            for (size_t i = 0; i < table.columns.size(); ++i) {
                if (!isLongBinary(table.columns[i]))
                    continue;
                const int column = static_cast<int>(i);
                if (sizes[at++] == NullValue) {
                    addToDigest(digest, key, column, std::nullopt);
                    continue;
                }
                addToDigest(digest, key, column, copyValue(table, table.columns[i].name, key, progress));
                ++m_summary.documents;
            }
            ++progress.rowsDone;
        }
        flush();
        if (table.hasLongBinary && m_copy.m_progress)
            m_copy.m_progress->documentsCopied(progress);
        table.digest = digest.result();
        m_summary.bytes += progress.bytes;
    }

    // Streams one value from the source to the row just written, in pieces; returns its digest.
    QByteArray copyValue(const SourceTable& table, const QString& column, qint64 key, TableProgress& progress)
    {
        const std::optional<BlobStream> in = BlobStream::openForReading(m_source, table.name, column, key);
        if (!in)
            throw StoreError(QStringLiteral("A document of %1 went missing during the copy.").arg(table.name));
        BlobStream out(m_target, table.name, column, key, true);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        const qint64 total = in->size();
        for (qint64 done = 0; done < total;) {
            const int length = static_cast<int>(std::min<qint64>(BlobStream::PieceSize, total - done));
            in->read(m_piece.get(), length, done);
            out.write(m_piece.get(), length, done);
            hash.addData(QByteArrayView(m_piece.get(), length));
            done += length;
            progress.bytesDone += length;
            reportIfDue(progress);
        }
        return hash.result();
    }

    void reportIfDue(const TableProgress& progress)
    {
        if (!m_copy.m_progress)
            return;
        if (progress.bytesDone - m_bytesAtReport < m_copy.m_reportBytes &&
            m_sinceReport.elapsed() < m_copy.m_reportMilliseconds)
            return;
        m_copy.m_progress->documentsCopied(progress);
        m_bytesAtReport = progress.bytesDone;
        m_sinceReport.start();
    }

    // The digest of the target's long-binary values of `table`, read back in pieces.
    QByteArray targetDigest(const SourceTable& table) const
    {
        QCryptographicHash digest(QCryptographicHash::Sha256);
        Statement keys = m_target.prepare(
            QStringLiteral("SELECT %1 FROM %2").arg(quoteIdentifier(table.key), quoteIdentifier(table.name)) +
            keyOrder(table));
        while (keys.step()) {
            const qint64 key = keys.value(0).toLongLong();
            for (size_t i = 0; i < table.columns.size(); ++i) {
                if (!isLongBinary(table.columns[i]))
                    continue;
                const std::optional<BlobStream> value =
                    BlobStream::openForReading(m_target, table.name, table.columns[i].name, key);
                std::optional<QByteArray> valueDigest;
                if (value) {
                    QCryptographicHash hash(QCryptographicHash::Sha256);
                    const qint64 total = value->size();
                    for (qint64 done = 0; done < total;) {
                        const int length = static_cast<int>(std::min<qint64>(BlobStream::PieceSize, total - done));
                        value->read(m_piece.get(), length, done);
                        hash.addData(QByteArrayView(m_piece.get(), length));
                        done += length;
                    }
                    valueDigest = hash.result();
                }
                addToDigest(digest, key, static_cast<int>(i), valueDigest);
            }
        }
        return digest.result();
    }

    // What was written is what was read: as many rows in every table, the same long-binary values.
    void verify() const
    {
        if (m_copy.m_progress)
            m_copy.m_progress->verifying();
        for (const SourceTable& table : m_tables) {
            const qint64 rows =
                m_target.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(table.name)))
                    .toLongLong();
            if (rows != table.rows)
                throw StoreError(QStringLiteral("The check of the copy failed: %1 has %2 rows in the copy and %3 in "
                                                "the source.")
                                     .arg(table.name)
                                     .arg(rows)
                                     .arg(table.rows));
            if (table.hasLongBinary && targetDigest(table) != table.digest)
                throw StoreError(
                    QStringLiteral("The check of the copy failed: the documents of %1 differ from the source's.")
                        .arg(table.name));
        }
    }

    const DatabaseCopy& m_copy;
    const Database& m_source;
    const Database& m_target;
    std::vector<SourceTable> m_tables;
    Summary m_summary;
    const std::unique_ptr<char[]> m_piece = std::make_unique_for_overwrite<char[]>(BlobStream::PieceSize);
    QElapsedTimer m_sinceReport;
    qint64 m_bytesAtReport = 0;
};

DatabaseCopy::DatabaseCopy(const QString& from, const QString& to) : m_from(from), m_to(to) {}

void DatabaseCopy::setReportInterval(qint64 bytes, qint64 milliseconds)
{
    m_reportBytes = bytes;
    m_reportMilliseconds = milliseconds;
}

bool DatabaseCopy::isServerLocation(const QString& location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

DatabaseCopy::Summary DatabaseCopy::run() const
{
    if (!isServerLocation(m_from) && !QFileInfo(m_from).isFile())
        throw StoreError(QStringLiteral("The database %1 does not exist.").arg(shown(m_from)));
    const Database source(m_from);
    const ReadTransaction reading(source);
    std::vector<SourceTable> tables = readSource(source, m_from);

    // A server database is written in one transaction: a failure leaves it as it was.
    if (isServerLocation(m_to)) {
        const Database target(m_to);
        refuseUnlessEmpty(target, m_to);
        const Summary summary = Run(*this, source, target, std::move(tables)).copy();
        // The server plans statements from its statistics of the tables, which tables filled
        // in one go lack until its own maintenance comes round: lists would read whole indexes.
        // The copy is made and checked either way; without them the server gathers them later.
        try {
            target.execute(QStringLiteral("ANALYZE"));
        } catch (const StoreError&) {
        }
        return summary;
    }

    const QFileInfo targetFile(m_to);
    if (targetFile.exists()) {
        if (!targetFile.isFile())
            throw StoreError(
                QStringLiteral("%1 exists and is not a file. It has been left as it is.").arg(shown(m_to)));
        const Database existing(m_to);
        refuseUnlessEmpty(existing, m_to);
    }
    const QString folder = targetFile.absolutePath();
    if (!QFileInfo(folder).isDir())
        throw StoreError(QStringLiteral("The folder %1 does not exist.").arg(shown(folder)));
    // Built beside the target, readable by its owner only like every database the program
    // makes, and given the target's name only once checked.
    QTemporaryFile building(QDir(folder).filePath(QStringLiteral(".%1.copy-XXXXXX").arg(targetFile.fileName())));
    if (!building.open())
        throw StoreError(
            QStringLiteral("Cannot create a file in the folder %1: %2").arg(shown(folder), building.errorString()));
    building.close();
    const QString journal = building.fileName() + QStringLiteral("-journal");
    auto removeJournal = qScopeGuard([&journal] { QFile::remove(journal); });
    Summary summary;
    {
        const Database target(building.fileName());
        summary = Run(*this, source, target, std::move(tables)).copy();
    }
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(building.fileName()).toStdString(),
                            QFile::encodeName(targetFile.absoluteFilePath()).toStdString(), error);
    if (error)
        throw StoreError(QStringLiteral("Cannot give the copy the name %1: %2")
                             .arg(shown(m_to), QString::fromLocal8Bit(error.message())));
    building.setAutoRemove(false);
    return summary;
}
