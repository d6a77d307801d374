#pragma once

struct sqlite3;

// The words of the document text index: every run of three characters of a text, each
// distinct one once per document.
//
// The index only records which documents hold a run (it keeps no positions), so a run seen
// again in the same document adds nothing; the engine's own trigram tokenizer hands it every
// time, and indexing is several times slower for it. A query is tokenized as the engine's
// tokenizer does: each run in order. The text is folded to lower case before it is indexed,
// so this tokenizer compares bytes.
class SqliteTrigramTokenizer
{
public:
    static constexpr const char* Name = "orvanta_trigram";

    // Makes the tokenizer known to the connection; false when the engine lacks full-text
    // search.
    static bool registerOn(sqlite3* db);
};
