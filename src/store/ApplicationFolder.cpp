#include "store/ApplicationFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

QString& currentPath()
{
    static QString path;
    return path;
}

bool isWritableFolder(const QString& folder)
{
    // The permission bits do not tell about read-only mounts; a real file does.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".orvanta-write-test-XXXXXX")));
    return probe.open();
}

// An installed program (<prefix>/bin beside <prefix>/share with its desktop entry) keeps its
// files in the user's data folder even where its own folder is writable, as /usr/bin is for
// root: a database must never land among the system's programs.
bool isInstalledProgram(const QString& folder)
{
    QDir bin(folder);
    return bin.dirName() == QLatin1String("bin") && bin.cdUp() &&
           QFileInfo::exists(bin.filePath(QStringLiteral("share/applications/org.orvanta.Orvanta.desktop")));
}

} // namespace

QString ApplicationFolder::path()
{
    return currentPath();
}

void ApplicationFolder::setPath(const QString& path)
{
    currentPath() = QDir::cleanPath(QDir(path).absolutePath());
}

QString ApplicationFolder::resolve(const QStringList& arguments, const QString& executableFolder)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--app-dir"));
    if (at >= 0 && at + 1 < arguments.size()) {
        const QString folder = arguments.at(at + 1);
        QDir().mkpath(folder);
        return QDir(folder).absolutePath();
    }
    for (const QString& argument : arguments) {
        if (argument.startsWith(QLatin1String("--app-dir="))) {
            const QString folder = argument.mid(10);
            QDir().mkpath(folder);
            return QDir(folder).absolutePath();
        }
    }
    if (!executableFolder.isEmpty() && !isInstalledProgram(executableFolder) && isWritableFolder(executableFolder))
        return executableFolder;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

QString ApplicationFolder::filePath(const QString& name)
{
    return QDir(path()).filePath(name);
}

QString ApplicationFolder::tempPath()
{
    return filePath(QStringLiteral("Temp"));
}

QString ApplicationFolder::searchTempPath()
{
    return QDir(tempPath()).filePath(QStringLiteral("Search"));
}
