#include "documents/ContentMatcher.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ORVANTA_X86_SCAN 1
#endif

namespace {

// Lower-case partner of each two-byte UTF-8 code point (U+0080..U+07FF), or the code point
// itself. Built once from Qt's Unicode tables.
const std::array<char16_t, 0x800>& twoByteLower()
{
    static const std::array<char16_t, 0x800> table = [] {
        std::array<char16_t, 0x800> t{};
        for (char16_t cp = 0; cp < 0x800; ++cp) {
            const char16_t lower = QChar(cp).toLower().unicode();
            t[cp] = (lower >= 0x80 && lower < 0x800) ? lower : cp;
        }
        return t;
    }();
    return table;
}

const std::array<unsigned char, 256>& asciiLower()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c)
            t[static_cast<size_t>(c)] = static_cast<unsigned char>((c >= 'A' && c <= 'Z') ? c + 32 : c);
        return t;
    }();
    return table;
}

bool isTwoByteLead(unsigned char c)
{
    return c >= 0xC2 && c <= 0xDF;
}

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

char16_t decodeTwoByte(unsigned char lead, unsigned char next)
{
    return static_cast<char16_t>(((lead & 0x1F) << 6) | (next & 0x3F));
}

unsigned char leadOf(char16_t cp)
{
    return static_cast<unsigned char>(0xC0 | (cp >> 6));
}

unsigned char continuationOf(char16_t cp)
{
    return static_cast<unsigned char>(0x80 | (cp & 0x3F));
}

void appendTwoByte(QByteArray& out, unsigned char lead, unsigned char next)
{
    const char16_t lower = twoByteLower()[decodeTwoByte(lead, next)];
    out.append(static_cast<char>(leadOf(lower)));
    out.append(static_cast<char>(continuationOf(lower)));
}

// How often a byte turns up in the documents people store (text in European languages,
// office and PDF files), roughly, in parts per ten thousand. The scan looks for the
// phrase's rarest bytes, so only the order matters.
const std::array<int, 256>& byteFrequency()
{
    static const std::array<int, 256> table = [] {
        std::array<int, 256> t{};
        t.fill(20); // control bytes, punctuation, bytes of binary data
        const char* letters = "etaoinsrhldcumfpgwybvkxjqz";
        const int letterWeights[] = {1000, 700, 650, 600, 600, 600, 550, 550, 400, 350, 330, 280, 250,
                                     220,  180, 170, 170, 150, 140, 120, 90,  70,  20,  20,  10,  10};
        for (int i = 0; letters[i] != '\0'; ++i) {
            const auto lower = static_cast<size_t>(static_cast<unsigned char>(letters[i]));
            t[lower] = letterWeights[i];
            t[lower - 32] = std::max(10, letterWeights[i] / 8);
        }
        for (int digit = '0'; digit <= '9'; ++digit)
            t[static_cast<size_t>(digit)] = digit <= '2' ? 80 : 50;
        t[' '] = 1800;
        t['\n'] = 150;
        t['\r'] = 60;
        t['\t'] = 40;
        t[','] = 100;
        t['.'] = 100;
        t['-'] = 50;
        t['/'] = 40;
        t['"'] = 40;
        t['\''] = 40;
        t[0x00] = 300; // the padding of binary formats
        t[0xFF] = 80;
        for (int c = 0x80; c <= 0xBF; ++c)
            t[static_cast<size_t>(c)] = 30;
        t[0xC3] = t[0xD0] = t[0xD1] = t[0xCE] = t[0xCF] = 150; // Latin-1 letters, Cyrillic, Greek
        return t;
    }();
    return table;
}

// The arguments of one scan: every start in [0, starts) at which both probes see one of
// their bytes is handed to `verify`.
struct ScanArgs
{
    const unsigned char* text;
    qsizetype starts;
    qsizetype offsetA;
    unsigned char a1;
    unsigned char a2;
    qsizetype offsetB;
    unsigned char b1;
    unsigned char b2;
    const void* context;
    bool (*verify)(const void* context, const unsigned char* at);
};

