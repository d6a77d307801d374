#include "documents/MarkupText.h"

QString MarkupText::fromHtml(const QString& markup)
{
    return markup;
}

QString MarkupText::fromXml(const QString& markup)
{
    return markup;
}
