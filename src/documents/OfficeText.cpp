#include "documents/OfficeText.h"

#include "documents/OfficePartReader.h"
#include "documents/TextLog.h"
#include "documents/ZipArchive.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <map>
#include <vector>

namespace {

using Token = QXmlStreamReader::TokenType;

// Office Open XML has a transitional and a strict namespace for each vocabulary.
struct Vocabulary
{
    QLatin1String transitional;
    QLatin1String strict;

    bool has(const QXmlStreamReader& xml, QLatin1String name) const
    {
        if (xml.name() != name)
            return false;
        const QStringView ns = xml.namespaceUri();
        return ns == transitional || ns == strict;
    }
};

const Vocabulary Word{QLatin1String("http://schemas.openxmlformats.org/wordprocessingml/2006/main"),
                      QLatin1String("http://purl.oclc.org/ooxml/wordprocessingml/main")};
const Vocabulary Sheet{QLatin1String("http://schemas.openxmlformats.org/spreadsheetml/2006/main"),
                       QLatin1String("http://purl.oclc.org/ooxml/spreadsheetml/main")};
const Vocabulary Drawing{QLatin1String("http://schemas.openxmlformats.org/drawingml/2006/main"),
                         QLatin1String("http://purl.oclc.org/ooxml/drawingml/main")};
const Vocabulary Presentation{QLatin1String("http://schemas.openxmlformats.org/presentationml/2006/main"),
                              QLatin1String("http://purl.oclc.org/ooxml/presentationml/main")};
const Vocabulary Relationships{QLatin1String("http://schemas.openxmlformats.org/package/2006/relationships"),
                               QLatin1String("http://schemas.openxmlformats.org/package/2006/relationships")};
const Vocabulary RelationshipId{QLatin1String("http://schemas.openxmlformats.org/officeDocument/2006/relationships"),
                                QLatin1String("http://purl.oclc.org/ooxml/officeDocument/relationships")};
const QLatin1String MarkupCompatibility("http://schemas.openxmlformats.org/markup-compatibility/2006");

const QLatin1String OdfText("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QLatin1String OdfTable("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QLatin1String OdfDrawing("urn:oasis:names:tc:opendocument:xmlns:drawing:1.0");
const QLatin1String OdfOffice("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QLatin1String OdfPresentation("urn:oasis:names:tc:opendocument:xmlns:presentation:1.0");
const QLatin1String OdfSvg("urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0");

bool isOdf(const QXmlStreamReader& xml, QLatin1String ns, QLatin1String name)
{
    return xml.name() == name && xml.namespaceUri() == ns;
}

// The text gathered so far, cut at the limit.
class Text
{
public:
    explicit Text(qsizetype limit) : m_limit(limit) {}

    bool full() const { return m_text.size() >= m_limit; }

    void append(QStringView text)
    {
        const qsizetype room = m_limit - m_text.size();
        if (room <= 0)
            return;
        if (text.size() > room) {
            text = text.left(room);
            // Never keep half of a surrogate pair.
            if (text.back().isHighSurrogate())
                text.chop(1);
        }
        m_text.append(text);
    }

    void append(QChar c, qint64 count = 1)
    {
        const qint64 n = std::min<qint64>(count, m_limit - m_text.size());
        if (n > 0)
            m_text.append(QString(static_cast<qsizetype>(n), c));
    }

    void lineBreak() { append(QLatin1Char('\n')); }

    // Ends a block (a cell, a slide) with a line break unless its last paragraph did.
    void endBlock()
    {
        if (!m_text.isEmpty() && !m_text.endsWith(QLatin1Char('\n')))
            lineBreak();
    }

    QString take() { return std::move(m_text); }

private:
    QString m_text;
    qsizetype m_limit;
};

// The entry path a relationship's target names, from the part `source` that holds it.
QString resolveTarget(const QString& source, const QString& target)
{
    QStringList path;
    if (!target.startsWith(QLatin1Char('/'))) {
        path = source.split(QLatin1Char('/'));
        path.removeLast();
    }
    for (const QString& segment : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("..")) {
            if (!path.isEmpty())
                path.removeLast();
        } else if (segment != QLatin1String("."))
            path.append(segment);
    }
    return path.join(QLatin1Char('/'));
}

struct Relationship
{
    QString type;
    QString target;
};

// The relationships of part `source` by their id (empty when it has none).
std::optional<QHash<QString, Relationship>> relationships(OfficePartReader& parts, const QString& source)
{
    const qsizetype slash = source.lastIndexOf(QLatin1Char('/'));
    const QString name =
        source.left(slash + 1) + QLatin1String("_rels/") + source.mid(slash + 1) + QLatin1String(".rels");
    QHash<QString, Relationship> result;
    if (!parts.has(name))
        return result;
    const bool ok = parts.read(name, [&](const QXmlStreamReader& xml) {
        if (xml.tokenType() == Token::StartElement && Relationships.has(xml, QLatin1String("Relationship"))) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (attributes.value(QLatin1String("TargetMode")) != QLatin1String("External"))
                result.insert(attributes.value(QLatin1String("Id")).toString(),
                              {attributes.value(QLatin1String("Type")).toString(),
                               resolveTarget(source, attributes.value(QLatin1String("Target")).toString())});
        }
        return result.size() < 100000;
    });
    if (!ok)
        return std::nullopt;
    return result;
}

// The value of an attribute `r:id`.
QString relationshipId(const QXmlStreamReader& xml)
{
    for (const QXmlStreamAttribute& attribute : xml.attributes()) {
        if (attribute.name() == QLatin1String("id") && (attribute.namespaceUri() == RelationshipId.transitional ||
                                                        attribute.namespaceUri() == RelationshipId.strict))
            return attribute.value().toString();
    }
    return {};
}

// The parts that `main` lists in its elements `listed` (as r:id), in that order; else the
// entries `<folder>/<stem>N.xml` in the order of N.
std::optional<QStringList> orderedParts(OfficePartReader& parts, const ZipArchive& archive, const QString& main,
                                        const Vocabulary& vocabulary, QLatin1String listed, const QString& folder,
                                        const QString& stem)
{
    QStringList result;
    if (parts.has(main)) {
        const std::optional<QHash<QString, Relationship>> rels = relationships(parts, main);
        if (!rels)
            return std::nullopt;
        QStringList ids;
        const bool ok = parts.read(main, [&](const QXmlStreamReader& xml) {
            if (xml.tokenType() == Token::StartElement && vocabulary.has(xml, listed))
                ids.append(relationshipId(xml));
            return ids.size() < 100000;
        });
        if (!ok)
            return std::nullopt;
        QSet<QString> listedOnce;
        for (const QString& id : ids) {
            const auto rel = rels->constFind(id);
            if (rel != rels->cend() && parts.has(rel->target) && !listedOnce.contains(rel->target)) {
                listedOnce.insert(rel->target);
                result.append(rel->target);
            }
        }
    }
    if (!result.isEmpty())
        return result;
    const QRegularExpression numbered(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(folder + QLatin1Char('/') + stem) + QLatin1String("([0-9]{1,9})\\.xml")));
    std::map<int, QString> byNumber;
    for (const QString& name : archive.names()) {
        const QRegularExpressionMatch match = numbered.match(name);
        if (match.hasMatch())
            byNumber.emplace(match.captured(1).toInt(), name);
    }
    for (const auto& [number, name] : byNumber)
        result.append(name);
    return result;
}

