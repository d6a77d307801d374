#include "store/BackupFolder.h"

#include "store/DatabaseBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

// Two names of one path compare equal; a file that is gone is compared by its cleaned path.
QString identity(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

BackupFolder::BackupFolder(const QString& path) : m_path(path) {}

QList<BackupFolder::Entry> BackupFolder::backups() const
{
    // An empty path would be the working folder, which holds no backups of ours.
    if (m_path.isEmpty())
        return {};

    // Plain files only: a folder or a link that happens to carry a backup's name is not one
    // the program made, and is never deleted.
    const QFileInfoList files = QDir(m_path).entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    QList<std::pair<QString, Entry>> found;
    for (const QFileInfo& file : files) {
        const QDateTime taken = takenFromName(file.fileName());
        if (taken.isValid())
            found.append({file.fileName(), Entry{file.absoluteFilePath(), taken}});
    }
    // The names are fixed-width dates, so their order is the order of the dates they name, even
    // across a change of the clock's offset that makes the local times themselves ambiguous.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });

    QList<Entry> entries;
    entries.reserve(found.size());
    for (const auto& [name, entry] : found)
        entries.append(entry);
    return entries;
}

BackupFolder::Entry BackupFolder::newest() const
{
    const QList<Entry> entries = backups();
    return entries.isEmpty() ? Entry{} : entries.first();
}

bool BackupFolder::isDue(const QDateTime& now) const
{
    const QDate today = now.toLocalTime().date();
    const QList<Entry> entries = backups();
    return std::none_of(entries.begin(), entries.end(),
                        [&today](const Entry& entry) { return entry.taken.date() == today; });
}

QString BackupFolder::pathFor(const QDateTime& now) const
{
    // Named by the local clock, as the days isDue() counts are.
    return QDir(m_path).filePath(DatabaseBackup::fileNameFor(now.toLocalTime()));
}

QStringList BackupFolder::rotate(int keep, const QString& verified) const
{
    // The backup just made always stays, and counts as one of those kept.
    keep = std::max(keep, 1);
    const QString spared = verified.isEmpty() ? QString() : identity(verified);
    const QList<Entry> entries = backups();

    int kept = 0;
    if (!spared.isEmpty()) {
        kept = static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                              [&spared](const Entry& e) { return identity(e.path) == spared; }));
    }

    QStringList deleted;
    for (const Entry& entry : entries) {
        if (!spared.isEmpty() && identity(entry.path) == spared)
            continue;
        if (kept < keep) {
            ++kept;
            continue;
        }
        // One that cannot be deleted now stays until a later rotation.
        if (QFile::remove(entry.path))
            deleted.append(entry.path);
    }
    return deleted;
}

QDateTime BackupFolder::takenFromName(const QString& fileName)
{
    static const QRegularExpression pattern(
        QStringLiteral("^Dravolin-([0-9]{4})-([0-9]{2})-([0-9]{2})-([0-9]{2})([0-9]{2})\\.mdb$"));
    const QRegularExpressionMatch match = pattern.match(QFileInfo(fileName).fileName());
    if (!match.hasMatch())
        return {};
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    QDateTime taken(date, time);
    // A time the local clock skipped when it moved forward (the name was given under another
    // offset): the same time elapsed since the day began, so that the date stays the name's.
    if (!taken.isValid())
        taken = date.startOfDay().addSecs(QTime(0, 0).secsTo(time));
    return taken;
}
