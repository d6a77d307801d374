#include "platform/QtFileOpener.h"

#include <QDesktopServices>
#include <QUrl>

bool QtFileOpener::open(const QString& filePath)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(filePath));
}