qsizetype scanScalar(const ScanArgs& s, qsizetype from)
{
    for (qsizetype i = from; i < s.starts; ++i) {
        const unsigned char a = s.text[i + s.offsetA];
        const unsigned char b = s.text[i + s.offsetB];
        if ((a == s.a1 || a == s.a2) && (b == s.b1 || b == s.b2) && s.verify(s.context, s.text + i))
            return i;
    }
    return -1;
}

#ifdef ORVANTA_X86_SCAN

// Hands the starts of the block at `block` whose bits are set in `mask` to verify.
qsizetype verifyMask(const ScanArgs& s, qsizetype block, unsigned int mask)
{
    while (mask != 0) {
        const qsizetype at = block + __builtin_ctz(mask);
        if (s.verify(s.context, s.text + at))
            return at;
        mask &= mask - 1;
    }
    return -1;
}

qsizetype scanSse2(const ScanArgs& s)
{
    const __m128i a1 = _mm_set1_epi8(static_cast<char>(s.a1));
    const __m128i a2 = _mm_set1_epi8(static_cast<char>(s.a2));
    const __m128i b1 = _mm_set1_epi8(static_cast<char>(s.b1));
    const __m128i b2 = _mm_set1_epi8(static_cast<char>(s.b2));
    qsizetype i = 0;
    for (; i + 16 <= s.starts; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.text + i + s.offsetA));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.text + i + s.offsetB));
        const __m128i hit = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(a, a1), _mm_cmpeq_epi8(a, a2)),
                                          _mm_or_si128(_mm_cmpeq_epi8(b, b1), _mm_cmpeq_epi8(b, b2)));
        const auto mask = static_cast<unsigned int>(_mm_movemask_epi8(hit));
        if (mask != 0) {
            const qsizetype at = verifyMask(s, i, mask);
            if (at >= 0)
                return at;
        }
    }
    return scanScalar(s, i);
}

struct Avx2Probes
{
    __m256i a1;
    __m256i a2;
    __m256i b1;
    __m256i b2;
};

// The starts of the 32 beginning at `at` where both probes see one of their bytes.
__attribute__((target("avx2"))) inline __m256i candidatesAvx2(const ScanArgs& s, const Avx2Probes& v, qsizetype at)
{
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s.text + at + s.offsetA));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s.text + at + s.offsetB));
    return _mm256_and_si256(_mm256_or_si256(_mm256_cmpeq_epi8(a, v.a1), _mm256_cmpeq_epi8(a, v.a2)),
                            _mm256_or_si256(_mm256_cmpeq_epi8(b, v.b1), _mm256_cmpeq_epi8(b, v.b2)));
}

__attribute__((target("avx2"))) qsizetype scanAvx2(const ScanArgs& s)
{
    const Avx2Probes v{_mm256_set1_epi8(static_cast<char>(s.a1)), _mm256_set1_epi8(static_cast<char>(s.a2)),
                       _mm256_set1_epi8(static_cast<char>(s.b1)), _mm256_set1_epi8(static_cast<char>(s.b2))};
    qsizetype i = 0;
    // Two blocks at a time: most blocks hold no candidate, and one test covers both.
    for (; i + 64 <= s.starts; i += 64) {
        const __m256i first = candidatesAvx2(s, v, i);
        const __m256i second = candidatesAvx2(s, v, i + 32);
        const __m256i either = _mm256_or_si256(first, second);
        if (_mm256_testz_si256(either, either))
            continue;
        qsizetype at = verifyMask(s, i, static_cast<unsigned int>(_mm256_movemask_epi8(first)));
        if (at < 0)
            at = verifyMask(s, i + 32, static_cast<unsigned int>(_mm256_movemask_epi8(second)));
        if (at >= 0)
            return at;
    }
    for (; i + 32 <= s.starts; i += 32) {
        const qsizetype at = verifyMask(s, i, static_cast<unsigned int>(_mm256_movemask_epi8(candidatesAvx2(s, v, i))));
        if (at >= 0)
            return at;
    }
    return scanScalar(s, i);
}

using ScanKernel = qsizetype (*)(const ScanArgs&);

ScanKernel scanKernel()
{
    static const ScanKernel kernel = __builtin_cpu_supports("avx2") ? scanAvx2 : scanSse2;
    return kernel;
}

