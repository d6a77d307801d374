#pragma once

// PDF documents made for tests and benchmarks: pages of text lines in the standard Helvetica
// font, Windows-1252 text (so umlauts and ß work), each page's content compressed.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <algorithm>

namespace SamplePdf {

namespace detail {

// A character in WinAnsiEncoding, or '?' for one it lacks.
inline char winAnsi(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return char(u);
    static constexpr char16_t High[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
    };
    for (int i = 0; i < 32; ++i) {
        if (High[i] == u)
            return char(0x80 + i);
    }
    return '?';
}

// A PDF literal string: parentheses and backslashes escaped, bytes past ASCII in octal.
inline void appendLiteral(QByteArray& out, const QString& text)
{
    out += '(';
    for (QChar c : text) {
        const auto b = static_cast<unsigned char>(winAnsi(c));
        if (b == '(' || b == ')' || b == '\\') {
            out += '\\';
            out += char(b);
        } else if (b < 0x20 || b >= 0x80) {
            out += '\\';
            out += char('0' + (b >> 6));
            out += char('0' + ((b >> 3) & 7));
            out += char('0' + (b & 7));
        } else {
            out += char(b);
        }
    }
    out += ')';
}

// The lines of a page, top to bottom; the font shrinks so that all of them fit on it.
inline QByteArray pageContent(const QStringList& lines)
{
    const int fontSize = lines.size() > 50 ? std::max(2, 700 / int(lines.size())) : 12;
    QByteArray content;
    content.reserve(64 + lines.size() * 48);
    content +=
        "BT\n/F1 " + QByteArray::number(fontSize) + " Tf\n" + QByteArray::number(fontSize + 2) + " TL\n50 760 Td\n";
    for (const QString& line : lines) {
        appendLiteral(content, line);
        content += " Tj T*\n";
    }
    content += "ET\n";
    return content;
}

// zlib data as a PDF's FlateDecode reads it: qCompress's output without its length prefix.
inline QByteArray flate(const QByteArray& data)
{
    return qCompress(data).mid(4);
}

inline QByteArray build(const QList<QStringList>& pages, bool locked)
{
    QByteArray pdf;
    QList<qsizetype> offsets; // of objects 1, 2, ...
    pdf += "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    auto beginObject = [&](int number) {
        offsets.resize(std::max<qsizetype>(offsets.size(), number));
        offsets[number - 1] = pdf.size();
        pdf += QByteArray::number(number) + " 0 obj\n";
    };
    const int firstPage = locked ? 5 : 4;

    beginObject(1);
    pdf += "<< /Type /Catalog /Pages 2 0 R >>\nendobj\n";
    beginObject(2);
    pdf += "<< /Type /Pages /Count " + QByteArray::number(pages.size()) + " /Kids [";
    for (qsizetype i = 0; i < pages.size(); ++i)
        pdf += QByteArray::number(firstPage + 2 * i) + " 0 R ";
    pdf += "] >>\nendobj\n";
    beginObject(3);
    pdf += "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>\nendobj\n";
    if (locked) {
        // The standard security handler with a user password that the empty one does not
        // match, so a reader cannot open the document without asking.
        beginObject(4);
        pdf += "<< /Filter /Standard /V 1 /R 2 /P -44 /O <" + QByteArray(32, '\x5A').toHex() + "> /U <" +
               QByteArray(32, '\x3C').toHex() + "> >>\nendobj\n";
    }
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const int pageObject = firstPage + 2 * int(i);
        beginObject(pageObject);
        pdf += "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >> "
               "/Contents " +
               QByteArray::number(pageObject + 1) + " 0 R >>\nendobj\n";
        const QByteArray stream = flate(pageContent(pages[i]));
        beginObject(pageObject + 1);
        pdf += "<< /Length " + QByteArray::number(stream.size()) + " /Filter /FlateDecode >>\nstream\n";
        pdf += stream;
        pdf += "\nendstream\nendobj\n";
    }

    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(offsets.size() + 1) + " /Root 1 0 R";
    if (locked)
        pdf +=
            " /Encrypt 4 0 R /ID [<" + QByteArray(16, '\x11').toHex() + "> <" + QByteArray(16, '\x11').toHex() + ">]";
    pdf += " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

} // namespace detail

// A PDF whose pages, in order, show the given lines of text.
inline QByteArray document(const QList<QStringList>& pages)
{
    return detail::build(pages, false);
}

// The same document locked by a user password that is not empty: it opens only with it.
inline QByteArray lockedDocument(const QList<QStringList>& pages)
{
    return detail::build(pages, true);
}

} // namespace SamplePdf