bool readWord(OfficePartReader& parts, Text& text)
{
    int runDepth = 0;
    int textDepth = 0;
    return parts.read(QStringLiteral("word/document.xml"), [&](const QXmlStreamReader& xml) {
        switch (xml.tokenType()) {
        case Token::StartElement:
            if (Word.has(xml, QLatin1String("r")))
                ++runDepth;
            else if (Word.has(xml, QLatin1String("t")))
                ++textDepth;
            // Tab stops in paragraph properties are also "tab": only a run's count.
            else if (runDepth > 0 && Word.has(xml, QLatin1String("tab")))
                text.append(QLatin1Char('\t'));
            else if (runDepth > 0 && (Word.has(xml, QLatin1String("br")) || Word.has(xml, QLatin1String("cr"))))
                text.lineBreak();
            break;
        case Token::EndElement:
            if (Word.has(xml, QLatin1String("r")))
                runDepth = std::max(runDepth - 1, 0);
            else if (Word.has(xml, QLatin1String("t")))
                textDepth = std::max(textDepth - 1, 0);
            else if (Word.has(xml, QLatin1String("p")))
                text.lineBreak();
            else if (Word.has(xml, QLatin1String("tc")))
                text.endBlock();
            break;
        case Token::Characters:
            if (textDepth > 0)
                text.append(xml.text());
            break;
        default:
            break;
        }
        return !text.full();
    });
}

