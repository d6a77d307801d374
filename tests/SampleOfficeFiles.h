#pragma once

// Small, realistic office documents made in memory, for tests and benchmarks: Office Open XML
// (.docx, .xlsx, .pptx) and OpenDocument (.odt, .ods, .odp), each with the parts a reader
// needs. Text given to the makers is escaped as XML needs (so "&" and "<" are written as
// entities); in a run, "\t" becomes a tab element and "\n" a line break element, and in
// OpenDocument runs of spaces become space elements. The `...Entries` makers give the parts
// unpacked, for tests that leave out, reorder or damage a part before `pack()`.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>
#include <zip.h>

namespace SampleOfficeFiles {

// One entry of a ZIP archive.
struct Entry
{
    Entry() = default;
    Entry(QString name, QByteArray data, bool stored = false)
        : name(std::move(name)), data(std::move(data)), stored(stored)
    {
    }

    QString name;
    QByteArray data;
    bool stored = false;    // kept uncompressed (an OpenDocument's "mimetype")
    QByteArray aesPassword; // when set, the entry is encrypted with AES-256
};

// One paragraph: its runs of text.
using Paragraph = QStringList;
// Rows of cells.
using Table = QList<QStringList>;
// A worksheet: rows of cells. A cell that reads as a number is stored as one.
using Sheet = QList<QStringList>;
// A slide: the paragraphs of its one text box.
using Slide = QList<Paragraph>;

// Whether AES-256 encryption can be written by the libzip in use.
inline bool canEncrypt()
{
    return zip_encryption_method_supported(ZIP_EM_AES_256, 1) != 0;
}

// The entries zipped in their order, deflated (quickly) unless stored. Empty on a failure.
inline QByteArray pack(const QList<Entry>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    if (!buffer)
        return {};
    zip_source_keep(buffer); // still read after the archive is closed
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
    if (!archive) {
        zip_source_free(buffer);
        zip_source_free(buffer);
        return {};
    }
    bool ok = true;
    for (const Entry& entry : entries) {
        zip_source_t* data =
            zip_source_buffer(archive, entry.data.constData(), static_cast<zip_uint64_t>(entry.data.size()), 0);
        const zip_int64_t index =
            data ? zip_file_add(archive, entry.name.toUtf8().constData(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (data)
                zip_source_free(data);
            ok = false;
            break;
        }
        const auto at = static_cast<zip_uint64_t>(index);
        ok = zip_set_file_compression(archive, at, entry.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                      entry.stored ? 0 : 1) == 0 &&
             (entry.aesPassword.isEmpty() ||
              zip_file_set_encryption(archive, at, ZIP_EM_AES_256, entry.aesPassword.constData()) == 0);
        if (!ok)
            break;
    }
    if (!ok || zip_close(archive) != 0) {
        zip_discard(archive);
        zip_source_free(buffer);
        return {};
    }
    QByteArray bytes;
    zip_stat_t stat;
    if (zip_source_stat(buffer, &stat) == 0 && zip_source_open(buffer) == 0) {
        bytes.resize(static_cast<qsizetype>(stat.size));
        const zip_int64_t read = zip_source_read(buffer, bytes.data(), stat.size);
        bytes.resize(read < 0 ? 0 : static_cast<qsizetype>(read));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return bytes;
}

namespace detail {

// Appends XML text escaped.
inline void escape(QByteArray& xml, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        switch (c) {
        case '&':
            xml.append("&amp;");
            break;
        case '<':
            xml.append("&lt;");
            break;
        case '>':
            xml.append("&gt;");
            break;
        case '"':
            xml.append("&quot;");
            break;
        default:
            xml.append(c);
        }
    }
}

inline const char* const Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

inline QByteArray contentTypes(const QByteArray& overrides)
{
    return QByteArray(Declaration) +
           "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>" +
           overrides +
           "<Override PartName=\"/docProps/core.xml\" "
           "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/></Types>";
}

inline QByteArray override_(const QByteArray& part, const QByteArray& type)
{
    return "<Override PartName=\"/" + part + "\" ContentType=\"application/vnd.openxmlformats-officedocument." + type +
           "+xml\"/>";
}

inline QByteArray relationships(const QList<std::pair<QByteArray, QByteArray>>& typeAndTarget)
{
    QByteArray xml = QByteArray(Declaration) +
                     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    int id = 0;
    for (const auto& [type, target] : typeAndTarget)
        xml += "<Relationship Id=\"rId" + QByteArray::number(++id) + "\" Type=\"" + type + "\" Target=\"" + target +
               "\"/>";
    return xml + "</Relationships>";
}

inline QByteArray officeRelationship(const char* kind)
{
    return QByteArray("http://schemas.openxmlformats.org/officeDocument/2006/relationships/") + kind;
}

// The package parts every Office Open XML document has, around its main part `main`.
inline QList<Entry> ooxmlPackage(const QByteArray& overrides, const QByteArray& main)
{
    const QByteArray core =
        QByteArray(Declaration) +
        "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>Properties title</dc:title>"
        "<dc:creator>Properties author</dc:creator></cp:coreProperties>";
    const QByteArray rels =
        relationships({{officeRelationship("officeDocument"), main},
                       {"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
                        "docProps/core.xml"}});
    return {{QStringLiteral("[Content_Types].xml"), contentTypes(overrides)},
            {QStringLiteral("_rels/.rels"), rels},
            {QStringLiteral("docProps/core.xml"), core}};
}

inline void wordParagraph(QByteArray& xml, const Paragraph& runs)
{
    bool tabbed = false;
    for (const QString& run : runs)
        tabbed = tabbed || run.contains(QLatin1Char('\t'));
    xml += "<w:p>";
    if (tabbed)
        xml += "<w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"2880\"/></w:tabs></w:pPr>";
    for (const QString& run : runs) {
        xml += "<w:r><w:rPr><w:lang w:val=\"en-GB\"/></w:rPr>";
        qsizetype start = 0;
        for (qsizetype i = 0; i <= run.size(); ++i) {
            if (i < run.size() && run[i] != QLatin1Char('\t') && run[i] != QLatin1Char('\n'))
                continue;
            if (i > start) {
                xml += "<w:t xml:space=\"preserve\">";
                escape(xml, run.mid(start, i - start));
                xml += "</w:t>";
            }
            if (i < run.size())
                xml += run[i] == QLatin1Char('\t') ? "<w:tab/>" : "<w:br/>";
            start = i + 1;
        }
        xml += "</w:r>";
    }
    xml += "</w:p>";
}

inline const char* const OdfNamespaces =
    " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
    " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
    " xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
    " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
    " xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\""
    " xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\""
    " xmlns:dc=\"http://purl.org/dc/elements/1.1/\" office:version=\"1.3\"";

// The runs of an OpenDocument paragraph: tabs, line breaks and runs of spaces as elements.
inline void odfRuns(QByteArray& xml, const Paragraph& runs)
{
    for (const QString& run : runs) {
        xml += "<text:span text:style-name=\"T1\">";
        qsizetype start = 0;
        for (qsizetype i = 0; i <= run.size(); ++i) {
            const bool space = i < run.size() && run[i] == QLatin1Char(' ') &&
                               (i == 0 || (i + 1 < run.size() && run[i + 1] == QLatin1Char(' ')));
            if (i < run.size() && !space && run[i] != QLatin1Char('\t') && run[i] != QLatin1Char('\n'))
                continue;
            escape(xml, run.mid(start, i - start));
            if (i == run.size())
                break;
            if (space) {
                qsizetype end = i;
                while (end < run.size() && run[end] == QLatin1Char(' '))
                    ++end;
                xml +=
                    end - i == 1 ? QByteArray("<text:s/>") : "<text:s text:c=\"" + QByteArray::number(end - i) + "\"/>";
                start = end;
                i = end - 1;
            } else {
                xml += run[i] == QLatin1Char('\t') ? "<text:tab/>" : "<text:line-break/>";
                start = i + 1;
            }
        }
        xml += "</text:span>";
    }
}

inline void odfParagraph(QByteArray& xml, const Paragraph& runs)
{
    xml += "<text:p text:style-name=\"P1\">";
    odfRuns(xml, runs);
    xml += "</text:p>";
}

inline void odfTable(QByteArray& xml, const Table& rows, const QString& name, bool numbers)
{
    xml += "<table:table table:name=\"";
    escape(xml, name);
    xml += "\"><table:table-column table:number-columns-repeated=\"" +
           QByteArray::number(rows.isEmpty() ? 1 : rows.first().size()) + "\"/>";
    for (const QStringList& row : rows) {
        xml += "<table:table-row>";
        for (const QString& cell : row) {
            bool number = false;
            if (numbers)
                cell.toDouble(&number);
            if (number)
                xml += "<table:table-cell office:value-type=\"float\" office:value=\"" + cell.toUtf8() + "\">";
            else
                xml += "<table:table-cell office:value-type=\"string\">";
            odfParagraph(xml, {cell});
            xml += "</table:table-cell>";
        }
        xml += "</table:table-row>";
    }
    xml += "</table:table>";
}

// The parts of an OpenDocument of `kind` around its body `body` (the content of office:body).
inline QList<Entry> odfPackage(const QByteArray& kind, const QByteArray& body)
{
    const QByteArray mimetype = "application/vnd.oasis.opendocument." + kind;
    const QByteArray manifest =
        QByteArray(Declaration) +
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
        "manifest:version=\"1.3\"><manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\"" +
        mimetype +
        "\"/><manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
        "<manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>"
        "<manifest:file-entry manifest:full-path=\"meta.xml\" manifest:media-type=\"text/xml\"/>"
        "</manifest:manifest>";
    const QByteArray content =
        QByteArray(Declaration) + "<office:document-content" + OdfNamespaces +
        "><office:automatic-styles><style:style style:name=\"T1\" style:family=\"text\">"
        "<style:text-properties fo:font-weight=\"normal\"/></style:style></office:automatic-styles>"
        "<office:body>" +
        body + "</office:body></office:document-content>";
    const QByteArray styles = QByteArray(Declaration) + "<office:document-styles" + OdfNamespaces +
                              "><office:styles><style:style style:name=\"Standard\" style:family=\"paragraph\"/>"
                              "</office:styles></office:document-styles>";
    const QByteArray meta = QByteArray(Declaration) + "<office:document-meta" + OdfNamespaces +
                            "><office:meta><dc:title>Properties title</dc:title></office:meta></office:document-meta>";
    return {{QStringLiteral("mimetype"), mimetype, true},
            {QStringLiteral("content.xml"), content},
            {QStringLiteral("styles.xml"), styles},
            {QStringLiteral("meta.xml"), meta},
            {QStringLiteral("META-INF/manifest.xml"), manifest}};
}

inline QByteArray columnName(qsizetype column)
{
    QByteArray name;
    for (++column; column > 0; column = (column - 1) / 26)
        name.prepend(static_cast<char>('A' + (column - 1) % 26));
    return name;
}

} // namespace detail

// A word-processing document: the paragraphs, then the table (when it has rows).
inline QList<Entry> docxEntries(const QList<Paragraph>& paragraphs, const Table& table = {})
{
    using namespace detail;
    QByteArray xml = QByteArray(Declaration) +
                     "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                     "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><w:body>";
    for (const Paragraph& paragraph : paragraphs)
        wordParagraph(xml, paragraph);
    if (!table.isEmpty()) {
        xml += "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr>";
        for (const QStringList& row : table) {
            xml += "<w:tr>";
            for (const QString& cell : row) {
                xml += "<w:tc><w:tcPr><w:tcW w:w=\"2000\" w:type=\"dxa\"/></w:tcPr>";
                wordParagraph(xml, {cell});
                xml += "</w:tc>";
            }
            xml += "</w:tr>";
        }
        xml += "</w:tbl><w:p/>";
    }
    xml += "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr></w:body></w:document>";
    QList<Entry> entries =
        ooxmlPackage(override_("word/document.xml", "wordprocessingml.document.main"), "word/document.xml");
    entries.append({QStringLiteral("word/document.xml"), xml});
    return entries;
}

inline QByteArray docx(const QList<Paragraph>& paragraphs, const Table& table = {})
{
    return pack(docxEntries(paragraphs, table));
}

// How a workbook keeps the text of its cells.
enum class CellStrings
{
    Shared,
    Inline
};

inline QList<Entry> xlsxEntries(const QList<Sheet>& sheets, CellStrings strings = CellStrings::Shared)
{
    using namespace detail;
    QByteArray overrides = override_("xl/workbook.xml", "spreadsheetml.sheet.main");
    QByteArray workbook = QByteArray(Declaration) +
                          "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>";
    QList<std::pair<QByteArray, QByteArray>> links;
    QList<Entry> parts;
    QHash<QString, qsizetype> shared;
    QByteArray sharedXml;
    for (qsizetype s = 0; s < sheets.size(); ++s) {
        const QByteArray number = QByteArray::number(s + 1);
        const QByteArray part = "worksheets/sheet" + number + ".xml";
        overrides += override_("xl/" + part, "spreadsheetml.worksheet");
        workbook += "<sheet name=\"Sheet" + number + "\" sheetId=\"" + number + "\" r:id=\"rId" + number + "\"/>";
        links.append({officeRelationship("worksheet"), part});
        QByteArray xml = QByteArray(Declaration) +
                         "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
        for (qsizetype r = 0; r < sheets[s].size(); ++r) {
            const QByteArray row = QByteArray::number(r + 1);
            xml += "<row r=\"" + row + "\">";
            for (qsizetype c = 0; c < sheets[s][r].size(); ++c) {
                const QString& cell = sheets[s][r][c];
                xml += "<c r=\"" + columnName(c) + row + "\"";
                bool number = false;
                cell.toDouble(&number);
                if (number) {
                    xml += "><v>" + cell.toUtf8() + "</v></c>";
                } else if (strings == CellStrings::Inline) {
                    xml += " t=\"inlineStr\"><is><t xml:space=\"preserve\">";
                    escape(xml, cell);
                    xml += "</t></is></c>";
                } else {
                    auto found = shared.constFind(cell);
                    if (found == shared.cend()) {
                        found = shared.insert(cell, shared.size());
                        sharedXml += "<si><t xml:space=\"preserve\">";
                        escape(sharedXml, cell);
                        sharedXml += "</t></si>";
                    }
                    xml += " t=\"s\"><v>" + QByteArray::number(*found) + "</v></c>";
                }
            }
            xml += "</row>";
        }
        xml += "</sheetData></worksheet>";
        parts.append({QStringLiteral("xl/") + QString::fromLatin1(part), xml});
    }
    workbook += "</sheets></workbook>";
    if (strings == CellStrings::Shared) {
        overrides += override_("xl/sharedStrings.xml", "spreadsheetml.sharedStrings");
        links.append({officeRelationship("sharedStrings"), "sharedStrings.xml"});
        parts.append({QStringLiteral("xl/sharedStrings.xml"),
                      QByteArray(Declaration) +
                          "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" uniqueCount=\"" +
                          QByteArray::number(shared.size()) + "\">" + sharedXml + "</sst>"});
    }
    QList<Entry> entries = ooxmlPackage(overrides, "xl/workbook.xml");
    entries.append({QStringLiteral("xl/workbook.xml"), workbook});
    entries.append({QStringLiteral("xl/_rels/workbook.xml.rels"), relationships(links)});
    entries.append(parts);
    return entries;
}

inline QByteArray xlsx(const QList<Sheet>& sheets, CellStrings strings = CellStrings::Shared)
{
    return pack(xlsxEntries(sheets, strings));
}

inline QList<Entry> pptxEntries(const QList<Slide>& slides)
{
    using namespace detail;
    QByteArray overrides = override_("ppt/presentation.xml", "presentationml.presentation.main");
    QByteArray presentation = QByteArray(Declaration) +
                              "<p:presentation xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
                              "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
                              "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"><p:sldIdLst>";
    QList<std::pair<QByteArray, QByteArray>> links;
    QList<Entry> parts;
    for (qsizetype s = 0; s < slides.size(); ++s) {
        const QByteArray number = QByteArray::number(s + 1);
        const QByteArray part = "slides/slide" + number + ".xml";
        overrides += override_("ppt/" + part, "presentationml.slide");
        presentation += "<p:sldId id=\"" + QByteArray::number(256 + s) + "\" r:id=\"rId" + number + "\"/>";
        links.append({officeRelationship("slide"), part});
        QByteArray xml =
            QByteArray(Declaration) +
            "<p:sld xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
            "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"><p:cSld><p:spTree>"
            "<p:nvGrpSpPr><p:cNvPr id=\"1\" name=\"\"/><p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr><p:grpSpPr/>"
            "<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"Text 1\"/><p:cNvSpPr txBox=\"1\"/><p:nvPr/></p:nvSpPr>"
            "<p:spPr/><p:txBody><a:bodyPr/><a:lstStyle/>";
        for (const Paragraph& paragraph : slides[s]) {
            xml += "<a:p>";
            for (const QString& run : paragraph) {
                const QStringList lines = run.split(QLatin1Char('\n'));
                for (qsizetype l = 0; l < lines.size(); ++l) {
                    if (l > 0)
                        xml += "<a:br><a:rPr lang=\"en-GB\"/></a:br>";
                    xml += "<a:r><a:rPr lang=\"en-GB\" dirty=\"0\"/><a:t>";
                    escape(xml, lines[l]);
                    xml += "</a:t></a:r>";
                }
            }
            xml += "</a:p>";
        }
        xml += "</p:txBody></p:sp></p:spTree></p:cSld></p:sld>";
        parts.append({QStringLiteral("ppt/") + QString::fromLatin1(part), xml});
    }
    presentation += "</p:sldIdLst><p:sldSz cx=\"12192000\" cy=\"6858000\"/></p:presentation>";
    QList<Entry> entries = ooxmlPackage(overrides, "ppt/presentation.xml");
    entries.append({QStringLiteral("ppt/presentation.xml"), presentation});
    entries.append({QStringLiteral("ppt/_rels/presentation.xml.rels"), relationships(links)});
    entries.append(parts);
    return entries;
}

inline QByteArray pptx(const QList<Slide>& slides)
{
    return pack(pptxEntries(slides));
}

// A text document: the paragraphs, then the table (when it has rows).
inline QList<Entry> odtEntries(const QList<Paragraph>& paragraphs, const Table& table = {})
{
    QByteArray body = "<office:text><text:sequence-decls/>";
    for (const Paragraph& paragraph : paragraphs)
        detail::odfParagraph(body, paragraph);
    if (!table.isEmpty())
        detail::odfTable(body, table, QStringLiteral("Table1"), false);
    body += "</office:text>";
    return detail::odfPackage("text", body);
}

inline QByteArray odt(const QList<Paragraph>& paragraphs, const Table& table = {})
{
    return pack(odtEntries(paragraphs, table));
}

inline QList<Entry> odsEntries(const QList<Sheet>& sheets)
{
    QByteArray body = "<office:spreadsheet>";
    for (qsizetype s = 0; s < sheets.size(); ++s)
        detail::odfTable(body, sheets[s], QStringLiteral("Sheet%1").arg(s + 1), true);
    body += "</office:spreadsheet>";
    return detail::odfPackage("spreadsheet", body);
}

inline QByteArray ods(const QList<Sheet>& sheets)
{
    return pack(odsEntries(sheets));
}

inline QList<Entry> odpEntries(const QList<Slide>& slides)
{
    QByteArray body = "<office:presentation>";
    for (qsizetype s = 0; s < slides.size(); ++s) {
        body += "<draw:page draw:name=\"page" + QByteArray::number(s + 1) +
                "\" draw:master-page-name=\"Default\"><draw:frame presentation:class=\"outline\" "
                "svg:width=\"25cm\" svg:height=\"15cm\" svg:x=\"1cm\" svg:y=\"3cm\"><draw:text-box>";
        for (const Paragraph& paragraph : slides[s])
            detail::odfParagraph(body, paragraph);
        body += "</draw:text-box></draw:frame></draw:page>";
    }
    body += "</office:presentation>";
    return detail::odfPackage("presentation", body);
}

inline QByteArray odp(const QList<Slide>& slides)
{
    return pack(odpEntries(slides));
}

} // namespace SampleOfficeFiles
