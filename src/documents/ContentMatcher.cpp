#include "documents/ContentMatcher.h"

#include "documents/Windows1252.h"

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

// How many bytes a UTF-8 character beginning with `lead` has; 0 for a byte that begins none
// of more than one.
int utf8Length(unsigned char lead)
{
    if (isTwoByteLead(lead))
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// How many bytes before a start the Windows-1252 form looks at: a UTF-8 character it might
// begin inside starts at most this far back.
constexpr qsizetype LookBehind = 3;

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

ContentMatcher::ContentMatcher(const QString& phrase, bool matchCase)
{
    const QString prepared = preparePhrase(phrase);
    const QByteArray utf8 = prepared.toUtf8();
    if (matchCase) {
        m_utf8.bytes = utf8;
    } else {
        unsigned char pending = 0;
        fold(utf8.constData(), utf8.size(), m_utf8.bytes, pending);
        if (pending)
            m_utf8.bytes.append(static_cast<char>(pending));
        m_utf8.folding = Folding::Utf8;
    }
    m_utf8.plan();
    m_windows1252.bytes = Windows1252::nonAsciiForm(prepared);
    if (hasWindows1252() && !matchCase) {
        const auto& lower = Windows1252::lowerCase();
        for (char& c : m_windows1252.bytes)
            c = static_cast<char>(lower[static_cast<unsigned char>(c)]);
        m_windows1252.folding = Folding::Windows1252;
    }
    m_windows1252.windows1252 = true;
    if (hasWindows1252())
        m_windows1252.plan();
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

void ContentMatcher::Pattern::plan()
{
    // For each position of the phrase, the bytes the text may hold there in a match. In
    // UTF-8, an ASCII letter is there in either case, and a two-byte letter as any two-byte
    // letter that folds to it: its lead and its second byte are each one of a few values.
    // In Windows-1252, a letter is there in either case. Any other byte is there unchanged.
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype length = bytes.size();
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
    const auto& windows1252 = Windows1252::lowerCase();
    for (qsizetype k = 0; k < length; ++k) {
        const unsigned char c = p[k];
        if (folding == Folding::Windows1252) {
            std::vector<unsigned char> forms{c};
            for (int b = 0; b < 256; ++b)
                if (b != c && windows1252[static_cast<size_t>(b)] == c)
                    forms.push_back(static_cast<unsigned char>(b));
            add(k, forms);
        } else if (folding == Folding::Utf8 && c >= 'a' && c <= 'z') {
            add(k, {c, static_cast<unsigned char>(c - 32)});
        } else if (folding == Folding::Utf8 && isTwoByteLead(c) && k + 1 < length && isContinuation(p[k + 1])) {
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
    probed = !probes.empty();
    if (!probed)
        return;
    const auto rarest = [&](qsizetype skipOffset) {
        size_t best = probes.size();
        for (size_t i = 0; i < probes.size(); ++i)
            if (probes[i].offset != skipOffset && (best == probes.size() || weights[i] < weights[best]))
                best = i;
        return best;
    };
    rare = probes[rarest(-1)];
    const size_t next = rarest(rare.offset);
    other = next < probes.size() ? probes[next] : rare;
}

void ContentMatcher::reset()
{
    m_window.clear();
    m_found = m_utf8.bytes.isEmpty(); // an empty phrase is in every document
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

bool ContentMatcher::Pattern::equalsAt(const unsigned char* text) const
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype length = bytes.size();
    if (folding == Folding::None)
        return std::memcmp(text, p, static_cast<size_t>(length)) == 0;
    if (folding == Folding::Windows1252) {
        const auto& lower = Windows1252::lowerCase();
        for (qsizetype j = 0; j < length; ++j)
            if (lower[text[j]] != p[j])
                return false;
        return true;
    }
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

qsizetype ContentMatcher::Pattern::scan(const unsigned char* text, qsizetype starts, Preceding preceding) const
{
    // The Windows-1252 form also looks at the bytes before a start, which may lie in the
    // preceding bytes rather than in the text.
    struct Windows1252Scan
    {
        const Pattern* pattern;
        const unsigned char* text;
        Preceding preceding;

        // The byte `back` places before `at`, or -1 before the start of the text.
        int byteBefore(const unsigned char* at, qsizetype back) const
        {
            const qsizetype index = (at - text) - back;
            if (index >= 0)
                return text[index];
            return -index <= preceding.size ? preceding.end[index] : -1;
        }

        // Whether `at` is a continuation byte of a UTF-8 character that begins before it:
        // a lead byte shortly before, followed by continuation bytes up to `at` and on
        // through the occurrence as far as the character reaches.
        bool insideCharacter(const unsigned char* at) const
        {
            if (!isContinuation(at[0]))
                return false;
            for (qsizetype back = 1; back <= LookBehind; ++back) {
                const int before = byteBefore(at, back);
                if (before < 0)
                    return false;
                if (isContinuation(static_cast<unsigned char>(before)))
                    continue;
                const qsizetype rest = utf8Length(static_cast<unsigned char>(before)) - back;
                if (rest <= 0)
                    return false;
                const qsizetype inside = std::min(rest, pattern->bytes.size());
                return std::all_of(at, at + inside, isContinuation);
            }
            return false;
        }
    };

    const Windows1252Scan windows1252Scan{this, text, preceding};
    const void* context = windows1252 ? static_cast<const void*>(&windows1252Scan) : this;
    bool (*verify)(const void*, const unsigned char*) = [](const void* c, const unsigned char* at) {
        return static_cast<const Pattern*>(c)->equalsAt(at);
    };
    if (windows1252) {
        verify = [](const void* c, const unsigned char* at) {
            const auto* scan = static_cast<const Windows1252Scan*>(c);
            return scan->pattern->equalsAt(at) && !scan->insideCharacter(at);
        };
    }
    if (!probed) {
        for (qsizetype i = 0; i < starts; ++i)
            if (verify(context, text + i))
                return i;
        return -1;
    }
    const ScanArgs args{text,         starts,      rare.offset,  rare.first, rare.second,
                        other.offset, other.first, other.second, context,    verify};
#ifdef ORVANTA_X86_SCAN
    return scanKernel()(args);
#else
    return scanScalar(args, 0);
#endif
}

qsizetype ContentMatcher::Pattern::indexIn(const unsigned char* text, qsizetype size, Preceding preceding) const
{
    const qsizetype length = bytes.size();
    if (length == 0)
        return 0;
    if (size < length)
        return -1;
    return scan(text, size - length + 1, preceding);
}

bool ContentMatcher::Pattern::startsIn(const unsigned char* text, qsizetype size, qsizetype kept,
                                       Preceding preceding) const
{
    const qsizetype starts = std::min(kept, size - (bytes.size() - 1));
    return starts > 0 && scan(text, starts, preceding) >= 0;
}

qsizetype ContentMatcher::indexIn(const char* data, qsizetype size) const
{
    const auto* text = reinterpret_cast<const unsigned char*>(data);
    const qsizetype at = m_utf8.indexIn(text, size, {});
    if (!hasWindows1252() || at == 0)
        return at;
    // Only the other form starting earlier changes the answer.
    const qsizetype before = at < 0 ? size : std::min(size, at + m_windows1252.bytes.size() - 1);
    const qsizetype other = m_windows1252.indexIn(text, before, {});
    return other >= 0 ? other : at;
}

bool ContentMatcher::feed(const char* data, qsizetype size)
{
    if (m_found || size <= 0)
        return m_found;
    // A match may start in the last keep bytes; the Windows-1252 form is never longer, and
    // looks at a few bytes before its start as well.
    const qsizetype keep = m_utf8.bytes.size() - 1;
    const qsizetype behind = hasWindows1252() ? LookBehind : 0;
    const auto* piece = reinterpret_cast<const unsigned char*>(data);
    if (!m_window.isEmpty()) {
        // Starts in the kept end of the earlier text, completed by this piece.
        m_joined = m_window;
        m_joined.append(data, std::min(size, keep));
        const qsizetype first = std::max<qsizetype>(0, m_window.size() - keep);
        const auto* starts = reinterpret_cast<const unsigned char*>(m_joined.constData()) + first;
        const qsizetype length = m_joined.size() - first;
        const qsizetype kept = m_window.size() - first;
        const Preceding preceding{starts, first};
        if (m_utf8.startsIn(starts, length, kept, preceding) ||
            (hasWindows1252() && m_windows1252.startsIn(starts, length, kept, preceding))) {
            m_found = true;
            return true;
        }
    }
    const Preceding preceding{reinterpret_cast<const unsigned char*>(m_window.constData()) + m_window.size(),
                              std::min(m_window.size(), behind)};
    if (m_utf8.indexIn(piece, size, {}) >= 0 ||
        (hasWindows1252() && m_windows1252.indexIn(piece, size, preceding) >= 0)) {
        m_found = true;
        return true;
    }
    if (size >= keep + behind) {
        m_window = QByteArray(data + size - keep - behind, keep + behind);
    } else {
        m_window.append(data, size);
        m_window = m_window.right(keep + behind);
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
