#include "documents/MarkupText.h"

#include "documents/PlainText.h"

#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

// The names of U+00A0 to U+00FF, in order.
constexpr std::array<const char*, 96> Latin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",
    "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",
    "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave",
    "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",
    "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
    "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute",
    "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave",
    "iacute", "icirc",  "iuml",   "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

struct NamedEntity
{
    const char* name;
    char32_t code;
};

constexpr NamedEntity OtherNames[] = {
    {"amp", '&'},       {"lt", '<'},        {"gt", '>'},        {"quot", '"'},      {"apos", '\''},
    {"OElig", 0x152},   {"oelig", 0x153},   {"Scaron", 0x160},  {"scaron", 0x161},  {"Yuml", 0x178},
    {"fnof", 0x192},    {"circ", 0x2C6},    {"tilde", 0x2DC},   {"ensp", 0x2002},   {"emsp", 0x2003},
    {"thinsp", 0x2009}, {"zwnj", 0x200C},   {"zwj", 0x200D},    {"lrm", 0x200E},    {"rlm", 0x200F},
    {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},
    {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"dagger", 0x2020}, {"Dagger", 0x2021},
    {"bull", 0x2022},   {"hellip", 0x2026}, {"permil", 0x2030}, {"prime", 0x2032},  {"Prime", 0x2033},
    {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"oline", 0x203E},  {"frasl", 0x2044},  {"euro", 0x20AC},
    {"trade", 0x2122},  {"larr", 0x2190},   {"uarr", 0x2191},   {"rarr", 0x2192},   {"darr", 0x2193},
    {"harr", 0x2194},   {"minus", 0x2212},  {"le", 0x2264},     {"ge", 0x2265},     {"ne", 0x2260},
    {"infin", 0x221E},  {"asymp", 0x2248},  {"sum", 0x2211},    {"prod", 0x220F},   {"radic", 0x221A},
    {"Alpha", 0x391},   {"Beta", 0x392},    {"Gamma", 0x393},   {"Delta", 0x394},   {"Omega", 0x3A9},
    {"alpha", 0x3B1},   {"beta", 0x3B2},    {"gamma", 0x3B3},   {"delta", 0x3B4},   {"epsilon", 0x3B5},
    {"lambda", 0x3BB},  {"mu", 0x3BC},      {"pi", 0x3C0},      {"sigma", 0x3C3},   {"omega", 0x3C9},
    {"loz", 0x25CA},    {"spades", 0x2660}, {"clubs", 0x2663},  {"hearts", 0x2665}, {"diams", 0x2666},
};

const QHash<QString, char32_t>& namedEntities()
{
    static const QHash<QString, char32_t> names = [] {
        QHash<QString, char32_t> table;
        for (std::size_t i = 0; i < Latin1Names.size(); ++i)
            table.insert(QString::fromLatin1(Latin1Names[i]), char32_t(0xA0 + i));
        for (const NamedEntity& entity : OtherNames)
            table.insert(QString::fromLatin1(entity.name), entity.code);
        return table;
    }();
    return names;
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Tags whose start and end are the start or end of a line of text.
bool isBlockTag(QLatin1StringView name)
{
    static constexpr QLatin1StringView Blocks[] = {
        "p"_L1,          "div"_L1,     "br"_L1,      "li"_L1,         "tr"_L1,      "td"_L1,    "th"_L1,
        "h1"_L1,         "h2"_L1,      "h3"_L1,      "h4"_L1,         "h5"_L1,      "h6"_L1,    "table"_L1,
        "ul"_L1,         "ol"_L1,      "dl"_L1,      "dt"_L1,         "dd"_L1,      "hr"_L1,    "pre"_L1,
        "blockquote"_L1, "section"_L1, "article"_L1, "header"_L1,     "footer"_L1,  "nav"_L1,   "aside"_L1,
        "main"_L1,       "address"_L1, "figure"_L1,  "figcaption"_L1, "caption"_L1, "title"_L1, "form"_L1,
        "fieldset"_L1,   "legend"_L1,  "option"_L1,  "body"_L1,
    };
    return std::find(std::begin(Blocks), std::end(Blocks), name) != std::end(Blocks);
}

// Builds the text: runs of white space become one space, none at the start of a line.
class TextSink
{
public:
    explicit TextSink(qsizetype expected) { m_text.reserve(expected); }

    void character(QChar c)
    {
        if (isSpace(c) || c == QChar(0xA0)) {
            m_pendingSpace = true;
            return;
        }
        flushSpace();
        m_text.append(c);
    }
    void code(char32_t code)
    {
        if (code == 0xA0 || code == ' ') {
            m_pendingSpace = true;
            return;
        }
        flushSpace();
        if (QChar::requiresSurrogates(code)) {
            m_text.append(QChar(QChar::highSurrogate(code)));
            m_text.append(QChar(QChar::lowSurrogate(code)));
        } else {
            m_text.append(QChar(char16_t(code)));
        }
    }
    void run(QStringView text)
    {
        for (QChar c : text)
            character(c);
    }
    // Ends the line unless it is empty; a line break always ends it.
    void endLine(bool always)
    {
        m_pendingSpace = false;
        if (always || (!m_text.isEmpty() && !m_text.endsWith(u'\n')))
            m_text.append(u'\n');
    }
    QString take() { return std::move(m_text); }

private:
    void flushSpace()
    {
        if (m_pendingSpace && !m_text.isEmpty() && !m_text.endsWith(u'\n'))
            m_text.append(u' ');
        m_pendingSpace = false;
    }

    QString m_text;
    bool m_pendingSpace = false;
};

// A character reference starting at `at` (the '&'): its character and length, or no length
// when it is no reference, in which case the '&' is text.
struct Reference
{
    char32_t code = 0;
    qsizetype length = 0;
};

char32_t numericCharacter(quint32 value)
{
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000))
        return 0xFFFD;
    // Pages written in Windows-1252 refer to its characters by their byte.
    if (value >= 0x80 && value < 0xA0)
        return PlainText::windows1252(uchar(value));
    return value;
}

