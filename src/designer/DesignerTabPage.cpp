#include "designer/DesignerTabPage.h"

#include "store/StoreError.h"

QVariant DesignerTabPage::clientValue() const
{
    const QString trimmed = client.trimmed();
    if (trimmed.isEmpty())
        return {};
    bool ok = false;
    const qint64 id = trimmed.toLongLong(&ok);
    if (!ok)
        throw StoreError(QStringLiteral("The tab \"%1\" is meant for the client \"%2\", which is not a client number.")
                             .arg(name, client));
    return id;
}
