#include "designer/DesignerTabPage.h"

QVariant DesignerTabPage::clientValue() const
{
    const QString trimmed = client.trimmed();
    if (trimmed.isEmpty())
        return {};
    bool ok = false;
    const qint64 id = trimmed.toLongLong(&ok);
    return ok ? QVariant(id) : QVariant(trimmed);
}
