#pragma once

#include <QString>

// The text of HTML or XML: markup dropped, entities decoded.
class MarkupText
{
public:
    static QString fromHtml(const QString& markup);
    static QString fromXml(const QString& markup);
};
