#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

class Database;

// The text of the stored documents, folded to lower case, and an index of the runs of three
// characters in it, so that the content search reads only the documents that may hold a phrase.
//
// Each document (an AttachmentsId) has at most one entry: its text, or a mark that it has none
// (the search then reads its bytes). Entries are written by whoever stores the document, in the
// same transaction, and by the background indexing for documents stored before the index
// existed. The engine forgets a document's entry when the document is deleted or its value is
// replaced. On SQLite the index is a full-text table; on a server, a trigram index.
//
// The index's tables are the program's own: the catalog does not list them, and a copy of the
// database leaves them behind (the copy indexes its documents anew).
class DocumentTextIndex
{
public:
    // The version of the text entries hold. Raised whenever the text a document gives changes
    // (new formats read, another folding), so that entries of an earlier build are made anew.
    static constexpr int Format = 1;

    // Creates the (empty) tables and the index; in the caller's transaction.
    static void create(const Database& db);
    // Whether the tables are there and hold entries of this build's format.
    static bool current(const Database& db);
    // Drops the tables and creates them empty: every document is to be indexed again. In the
    // caller's write transaction.
    static void rebuild(const Database& db);

    // Stores the entry of document `id`, replacing an earlier one: its folded text, or none.
    // Nothing is stored when the document is no longer there. In the caller's transaction.
    static void put(const Database& db, qint64 id, const std::optional<QByteArray>& foldedText);
    // Documents without an entry, keys ascending, at most `limit` of them.
    static std::vector<qint64> unindexed(const Database& db, int limit);
    static qint64 unindexedCount(const Database& db);
    // Of the documents with an entry, those that have text, keys ascending.
    static std::vector<qint64> withText(const Database& db);
    // Documents whose text may hold `foldedPhrase` (folded as entries are), keys ascending; every
    // one that holds it is among them. Nothing when the phrase is too short for the index (fewer
    // than three characters): then every document with text must be read.
    static std::optional<std::vector<qint64>> candidates(const Database& db, const QByteArray& foldedPhrase);

    // Where an entry's text lies, to be read by document key: table, column, key column.
    static QString textTable(const Database& db);
    static QString textColumn() { return QStringLiteral("folded_text"); }
    static QString keyColumn() { return QStringLiteral("document_id"); }

    // The length of the UTF-8 character that starts with `lead` (a stray byte counts as one).
    static int characterLength(unsigned char lead);
    // The runs of three characters of `folded` the index is asked for, each once.
    static QList<QByteArray> trigramsOf(const QByteArray& folded);

private:
    static void forgetDamagedWords(const Database& db);
};
