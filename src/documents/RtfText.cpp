#include "documents/RtfText.h"

#include "documents/PlainText.h"
#include "documents/TextLog.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

// What a group carries into the groups it holds.
struct GroupState
{
    bool skip = false;
    int unicodeSkip = 1;
};

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Destinations that hold no text of the document.
bool isSkippedDestination(QByteArrayView word)
{
    static constexpr QByteArrayView Skipped[] = {
        "fonttbl",
        "colortbl",
        "stylesheet",
        "info",
        "pict",
        "objdata",
        "themedata",
        "datastore",
        "latentstyles",
        "listtable",
        "listoverridetable",
        "rsidtbl",
        "generator",
        "xmlnstbl",
        "filetbl",
        "revtbl",
        "fldinst",
        "datafield",
        "userprops",
        "docvar",
        "colorschememapping",
        "mmathPr",
        "pgdsctbl",
        "bkmkstart",
        "bkmkend",
        "passwordhash",
        "wgrffmtfilter",
        "template",
        "nonshppict",
        "shpinst",
        "xmlopen",
        "xmlattrname",
        "xmlattrvalue",
        "operator",
        "company",
    };
    return std::find(std::begin(Skipped), std::end(Skipped), word) != std::end(Skipped);
}

// Control words that stand for a character.
char16_t wordCharacter(QByteArrayView word)
{
    struct Entry
    {
        QByteArrayView word;
        char16_t character;
    };
    static constexpr Entry Entries[] = {
        {"par", u'\n'},     {"line", u'\n'},     {"sect", u'\n'},       {"page", u'\n'},       {"row", u'\n'},
        {"cell", u'\n'},    {"nestcell", u'\n'}, {"nestrow", u'\n'},    {"tab", u'\t'},        {"emdash", 0x2014},
        {"endash", 0x2013}, {"emspace", u' '},   {"enspace", u' '},     {"qmspace", u' '},     {"bullet", 0x2022},
        {"lquote", 0x2018}, {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
    };
    for (const Entry& entry : Entries) {
        if (word == entry.word)
            return entry.character;
    }
    return 0;
}

class RtfReader
{
public:
    explicit RtfReader(QByteArrayView rtf) : m_rtf(rtf) { m_text.reserve(rtf.size() / 2); }

    QString read()
    {
        std::vector<GroupState> groups;
        groups.reserve(64);
        GroupState state;
        int overflow = 0; // groups deeper than the limit, left out whole
        qsizetype i = 0;
        const qsizetype end = m_rtf.size();
        while (i < end) {
            const char c = m_rtf[i];
            if (overflow > 0) {
                overflow += c == '{' ? 1 : c == '}' ? -1 : 0;
                i += c == '\\' && i + 1 < end ? 2 : 1;
                continue;
            }
            switch (c) {
            case '{':
                flushBytes();
                m_pendingSkip = 0;
                if (groups.size() >= std::size_t(RtfText::DepthLimit)) {
                    overflow = 1;
                } else {
                    groups.push_back(state);
                }
                ++i;
                break;
            case '}':
                flushBytes();
                m_pendingSkip = 0;
                if (!groups.empty()) {
                    state = groups.back();
                    groups.pop_back();
                }
                ++i;
                break;
            case '\\':
                i = controlAt(i, state);
                break;
            case '\r':
            case '\n':
                ++i;
                break;
            default:
                if (m_pendingSkip > 0)
                    --m_pendingSkip;
                else if (!state.skip)
                    appendByte(c);
                ++i;
                break;
            }
        }
        flushBytes();
        return std::move(m_text);
    }

private:
    // Reads the control word or symbol at `at` (the backslash); returns where reading goes on.
    qsizetype controlAt(qsizetype at, GroupState& state)
    {
        const qsizetype end = m_rtf.size();
        qsizetype i = at + 1;
        if (i >= end)
            return end;
        const char c = m_rtf[i];
        if (!isLetter(c))
            return symbolAt(i, state);

        const qsizetype wordStart = i;
        while (i < end && i - wordStart < 32 && isLetter(m_rtf[i]))
            ++i;
        const QByteArrayView word = m_rtf.sliced(wordStart, i - wordStart);
        bool hasParameter = false;
        bool negative = false;
        long long parameter = 0;
        if (i < end && m_rtf[i] == '-' && i + 1 < end && isDigit(m_rtf[i + 1])) {
            negative = true;
            ++i;
        }
        const qsizetype digitsStart = i;
        while (i < end && i - digitsStart < 10 && isDigit(m_rtf[i])) {
            parameter = parameter * 10 + (m_rtf[i] - '0');
            ++i;
        }
        hasParameter = i > digitsStart;
        if (negative)
            parameter = -parameter;
        if (i < end && m_rtf[i] == ' ')
            ++i;

        if (word == "bin") {
            // Raw binary data of the given length, never text.
            flushBytes();
            return hasParameter && parameter > 0 ? std::min<qsizetype>(end, i + qsizetype(parameter)) : i;
        }
        if (m_pendingSkip > 0) {
            --m_pendingSkip;
            return i;
        }
        if (word == "u" && hasParameter) {
            flushBytes();
            if (!state.skip) {
                // Written as a signed 16-bit number.
                const auto unit = char16_t(parameter < 0 ? parameter + 65536 : parameter);
                m_text.append(QChar(unit));
            }
            m_pendingSkip = state.unicodeSkip;
            return i;
        }
        if (word == "uc" && hasParameter) {
            state.unicodeSkip = int(std::clamp<long long>(parameter, 0, 16));
            return i;
        }
        if (word == "ansicpg" && hasParameter) {
            setCodePage(int(parameter));
            return i;
        }
        if (isSkippedDestination(word)) {
            state.skip = true;
            return i;
        }
        if (!state.skip) {
            if (const char16_t character = wordCharacter(word)) {
                flushBytes();
                m_text.append(QChar(character));
            }
        }
        return i;
    }

    // A control symbol: the character after the backslash at `at`.
    qsizetype symbolAt(qsizetype at, GroupState& state)
    {
        const qsizetype end = m_rtf.size();
        const char c = m_rtf[at];
        if (c == '\'') {
            const int high = at + 1 < end ? hexValue(m_rtf[at + 1]) : -1;
            const int low = at + 2 < end ? hexValue(m_rtf[at + 2]) : -1;
            if (high < 0 || low < 0)
                return at + 1;
            if (m_pendingSkip > 0)
                --m_pendingSkip;
            else if (!state.skip)
                appendByte(char(high * 16 + low));
            return at + 3;
        }
        if (c == '*') {
            state.skip = true;
            return at + 1;
        }
        if (m_pendingSkip > 0) {
            --m_pendingSkip;
            return at + 1;
        }
        if (state.skip)
            return at + 1;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            appendByte(c);
            break;
        case '~':
            appendCharacter(u' ');
            break;
        case '_':
            appendCharacter(u'-');
            break;
        case '\r':
        case '\n':
            appendCharacter(u'\n');
            break;
        default:
            // Optional hyphens and the like mark places in words, not text.
            break;
        }
        return at + 1;
    }

    // A byte of text in the document's code page: Windows-1252 at once, others once the
    // bytes of the character are all there.
    void appendByte(char byte)
    {
        if (m_decoder)
            m_bytes.append(byte);
        else
            m_text.append(QChar(PlainText::windows1252(uchar(byte))));
    }

    void appendCharacter(char16_t c)
    {
        flushBytes();
        m_text.append(QChar(c));
    }

    void setCodePage(int codePage)
    {
        flushBytes();
        m_decoder.reset();
        if (codePage == 1252 || codePage <= 0)
            return;
        // Other code pages need a Qt with ICU; without one the text is read as Windows-1252.
        const QByteArray name = codePage == 65001 ? QByteArray("UTF-8") : "windows-" + QByteArray::number(codePage);
        auto decoder = std::make_unique<QStringDecoder>(name.constData(), QStringConverter::Flag::Stateless);
        if (!decoder->isValid()) {
            const QByteArray alias = "cp" + QByteArray::number(codePage);
            decoder = std::make_unique<QStringDecoder>(alias.constData(), QStringConverter::Flag::Stateless);
        }
        if (decoder->isValid())
            m_decoder = std::move(decoder);
        else
            qCDebug(textLog) << "RTF code page" << codePage << "read as Windows-1252";
    }

    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        m_text.append(m_decoder ? m_decoder->decode(m_bytes) : PlainText::fromWindows1252(m_bytes));
        m_bytes.resize(0); // keeps its capacity for the next run of text
    }

    QByteArrayView m_rtf;
    QString m_text;
    QByteArray m_bytes; // text bytes not yet decoded: a character may take more than one
    std::unique_ptr<QStringDecoder> m_decoder;
    int m_pendingSkip = 0; // stand-in characters after a Unicode escape still to skip
};

} // namespace

std::optional<QString> RtfText::extract(const QByteArray& bytes)
{
    return RtfReader(bytes).read();
}
