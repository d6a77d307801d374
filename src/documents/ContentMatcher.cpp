#include "documents/ContentMatcher.h"

#include <QChar>
#include <array>
#include <cstring>

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

void appendTwoByte(QByteArray& out, unsigned char lead, unsigned char next)
{
    const char16_t cp = static_cast<char16_t>(((lead & 0x1F) << 6) | (next & 0x3F));
    const char16_t lower = twoByteLower()[cp];
    out.append(static_cast<char>(0xC0 | (lower >> 6)));
    out.append(static_cast<char>(0x80 | (lower & 0x3F)));
}

bool isTwoByteLead(unsigned char c)
{
    return c >= 0xC2 && c <= 0xDF;
}

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

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

void ContentMatcher::reset()
{
    m_window.clear();
    m_pendingLead = 0;
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

bool ContentMatcher::feed(const char* data, qsizetype size)
{
    if (m_found || size <= 0)
        return m_found;
    m_folded = m_window;
    if (m_matchCase)
        m_folded.append(data, size);
    else
        fold(data, size, m_folded, m_pendingLead);
    return search();
}

bool ContentMatcher::feedFolded(const char* data, qsizetype size)
{
    m_folded = m_window;
    m_folded.append(data, size);
    return search();
}

bool ContentMatcher::search()
{
    if (m_folded.size() >= m_phrase.size() &&
        memmem(m_folded.constData(), static_cast<size_t>(m_folded.size()), m_phrase.constData(),
               static_cast<size_t>(m_phrase.size())) != nullptr) {
        m_found = true;
        return true;
    }
    // A match may still start in the last phrase-length-minus-one bytes.
    const qsizetype keep = std::min<qsizetype>(m_phrase.size() - 1, m_folded.size());
    m_window = m_folded.right(keep);
    return false;
}

bool ContentMatcher::finish()
{
    if (!m_found && m_pendingLead) {
        const char lead = static_cast<char>(m_pendingLead);
        m_pendingLead = 0;
        feedFolded(&lead, 1);
    }
    return m_found;
}

bool ContentMatcher::matches(const QByteArray& text)
{
    reset();
    feed(text.constData(), text.size());
    return finish();
}
