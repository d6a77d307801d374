#include "store/StartupSettings.h"

#include "store/ApplicationFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <stdexcept>

namespace {

// One field as a sequential-file reader takes it: surrounding blanks dropped, and a
// value written between double quotes taken without them.
QString field(QString text)
{
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    return text;
}

} // namespace

StartupSettings StartupSettings::parse(const QByteArray& content)
{
    QString text = QString::fromUtf8(content);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QStringList fields;
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        for (const QString& piece : line.split(QLatin1Char(',')))
            fields.append(field(piece));
    }

    StartupSettings settings;
    if (fields.size() >= 2)
        settings.QuickLogin = fields.at(1);
    if (fields.size() >= 4)
        settings.StartView = fields.at(3);
    return settings;
}

QByteArray StartupSettings::serialize() const
{
    return QStringLiteral("QuickLogin,%1\r\nStartView,%2\r\n").arg(QuickLogin, StartView).toUtf8();
}

QString StartupSettings::filePath()
{
    return ApplicationFolder::filePath(QString::fromLatin1(FileName));
}

StartupSettings StartupSettings::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return StartupSettings();
    return parse(file.readAll());
}

void StartupSettings::write(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(serialize()) < 0 || !file.commit())
        throw std::runtime_error(QStringLiteral("Cannot write %1: %2")
                                     .arg(QDir::toNativeSeparators(path), file.errorString())
                                     .toStdString());
}

StartupSettings StartupSettings::readOrCreate(const QString& path)
{
    if (QFileInfo::exists(path))
        return read(path);
    StartupSettings defaults;
    defaults.write(path);
    return defaults;
}