// A workbook's shared strings, kept in one string with the end of each.
struct SharedStrings
{
    QString pool;
    std::vector<qint32> ends;

    QStringView at(qint64 index) const
    {
        if (index < 0 || index >= static_cast<qint64>(ends.size()))
            return {};
        const qsizetype start = index == 0 ? 0 : ends[static_cast<size_t>(index - 1)];
        return QStringView(pool).mid(start, ends[static_cast<size_t>(index)] - start);
    }
};

// Gathers the text of `t` elements of a string item (`si` or `is`), leaving out phonetic runs.
class StringItem
{
public:
    // Returns true when the token belonged to the string's text.
    bool take(const QXmlStreamReader& xml, QString& into, qsizetype limit)
    {
        switch (xml.tokenType()) {
        case Token::StartElement:
            if (Sheet.has(xml, QLatin1String("rPh")))
                ++m_phonetic;
            else if (Sheet.has(xml, QLatin1String("t")))
                ++m_text;
            break;
        case Token::EndElement:
            if (Sheet.has(xml, QLatin1String("rPh")))
                m_phonetic = std::max(m_phonetic - 1, 0);
            else if (Sheet.has(xml, QLatin1String("t")))
                m_text = std::max(m_text - 1, 0);
            break;
        case Token::Characters:
            if (m_text > 0 && m_phonetic == 0) {
                into.append(xml.text().left(std::max<qsizetype>(limit - into.size(), 0)));
                return true;
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    int m_phonetic = 0;
    int m_text = 0;
};

bool readSharedStrings(OfficePartReader& parts, const QString& name, SharedStrings& strings)
{
    StringItem item;
    bool inItem = false;
    return parts.read(name, [&](const QXmlStreamReader& xml) {
        if (xml.tokenType() == Token::StartElement && Sheet.has(xml, QLatin1String("si"))) {
            inItem = true;
        } else if (xml.tokenType() == Token::EndElement && Sheet.has(xml, QLatin1String("si"))) {
            inItem = false;
            strings.ends.push_back(static_cast<qint32>(strings.pool.size()));
        } else if (inItem) {
            // Strings past the text limit could never be shown in full; they stay empty.
            item.take(xml, strings.pool, TextExtractor::TextLimit);
        }
        return strings.ends.size() < size_t{1} << 30;
    });
}

bool readWorksheet(OfficePartReader& parts, const QString& name, const SharedStrings& strings, Text& text)
{
    bool inCell = false;
    bool inValue = false;
    bool inInline = false;
    QString type;
    QString value;
    StringItem item;
    return parts.read(name, [&](const QXmlStreamReader& xml) {
        switch (xml.tokenType()) {
        case Token::StartElement:
            if (Sheet.has(xml, QLatin1String("c"))) {
                inCell = true;
                type = xml.attributes().value(QLatin1String("t")).toString();
                value.clear();
            } else if (inCell && Sheet.has(xml, QLatin1String("v"))) {
                inValue = true;
            } else if (inCell && Sheet.has(xml, QLatin1String("is"))) {
                inInline = true;
            } else if (inInline) {
                item.take(xml, value, TextExtractor::TextLimit);
            }
            break;
        case Token::EndElement:
            if (Sheet.has(xml, QLatin1String("c"))) {
                inCell = inValue = inInline = false;
                QStringView shown;
                if (type == QLatin1String("s"))
                    shown = strings.at(QStringView(value).trimmed().toLongLong());
                else if (type.isEmpty() || type == QLatin1String("n") || type == QLatin1String("d") ||
                         type == QLatin1String("str") || type == QLatin1String("inlineStr"))
                    shown = value;
                if (!shown.isEmpty()) {
                    text.append(shown);
                    text.lineBreak();
                }
            } else if (Sheet.has(xml, QLatin1String("v"))) {
                inValue = false;
            } else if (Sheet.has(xml, QLatin1String("is"))) {
                inInline = false;
            } else if (inInline) {
                item.take(xml, value, TextExtractor::TextLimit);
            }
            break;
        case Token::Characters:
            if (inValue)
                value.append(xml.text().left(std::max<qsizetype>(TextExtractor::TextLimit - value.size(), 0)));
            else if (inInline)
                item.take(xml, value, TextExtractor::TextLimit);
            break;
        default:
            break;
        }
        return !text.full();
    });
}

bool readWorkbook(OfficePartReader& parts, const ZipArchive& archive, Text& text)
{
    const QString workbook = QStringLiteral("xl/workbook.xml");
    const std::optional<QHash<QString, Relationship>> rels = relationships(parts, workbook);
    if (!rels)
        return false;
    QString sharedName = QStringLiteral("xl/sharedStrings.xml");
    for (const Relationship& rel : *rels) {
        if (rel.type.endsWith(QLatin1String("/sharedStrings")))
            sharedName = rel.target;
    }
    SharedStrings strings;
    if (parts.has(sharedName) && !readSharedStrings(parts, sharedName, strings))
        return false;
    const std::optional<QStringList> sheets = orderedParts(parts, archive, workbook, Sheet, QLatin1String("sheet"),
                                                           QStringLiteral("xl/worksheets"), QStringLiteral("sheet"));
    if (!sheets)
        return false;
    for (const QString& sheet : *sheets) {
        if (text.full())
            break;
        if (!readWorksheet(parts, sheet, strings, text))
            return false;
    }
    return true;
}

bool readSlides(OfficePartReader& parts, const ZipArchive& archive, Text& text)
{
    const std::optional<QStringList> slides =
        orderedParts(parts, archive, QStringLiteral("ppt/presentation.xml"), Presentation, QLatin1String("sldId"),
                     QStringLiteral("ppt/slides"), QStringLiteral("slide"));
    if (!slides)
        return false;
    for (const QString& slide : *slides) {
        if (text.full())
            return true;
        int textDepth = 0;
        const bool ok = parts.read(slide, [&](const QXmlStreamReader& xml) {
            switch (xml.tokenType()) {
            case Token::StartElement:
                if (Drawing.has(xml, QLatin1String("t")))
                    ++textDepth;
                else if (Drawing.has(xml, QLatin1String("br")))
                    text.lineBreak();
                break;
            case Token::EndElement:
                if (Drawing.has(xml, QLatin1String("t")))
                    textDepth = std::max(textDepth - 1, 0);
                else if (Drawing.has(xml, QLatin1String("p")))
                    text.lineBreak();
                break;
            case Token::Characters:
                if (textDepth > 0)
                    text.append(xml.text());
                break;
            default:
                break;
            }
            return !text.full();
        });
        if (!ok)
            return false;
        text.endBlock();
    }
    return true;
}

bool readOpenDocument(OfficePartReader& parts, Text& text)
{
    parts.setSkippedElements({{OdfOffice, QStringLiteral("annotation")},
                              {OdfPresentation, QStringLiteral("notes")},
                              {OdfText, QStringLiteral("tracked-changes")},
                              {OdfSvg, QStringLiteral("title")},
                              {OdfSvg, QStringLiteral("desc")}});
    int paragraphDepth = 0;
    return parts.read(QStringLiteral("content.xml"), [&](const QXmlStreamReader& xml) {
        switch (xml.tokenType()) {
        case Token::StartElement:
            if (isOdf(xml, OdfText, QLatin1String("p")) || isOdf(xml, OdfText, QLatin1String("h"))) {
                ++paragraphDepth;
            } else if (isOdf(xml, OdfText, QLatin1String("s"))) {
                const QStringView count = xml.attributes().value(OdfText, QLatin1String("c"));
                bool ok = false;
                const qint64 spaces = count.toLongLong(&ok);
                text.append(QLatin1Char(' '), count.isEmpty() || !ok ? 1 : spaces);
            } else if (isOdf(xml, OdfText, QLatin1String("tab"))) {
                text.append(QLatin1Char('\t'));
            } else if (isOdf(xml, OdfText, QLatin1String("line-break"))) {
                text.lineBreak();
            }
            break;
        case Token::EndElement:
            if (isOdf(xml, OdfText, QLatin1String("p")) || isOdf(xml, OdfText, QLatin1String("h"))) {
                paragraphDepth = std::max(paragraphDepth - 1, 0);
                text.lineBreak();
            } else if (isOdf(xml, OdfTable, QLatin1String("table-cell")) ||
                       isOdf(xml, OdfDrawing, QLatin1String("page"))) {
                text.endBlock();
            }
            break;
        case Token::Characters:
            if (paragraphDepth > 0)
                text.append(xml.text());
            break;
        default:
            break;
        }
        return !text.full();
    });
}

bool isOpenDocumentType(const QByteArray& mimetype)
{
    static const QByteArray prefix("application/vnd.oasis.opendocument.");
    if (!mimetype.startsWith(prefix))
        return false;
    QByteArray kind = mimetype.mid(prefix.size());
    if (kind.endsWith("-template"))
        kind.chop(9);
    return kind == "text" || kind == "spreadsheet" || kind == "presentation";
}

} // namespace

std::optional<QString> OfficeText::extract(const QByteArray& bytes, qint64 unpackLimit)
{
    const ZipArchive archive(bytes);
    if (!archive.isOpen()) {
        qCWarning(textLog) << "ZIP archive cannot be opened:" << archive.errorString();
        return std::nullopt;
    }
    OfficePartReader parts(archive, unpackLimit);
    Text text(TextExtractor::TextLimit);
    bool ok = false;
    if (parts.has(QStringLiteral("mimetype"))) {
        const std::optional<QByteArray> mimetype = parts.readBytes(QStringLiteral("mimetype"), 100);
        if (!mimetype || !isOpenDocumentType(mimetype->trimmed()) || !parts.has(QStringLiteral("content.xml")))
            return std::nullopt;
        ok = readOpenDocument(parts, text);
    } else if (parts.has(QStringLiteral("[Content_Types].xml"))) {
        // Text boxes come with a fallback copy for older readers; read the first rendering only.
        parts.setSkippedElements({{MarkupCompatibility, QStringLiteral("Fallback")}});
        if (parts.has(QStringLiteral("word/document.xml")))
            ok = readWord(parts, text);
        else if (parts.has(QStringLiteral("xl/workbook.xml")))
            ok = readWorkbook(parts, archive, text);
        else if (parts.has(QStringLiteral("ppt/presentation.xml")) ||
                 !archive.names().filter(QLatin1String("ppt/slides/slide")).isEmpty())
            ok = readSlides(parts, archive, text);
        else
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (!ok)
        return std::nullopt;
    return text.take();
}
