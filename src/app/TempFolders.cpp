#include "app/TempFolders.h"

#include "store/ApplicationFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace {

void makeFolder(const QString& path)
{
    if (QFileInfo(path).isDir())
        return;
    // Its names tell which documents were opened: for the owner's eyes only.
    if (!QDir().mkpath(path) ||
        !QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
        throw std::runtime_error(
            QStringLiteral("Cannot create the folder %1").arg(QDir::toNativeSeparators(path)).toStdString());
}

} // namespace

void TempFolders::ensure()
{
    makeFolder(ApplicationFolder::tempPath());
    makeFolder(ApplicationFolder::searchTempPath());
}

int TempFolders::clear()
{
    const QDir temp(ApplicationFolder::tempPath());
    if (!temp.exists())
        return 0;
    int deleted = 0;
    const QFileInfoList files = temp.entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& file : files) {
        if (QFile::remove(file.absoluteFilePath()))
            ++deleted;
    }
    return deleted;
}
