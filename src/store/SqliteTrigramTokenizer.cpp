#include "store/SqliteTrigramTokenizer.h"

#include "store/DocumentTextIndex.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Remembers the runs already handed to the index, by their bytes. Open addressing over 64-bit
// keys: a run of at most seven bytes (every run of ASCII or two-byte letters) is its own key,
// a longer one its hash, which may, rarely, make two runs count as one; a lost run only makes
// the index miss it as a word, and the search then finds documents by their text anyway.
class SeenRuns
{
public:
    explicit SeenRuns(size_t expected)
    {
        size_t capacity = 1024;
        while (capacity < expected * 2)
            capacity *= 2;
        m_slots.assign(capacity, 0);
    }

    // True the first time `bytes` is added.
    bool add(const char* bytes, int length)
    {
        const std::uint64_t key = keyOf(bytes, length);
        if (m_count * 2 >= m_slots.size())
            grow();
        return insert(key);
    }

private:
    static std::uint64_t keyOf(const char* bytes, int length)
    {
        std::uint64_t key = 0;
        if (length <= 7) {
            std::memcpy(&key, bytes, static_cast<size_t>(length));
            return key | (static_cast<std::uint64_t>(length) << 56);
        }
        key = 14695981039346656037ULL; // FNV-1a
        for (int i = 0; i < length; ++i)
            key = (key ^ static_cast<unsigned char>(bytes[i])) * 1099511628211ULL;
        return key | (std::uint64_t{0xFF} << 56);
    }

    bool insert(std::uint64_t key)
    {
        const size_t mask = m_slots.size() - 1;
        size_t at = static_cast<size_t>((key * 0x9E3779B97F4A7C15ULL) >> 20) & mask;
        while (m_slots[at] != 0) {
            if (m_slots[at] == key)
                return false;
            at = (at + 1) & mask;
        }
        m_slots[at] = key;
        ++m_count;
        return true;
    }

    void grow()
    {
        std::vector<std::uint64_t> old(m_slots.size() * 2, 0);
        old.swap(m_slots);
        m_count = 0;
        for (const std::uint64_t key : old)
            if (key != 0)
                insert(key);
    }

    std::vector<std::uint64_t> m_slots; // 0 = empty; every key has its top byte set
    size_t m_count = 0;
};

// The tokenizer keeps no state of its own; this object only stands for it.
struct Tokenizer
{
};

int create(void*, const char**, int, Fts5Tokenizer** out)
{
    *out = reinterpret_cast<Fts5Tokenizer*>(new Tokenizer);
    return SQLITE_OK;
}

void destroy(Fts5Tokenizer* tokenizer)
{
    delete reinterpret_cast<Tokenizer*>(tokenizer);
}

int tokenize(Fts5Tokenizer*, void* context, int flags, const char* text, int size,
             int (*token)(void*, int, const char*, int, int, int))
{
    if (size <= 0 || text == nullptr)
        return SQLITE_OK;
    // Where each of the last three characters began.
    int starts[4] = {0, 0, 0, 0};
    int seen = 0;
    const bool document = (flags & FTS5_TOKENIZE_DOCUMENT) != 0;
    std::unique_ptr<SeenRuns> runs;
    if (document)
        runs = std::make_unique<SeenRuns>(static_cast<size_t>(size) / 8);
    for (int at = 0; at < size;) {
        const int length = DocumentTextIndex::characterLength(static_cast<unsigned char>(text[at]));
        const int next = at + length > size ? size : at + length;
        starts[seen % 4] = at;
        ++seen;
        if (seen >= 3) {
            const int first = starts[(seen - 3) % 4];
            const int runLength = next - first;
            if (!runs || runs->add(text + first, runLength)) {
                const int rc = token(context, 0, text + first, runLength, first, next);
                if (rc != SQLITE_OK)
                    return rc;
            }
        }
        at = next;
    }
    return SQLITE_OK;
}

fts5_api* fts5Of(sqlite3* db)
{
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    sqlite3_bind_pointer(statement, 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
    return api;
}

} // namespace

bool SqliteTrigramTokenizer::registerOn(sqlite3* db)
{
    fts5_api* api = fts5Of(db);
    if (api == nullptr)
        return false;
    static fts5_tokenizer methods{create, destroy, tokenize};
    return api->xCreateTokenizer(api, Name, nullptr, &methods, nullptr) == SQLITE_OK;
}
