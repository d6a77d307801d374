#include "store/DocumentTextIndex.h"

#include "store/Database.h"
#include "store/EngineConnection.h"
#include "store/Statement.h"
#include "store/StoreError.h"

#include <QList>
#include <QSet>

namespace {

const QString SqliteTable = QStringLiteral("orvanta_document_text");
const QString ServerTable = QStringLiteral("orvanta_store.document_text");

// The text column holds the text only when has_text is 1; the full-text table reads it from
// there (external content), and the triggers keep both in step.
const QString SqliteCreate = QStringLiteral(R"sql(
CREATE TABLE orvanta_document_text (document_id INTEGER PRIMARY KEY, has_text INTEGER NOT NULL, folded_text TEXT);
CREATE VIRTUAL TABLE orvanta_document_words USING fts5(folded_text, content='orvanta_document_text',
    content_rowid='document_id', tokenize='orvanta_trigram', detail='none');
CREATE TABLE orvanta_document_text_format (format INTEGER NOT NULL);
INSERT INTO orvanta_document_text_format (format) VALUES (%1);
CREATE TRIGGER orvanta_document_text_added AFTER INSERT ON orvanta_document_text WHEN new.has_text = 1 BEGIN
    INSERT INTO orvanta_document_words (rowid, folded_text) VALUES (new.document_id, new.folded_text);
END;
CREATE TRIGGER orvanta_document_text_removed AFTER DELETE ON orvanta_document_text WHEN old.has_text = 1 BEGIN
    INSERT INTO orvanta_document_words (orvanta_document_words, rowid, folded_text)
        VALUES ('delete', old.document_id, old.folded_text);
END;
CREATE TRIGGER orvanta_document_deleted AFTER DELETE ON Attachments BEGIN
    DELETE FROM orvanta_document_text WHERE document_id = old.AttachmentsId;
END;
CREATE TRIGGER orvanta_document_replaced AFTER UPDATE OF Attachments, AttachmentsId ON Attachments BEGIN
    DELETE FROM orvanta_document_text WHERE document_id = old.AttachmentsId;
END;
)sql");

const QString SqliteDrop = QStringLiteral(R"sql(
DROP TRIGGER IF EXISTS orvanta_document_deleted;
DROP TRIGGER IF EXISTS orvanta_document_replaced;
DROP TRIGGER IF EXISTS orvanta_document_text_added;
DROP TRIGGER IF EXISTS orvanta_document_text_removed;
DROP TABLE IF EXISTS orvanta_document_words;
DROP TABLE IF EXISTS orvanta_document_text;
DROP TABLE IF EXISTS orvanta_document_text_format;
)sql");

// pg_trgm ships with the server; creating it needs a right the database's owner has. Without
// it the text is kept all the same and read without an index.
const QString ServerCreate = QStringLiteral(R"sql(
DO $$
BEGIN
    CREATE EXTENSION IF NOT EXISTS pg_trgm;
EXCEPTION WHEN OTHERS THEN
    RAISE NOTICE 'pg_trgm is not available: %', SQLERRM;
END
$$;
CREATE TABLE orvanta_store.document_text (document_id bigint PRIMARY KEY, has_text integer NOT NULL,
    folded_text text COLLATE "C");
CREATE TABLE orvanta_store.document_text_format (format integer NOT NULL);
INSERT INTO orvanta_store.document_text_format (format) VALUES (%1);
DO $$
BEGIN
    IF EXISTS (SELECT 1 FROM pg_extension WHERE extname = 'pg_trgm') THEN
        EXECUTE 'CREATE INDEX document_text_words ON orvanta_store.document_text '
                'USING gin (folded_text gin_trgm_ops) WHERE has_text = 1';
    END IF;
END
$$;
CREATE OR REPLACE FUNCTION orvanta_store.forget_document_text() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    DELETE FROM orvanta_store.document_text WHERE document_id = OLD."AttachmentsId";
    RETURN NULL;
END
$$;
CREATE TRIGGER "forget text" AFTER DELETE OR UPDATE OF "Attachments", "AttachmentsId" ON "Attachments"
    FOR EACH ROW EXECUTE FUNCTION orvanta_store.forget_document_text();
)sql");

const QString ServerDrop = QStringLiteral(R"sql(
DROP TRIGGER IF EXISTS "forget text" ON "Attachments";
DROP TABLE IF EXISTS orvanta_store.document_text;
DROP TABLE IF EXISTS orvanta_store.document_text_format;
)sql");

// A run as the full-text query reads it: in double quotes, a double quote doubled.
QString quotedTerm(const QByteArray& run)
{
    QString term = QString::fromUtf8(run);
    term.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + term + QLatin1Char('"');
}

// The phrase as a LIKE pattern that finds it anywhere, with \ as the escape.
QString containsPattern(const QByteArray& phrase)
{
    QString escaped = QString::fromUtf8(phrase);
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    escaped.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

std::vector<qint64> keysOf(Statement& statement)
{
    std::vector<qint64> keys;
    while (statement.step())
        keys.push_back(statement.value(0).toLongLong());
    return keys;
}

} // namespace

QString DocumentTextIndex::textTable(const Database& db)
{
    return db.isServer() ? ServerTable : SqliteTable;
}

void DocumentTextIndex::create(const Database& db)
{
    db.engine().executeNative((db.isServer() ? ServerCreate : SqliteCreate).arg(Format));
}

bool DocumentTextIndex::current(const Database& db)
{
    const QVariant present = db.scalar(
        db.isServer()
            ? QStringLiteral("SELECT count(*) FROM pg_tables WHERE schemaname = 'orvanta_store' AND tablename IN "
                             "('document_text', 'document_text_format')")
            : QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name IN "
                             "('orvanta_document_text', 'orvanta_document_text_format', 'orvanta_document_words')"));
    if (present.toInt() != (db.isServer() ? 2 : 3))
        return false;
    const QString formats = db.isServer() ? QStringLiteral("orvanta_store.document_text_format")
                                          : QStringLiteral("orvanta_document_text_format");
    return db
        .scalar(QStringLiteral("SELECT min(format) = max(format) AND max(format) = ? FROM %1").arg(formats), {Format})
        .toBool();
}