Reference reference(QStringView text, qsizetype at)
{
    const qsizetype end = text.size();
    qsizetype i = at + 1;
    if (i < end && text[i] == u'#') {
        ++i;
        const bool hex = i < end && (text[i] == u'x' || text[i] == u'X');
        if (hex)
            ++i;
        const qsizetype digitsStart = i;
        quint32 value = 0;
        for (; i < end; ++i) {
            const char16_t c = text[i].unicode();
            int digit = -1;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (hex && c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (hex && c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            if (digit < 0)
                break;
            value = std::min<quint32>(value * (hex ? 16 : 10) + quint32(digit), 0x110000);
        }
        if (i == digitsStart)
            return {};
        if (i < end && text[i] == u';')
            ++i;
        return {numericCharacter(value), i - at};
    }
    const qsizetype nameStart = i;
    while (i < end && i - nameStart < 32 && (isAsciiLetter(text[i]) || isAsciiDigit(text[i])))
        ++i;
    if (i == nameStart)
        return {};
    const QString name = text.sliced(nameStart, i - nameStart).toString();
    const auto found = namedEntities().constFind(name);
    if (found == namedEntities().constEnd())
        return {};
    if (i < end && text[i] == u';')
        return {*found, i + 1 - at};
    // Old pages leave the semicolon out of the commonest ones.
    for (const char* bare : {"amp", "lt", "gt", "quot", "nbsp", "copy", "reg"}) {
        if (name == QLatin1String(bare))
            return {*found, i - at};
    }
    return {};
}

void decodeRun(QStringView text, TextSink& sink)
{
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype amp = text.indexOf(u'&', i);
        const qsizetype stop = amp < 0 ? text.size() : amp;
        sink.run(text.sliced(i, stop - i));
        if (amp < 0)
            break;
        const Reference ref = reference(text, amp);
        if (ref.length == 0) {
            sink.character(u'&');
            i = amp + 1;
        } else {
            sink.code(ref.code);
            i = amp + ref.length;
        }
    }
}

// The end of a tag starting at `at` (the '<'): just past its '>', minding quoted attribute
// values; an unclosed quote is taken as a stray one.
qsizetype tagEnd(QStringView text, qsizetype at)
{
    QChar quote;
    for (qsizetype i = at + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    const qsizetype plain = text.indexOf(u'>', at + 1);
    return plain < 0 ? text.size() : plain + 1;
}

qsizetype skipPast(QStringView text, qsizetype from, QStringView end)
{
    const qsizetype found = text.indexOf(end, from, Qt::CaseInsensitive);
    return found < 0 ? text.size() : found + end.size();
}

// Reads markup by dropping its tags. With `html`, the tags of HTML have their meaning;
// otherwise every tag ends a line, as the elements of XML do.
QString dropTags(QStringView markup, bool html)
{
    TextSink sink(markup.size() / 2);
    qsizetype i = 0;
    const qsizetype end = markup.size();
    while (i < end) {
        const qsizetype lt = markup.indexOf(u'<', i);
        const qsizetype textEnd = lt < 0 ? end : lt;
        decodeRun(markup.sliced(i, textEnd - i), sink);
        if (lt < 0)
            break;
        i = lt;
        const QStringView rest = markup.sliced(i);
        if (rest.startsWith(u"<!--")) {
            i = skipPast(markup, i + 4, u"-->");
            continue;
        }
        if (rest.startsWith(u"<![CDATA[")) {
            const qsizetype close = markup.indexOf(u"]]>", i + 9);
            const qsizetype stop = close < 0 ? end : close;
            sink.run(markup.sliced(i + 9, stop - i - 9));
            i = close < 0 ? end : close + 3;
            continue;
        }
        if (rest.size() > 1 && (rest[1] == u'!' || rest[1] == u'?')) {
            i = tagEnd(markup, i);
            continue;
        }
        const bool closing = rest.size() > 1 && rest[1] == u'/';
        qsizetype nameStart = i + (closing ? 2 : 1);
        qsizetype nameEnd = nameStart;
        if (nameEnd >= end || !isAsciiLetter(markup[nameEnd])) {
            // A '<' that starts no tag is text; "</" followed by no name is dropped as browsers do.
            if (closing) {
                i = tagEnd(markup, i);
            } else {
                sink.character(u'<');
                ++i;
            }
            continue;
        }
        // The name in lower case; longer names than any this reader knows are cut short.
        char lowered[16];
        qsizetype length = 0;
        while (nameEnd < end &&
               (isAsciiLetter(markup[nameEnd]) || isAsciiDigit(markup[nameEnd]) || markup[nameEnd] == u'-')) {
            if (length < qsizetype(sizeof lowered))
                lowered[length++] = char(markup[nameEnd].toLower().unicode());
            ++nameEnd;
        }
        const QLatin1StringView name(lowered, length);
        i = tagEnd(markup, i);
        if (!html) {
            sink.endLine(false);
        } else if (name == "br"_L1) {
            sink.endLine(true);
        } else if (isBlockTag(name)) {
            sink.endLine(false);
        } else if (!closing && (name == "script"_L1 || name == "style"_L1)) {
            if (!markup.sliced(0, i).endsWith(u"/>")) {
                const qsizetype close = markup.indexOf(QString("</"_L1 + name), i, Qt::CaseInsensitive);
                i = close < 0 ? end : tagEnd(markup, close);
            }
            // A word before and after a script stays two words.
            sink.character(u' ');
        } else {
            // An inline tag joins the words on either side.
        }
    }
    return sink.take();
}

} // namespace

QString MarkupText::fromHtml(QStringView markup)
{
    return dropTags(markup, true);
}

QString MarkupText::fromXml(QStringView markup)
{
    TextSink sink(markup.size() / 2);
    QXmlStreamReader reader(markup.toString());
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
        case QXmlStreamReader::EndElement:
            sink.endLine(false);
            break;
        case QXmlStreamReader::Characters:
            sink.run(reader.text());
            break;
        case QXmlStreamReader::EntityReference:
            // An entity of a document type it does not read: HTML's names are the likeliest.
            if (const auto found = namedEntities().constFind(reader.name().toString());
                found != namedEntities().constEnd())
                sink.code(*found);
            break;
        default:
            break;
        }
    }
    if (reader.hasError())
        return dropTags(markup, false);
    return sink.take();
}

namespace {

// The start of a text without a byte-order mark and the white space before its first tag,
// as far as a doctype, an XML declaration or an html element is looked for.
QStringView head(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QChar(0xFEFF) || isSpace(text[i])))
        ++i;
    return text.sliced(i, std::min<qsizetype>(text.size() - i, 1024));
}

} // namespace

bool MarkupText::looksLikeHtml(QStringView text)
{
    const QStringView start = head(text);
    return start.contains(u"<!doctype html", Qt::CaseInsensitive) || start.contains(u"<html", Qt::CaseInsensitive);
}

bool MarkupText::looksLikeXml(QStringView text)
{
    return head(text).startsWith(u"<?xml");
}