#endif

} // namespace

ContentMatcher::ContentMatcher(const QString& phrase, bool matchCase) : m_matchCase(matchCase)
{
    const QByteArray utf8 = preparePhrase(phrase).toUtf8();
    if (matchCase) {
        m_phrase = utf8;
    } else {
        unsigned char pending = 0;
        fold(utf8.constData(), utf8.size(), m_phrase, pending);
        if (pending)
            m_phrase.append(static_cast<char>(pending));
    }
    planScan();
    reset();
}

QString ContentMatcher::preparePhrase(const QString& phrase)
{
    QString prepared = phrase;
    // Only blanks are trimmed, as typed; other white space belongs to the phrase.
    while (prepared.startsWith(QLatin1Char(' ')))
        prepared.remove(0, 1);
    while (prepared.endsWith(QLatin1Char(' ')))
        prepared.chop(1);
    if (prepared.size() > 2 && prepared.startsWith(QLatin1Char('"')) && prepared.endsWith(QLatin1Char('"')))
        prepared = prepared.mid(1, prepared.size() - 2);
    return prepared;
}

void ContentMatcher::planScan()
{
    // For each position of the phrase, the bytes the text may hold there in a match. An
    // ASCII letter is there in either case. A two-byte letter is there as any two-byte
    // letter that folds to it: its lead and its second byte are each one of a few values.
    // Any other byte is there unchanged.
    const auto* p = reinterpret_cast<const unsigned char*>(m_phrase.constData());
    const qsizetype length = m_phrase.size();
    std::vector<Probe> probes;
    std::vector<int> weights;
    const auto& frequency = byteFrequency();
    const auto add = [&](qsizetype offset, const std::vector<unsigned char>& bytes) {
        if (bytes.empty() || bytes.size() > 2)
            return; // too many forms to look for at once; other positions narrow the scan
        Probe probe{offset, bytes.front(), bytes.back()};
        probes.push_back(probe);
        weights.push_back(frequency[probe.first] + (probe.second != probe.first ? frequency[probe.second] : 0));
    };
    for (qsizetype k = 0; k < length; ++k) {
        const unsigned char c = p[k];
        if (!m_matchCase && c >= 'a' && c <= 'z') {
            add(k, {c, static_cast<unsigned char>(c - 32)});
        } else if (!m_matchCase && isTwoByteLead(c) && k + 1 < length && isContinuation(p[k + 1])) {
            const char16_t letter = decodeTwoByte(c, p[k + 1]);
            std::vector<unsigned char> leads;
            std::vector<unsigned char> seconds;
            const auto& lower = twoByteLower();
            for (char16_t cp = 0x80; cp < 0x800; ++cp) {
                if (lower[cp] != letter)
                    continue;
                if (std::find(leads.begin(), leads.end(), leadOf(cp)) == leads.end())
                    leads.push_back(leadOf(cp));
                if (std::find(seconds.begin(), seconds.end(), continuationOf(cp)) == seconds.end())
                    seconds.push_back(continuationOf(cp));
            }
            add(k, leads);
            add(k + 1, seconds);
            ++k;
        } else {
            add(k, {c});
        }
    }
    m_probed = !probes.empty();
    if (!m_probed)
        return;
    const auto rarest = [&](qsizetype skipOffset) {
        size_t best = probes.size();
        for (size_t i = 0; i < probes.size(); ++i)
            if (probes[i].offset != skipOffset && (best == probes.size() || weights[i] < weights[best]))
                best = i;
        return best;
    };
    const size_t rare = rarest(-1);
    m_rare = probes[rare];
    const size_t other = rarest(m_rare.offset);
    m_other = other < probes.size() ? probes[other] : m_rare;
}

void ContentMatcher::reset()
{
    m_window.clear();
    m_found = m_phrase.isEmpty(); // an empty phrase is in every document
}