void DocumentTextIndex::rebuild(const Database& db)
{
    if (db.isServer()) {
        db.engine().executeNative(ServerDrop);
    } else {
        try {
            db.engine().executeNative(SqliteDrop);
        } catch (const StoreError& error) {
            if (error.isBusy())
                throw;
            forgetDamagedWords(db);
            db.engine().executeNative(SqliteDrop);
        }
    }
    create(db);
}

void DocumentTextIndex::forgetDamagedWords(const Database& db)
{
    // The engine cannot drop a full-text table whose own records are damaged, as dropping
    // reads them: its entry in the schema goes by hand, and its tables as plain ones. The
    // schema's version is raised so that every connection reads the schema anew.
    const qint64 version = db.scalar(QStringLiteral("PRAGMA schema_version")).toLongLong();
    db.engine().executeNative(QStringLiteral(R"sql(
PRAGMA writable_schema = ON;
DELETE FROM sqlite_schema WHERE type = 'table' AND name = 'orvanta_document_words';
PRAGMA schema_version = %1;
PRAGMA writable_schema = OFF;
DROP TABLE IF EXISTS orvanta_document_words_data;
DROP TABLE IF EXISTS orvanta_document_words_idx;
DROP TABLE IF EXISTS orvanta_document_words_docsize;
DROP TABLE IF EXISTS orvanta_document_words_content;
DROP TABLE IF EXISTS orvanta_document_words_config;
)sql")
                                  .arg(version + 1));
}

void DocumentTextIndex::put(const Database& db, qint64 id, const std::optional<QByteArray>& foldedText)
{
    const QString table = textTable(db);
    // Deleted and inserted, never replaced in place: the full-text table is told of both.
    db.execute(QStringLiteral("DELETE FROM %1 WHERE document_id = ?").arg(table), {id});
    const bool hasText = foldedText && !foldedText->isEmpty();
    db.execute(QStringLiteral("INSERT INTO %1 (document_id, has_text, folded_text) SELECT ?, ?, ? "
                              "WHERE EXISTS (SELECT 1 FROM Attachments WHERE AttachmentsId = ?)")
                   .arg(table),
               {id, hasText ? 1 : 0, hasText ? QVariant(QString::fromUtf8(*foldedText)) : QVariant(), id});
}

std::vector<qint64> DocumentTextIndex::unindexed(const Database& db, int limit)
{
    Statement statement =
        db.prepare(QStringLiteral("SELECT AttachmentsId FROM Attachments WHERE NOT EXISTS (SELECT 1 FROM %1 t WHERE "
                                  "t.document_id = Attachments.AttachmentsId) ORDER BY AttachmentsId LIMIT ?")
                       .arg(textTable(db)));
    statement.bind(1, limit);
    return keysOf(statement);
}

qint64 DocumentTextIndex::unindexedCount(const Database& db)
{
    return db
        .scalar(QStringLiteral("SELECT count(*) FROM Attachments WHERE NOT EXISTS (SELECT 1 FROM %1 t WHERE "
                               "t.document_id = Attachments.AttachmentsId)")
                    .arg(textTable(db)))
        .toLongLong();
}

std::vector<qint64> DocumentTextIndex::withText(const Database& db)
{
    Statement statement = db.prepare(
        QStringLiteral("SELECT document_id FROM %1 WHERE has_text = 1 ORDER BY document_id").arg(textTable(db)));
    return keysOf(statement);
}

int DocumentTextIndex::characterLength(unsigned char lead)
{
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return 4;
}

QList<QByteArray> DocumentTextIndex::trigramsOf(const QByteArray& folded)
{
    QList<QByteArray> runs;
    QSet<QByteArray> seen;
    qsizetype starts[3] = {0, 0, 0};
    int count = 0;
    for (qsizetype at = 0; at < folded.size();) {
        const qsizetype next =
            std::min<qsizetype>(folded.size(), at + characterLength(static_cast<unsigned char>(folded.at(at))));
        starts[count % 3] = at;
        ++count;
        if (count >= 3) {
            const qsizetype first = starts[(count - 3) % 3];
            const QByteArray run = folded.mid(first, next - first);
            if (!seen.contains(run)) {
                seen.insert(run);
                runs.append(run);
            }
        }
        at = next;
    }
    return runs;
}

std::optional<std::vector<qint64>> DocumentTextIndex::candidates(const Database& db, const QByteArray& foldedPhrase)
{
    const QList<QByteArray> runs = trigramsOf(foldedPhrase);
    if (runs.isEmpty())
        return std::nullopt;
    if (db.isServer()) {
        Statement statement = db.prepare(QStringLiteral("SELECT document_id FROM orvanta_store.document_text WHERE "
                                                        "has_text = 1 AND folded_text LIKE ? ESCAPE '\\' "
                                                        "ORDER BY document_id"));
        statement.bind(1, containsPattern(foldedPhrase));
        return keysOf(statement);
    }
    QStringList terms;
    for (const QByteArray& run : runs)
        terms.append(quotedTerm(run));
    Statement statement = db.prepare(QStringLiteral("SELECT rowid FROM orvanta_document_words WHERE "
                                                    "orvanta_document_words MATCH ? ORDER BY rowid"));
    statement.bind(1, terms.join(QStringLiteral(" AND ")));
    return keysOf(statement);
}
