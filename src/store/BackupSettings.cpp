#include "store/BackupSettings.h"

#include "store/ApplicationFolder.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace {

const QString FileName = QStringLiteral("Backup.ini");
const QString AutomaticKey = QStringLiteral("Automatic");
const QString FolderKey = QStringLiteral("Folder");
const QString KeepKey = QStringLiteral("Keep");

// A value as written, or between double quotes when its first or last character would
// otherwise be lost to the reader's trimming.
QString quoted(const QString& value)
{
    if (value != value.trimmed() || value.startsWith(QLatin1Char('"')))
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

QString unquoted(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    return value;
}

// The "key=value" lines of an ini file; blank lines, comments and section headers are skipped.
// A key given twice keeps its last value.
QList<std::pair<QString, QString>> entries(const QByteArray& content)
{
    QString text = QString::fromUtf8(content);
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QList<std::pair<QString, QString>> found;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#')) ||
            trimmed.startsWith(QLatin1Char('[')))
            continue;
        const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        found.append({trimmed.left(equals).trimmed(), unquoted(trimmed.mid(equals + 1))});
    }
    return found;
}

} // namespace

BackupSettings BackupSettings::load()
{
    BackupSettings settings;
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return settings;

    for (const auto& [key, value] : entries(file.readAll())) {
        if (key.compare(AutomaticKey, Qt::CaseInsensitive) == 0) {
            if (value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
                settings.automatic = true;
            else if (value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
                settings.automatic = false;
        } else if (key.compare(FolderKey, Qt::CaseInsensitive) == 0) {
            if (!value.trimmed().isEmpty())
                settings.folder = value;
        } else if (key.compare(KeepKey, Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const int keep = value.toInt(&ok);
            if (ok && keep >= MinimumKeep && keep <= MaximumKeep)
                settings.keep = keep;
        }
    }
    return settings;
}

void BackupSettings::save() const
{
    const QString path = filePath();
    if (folder.contains(QLatin1Char('\n')) || folder.contains(QLatin1Char('\r')))
        throw StoreError(QStringLiteral("The backup folder's name cannot hold a line break."));
    if (keep < MinimumKeep || keep > MaximumKeep)
        throw StoreError(
            QStringLiteral("The number of backups to keep must be from %1 to %2.").arg(MinimumKeep).arg(MaximumKeep));

    const QByteArray content = QStringLiteral("%1=%2\n%3=%4\n%5=%6\n")
                                   .arg(AutomaticKey, automatic ? QStringLiteral("true") : QStringLiteral("false"),
                                        FolderKey, quoted(folder), KeepKey, QString::number(keep))
                                   .toUtf8();

    // Built under a temporary name beside the file, readable by its owner only, and renamed
    // over it once written and synced.
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                         file.write(content) == content.size() && file.commit();
    if (!written)
        throw StoreError(QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
}

QString BackupSettings::folderPath() const
{
    const QString given = folder.trimmed().isEmpty() ? BackupSettings().folder : folder;
    return QDir::cleanPath(QDir(ApplicationFolder::path()).absoluteFilePath(given));
}

QString BackupSettings::filePath()
{
    return ApplicationFolder::filePath(FileName);
}
