#pragma once

#include <QString>
#include <QStringView>

// The text of HTML or XML: markup dropped, entities decoded.
class MarkupText
{
public:
    // Tags dropped, the contents of scripts and style sheets too; paragraphs, line breaks,
    // list items, headings, table rows and cells end in line breaks, and runs of white space
    // become one space as a browser shows them. Reads damaged HTML as far as it goes.
    static QString fromHtml(QStringView markup);
    // The character data of the elements, each element's text on a line of its own. XML that
    // is not well formed is read as HTML instead.
    static QString fromXml(QStringView markup);

    // Whether text starting so is HTML: a doctype or an html element near its start.
    static bool looksLikeHtml(QStringView text);
    // Whether text starts with an XML declaration.
    static bool looksLikeXml(QStringView text);
};