void ContentMatcher::fold(const char* data, qsizetype size, QByteArray& out, unsigned char& pendingLead)
{
    const auto& lower = asciiLower();
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    qsizetype i = 0;
    if (pendingLead && size > 0) {
        if (isContinuation(bytes[0])) {
            appendTwoByte(out, pendingLead, bytes[0]);
            i = 1;
        } else {
            out.append(static_cast<char>(pendingLead));
        }
        pendingLead = 0;
    }
    for (; i < size; ++i) {
        const unsigned char c = bytes[i];
        if (c < 0x80) {
            out.append(static_cast<char>(lower[c]));
        } else if (isTwoByteLead(c)) {
            if (i + 1 == size) {
                pendingLead = c;
            } else if (isContinuation(bytes[i + 1])) {
                appendTwoByte(out, c, bytes[i + 1]);
                ++i;
            } else {
                out.append(static_cast<char>(c));
            }
        } else {
            out.append(static_cast<char>(c));
        }
    }
}

bool ContentMatcher::equalsAt(const unsigned char* text) const
{
    const auto* p = reinterpret_cast<const unsigned char*>(m_phrase.constData());
    const qsizetype length = m_phrase.size();
    if (m_matchCase)
        return std::memcmp(text, p, static_cast<size_t>(length)) == 0;
    // The text folded from this start reads as the whole document folded would: a start
    // that could match is never the second byte of a two-byte letter, and a letter cut
    // off by the end of the phrase cannot match its last byte either way.
    const auto& lower = asciiLower();
    for (qsizetype j = 0; j < length;) {
        const unsigned char c = text[j];
        if (c < 0x80) {
            if (lower[c] != p[j])
                return false;
            ++j;
        } else if (isTwoByteLead(c) && j + 1 < length && isContinuation(text[j + 1])) {
            const char16_t folded = twoByteLower()[decodeTwoByte(c, text[j + 1])];
            if (leadOf(folded) != p[j] || continuationOf(folded) != p[j + 1])
                return false;
            j += 2;
        } else {
            if (c != p[j])
                return false;
            ++j;
        }
    }
    return true;
}

qsizetype ContentMatcher::scanPlain(const unsigned char* text, qsizetype from, qsizetype starts) const
{
    for (qsizetype i = from; i < starts; ++i)
        if (equalsAt(text + i))
            return i;
    return -1;
}

qsizetype ContentMatcher::scan(const unsigned char* text, qsizetype starts) const
{
    if (!m_probed)
        return scanPlain(text, 0, starts);
    const ScanArgs args{text,
                        starts,
                        m_rare.offset,
                        m_rare.first,
                        m_rare.second,
                        m_other.offset,
                        m_other.first,
                        m_other.second,
                        this,
                        [](const void* context, const unsigned char* at) {
                            return static_cast<const ContentMatcher*>(context)->equalsAt(at);
                        }};
#ifdef ORVANTA_X86_SCAN
    return scanKernel()(args);
#else
    return scanScalar(args, 0);
#endif
}

qsizetype ContentMatcher::indexIn(const char* data, qsizetype size) const
{
    const qsizetype length = m_phrase.size();
    if (length == 0)
        return 0;
    if (size < length)
        return -1;
    return scan(reinterpret_cast<const unsigned char*>(data), size - length + 1);
}

bool ContentMatcher::feed(const char* data, qsizetype size)
{
    if (m_found || size <= 0)
        return m_found;
    const qsizetype keep = m_phrase.size() - 1; // a match may start in the last keep bytes
    if (!m_window.isEmpty()) {
        // Starts in the kept end of the earlier text, completed by this piece.
        m_joined = m_window;
        m_joined.append(data, std::min(size, keep));
        const qsizetype starts = std::min(m_window.size(), m_joined.size() - keep);
        if (starts > 0 && scan(reinterpret_cast<const unsigned char*>(m_joined.constData()), starts) >= 0) {
            m_found = true;
            return true;
        }
    }
    if (indexIn(data, size) >= 0) {
        m_found = true;
        return true;
    }
    if (size >= keep) {
        m_window = QByteArray(data + size - keep, keep);
    } else {
        m_window.append(data, size);
        m_window = m_window.right(keep);
    }
    return false;
}

bool ContentMatcher::finish()
{
    return m_found;
}

bool ContentMatcher::matches(const QByteArray& text)
{
    reset();
    feed(text.constData(), text.size());
    return finish();
}
