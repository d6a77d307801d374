#include "clients/EventNotesPdf.h"

#include "clients/EventTime.h"
#include "store/CLsDataBaseConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

namespace {

QString& rememberedFolder()
{
    static QString folder;
    return folder;
}

// A part of the name with line breaks and tabs as blanks, and what Windows, macOS or Linux
// refuse in a file name replaced.
QString cleaned(const QString& text)
{
    QString result = text.simplified();
    for (QChar& c : result) {
        if (c.unicode() < 0x20 || QStringLiteral("<>:\"/\\|?*").contains(c))
            c = QLatin1Char('_');
    }
    return result;
}

// Names Windows keeps for devices, whatever extension follows them.
bool isDeviceName(const QString& name)
{
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return device.match(name).hasMatch();
}

QString trimmedDotsAndBlanks(QString name)
{
    while (!name.isEmpty() && (name.front() == QLatin1Char('.') || name.front() == QLatin1Char(' ')))
        name.remove(0, 1);
    while (!name.isEmpty() && (name.back() == QLatin1Char('.') || name.back() == QLatin1Char(' ')))
        name.chop(1);
    return name;
}

} // namespace

QString EventNotesPdf::filter()
{
    return QStringLiteral("PDF files (*.pdf)");
}

QString EventNotesPdf::suggestedName(const QString& client, const QString& date, const QString& title)
{
    const QDate day = EventTime::parseDate(date);
    QStringList parts;
    for (const QString& part : {client, day.isValid() ? day.toString(Qt::ISODate) : date, title}) {
        if (const QString clean = cleaned(part); !clean.isEmpty())
            parts << clean;
    }
    QString name = trimmedDotsAndBlanks(parts.join(QStringLiteral(" - ")));
    if (name.size() > MaximumNameLength) {
        // Never half of a character written as two UTF-16 units.
        name.truncate(name.at(MaximumNameLength).isLowSurrogate() ? MaximumNameLength - 1 : MaximumNameLength);
        name = trimmedDotsAndBlanks(name);
    }
    if (name.isEmpty())
        name = QStringLiteral("Event notes");
    if (isDeviceName(name))
        name.prepend(QLatin1Char('_'));
    return name + QStringLiteral(".pdf");
}

QString EventNotesPdf::suggestedFolder()
{
    if (const QString& last = rememberedFolder(); !last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

QString EventNotesPdf::suggestedPath(const QString& client, const QString& date, const QString& title)
{
    return QDir(suggestedFolder()).filePath(suggestedName(client, date, title));
}

void EventNotesPdf::remember(const QString& savedPath)
{
    rememberedFolder() = QFileInfo(savedPath).absolutePath();
}

void EventNotesPdf::forget()
{
    rememberedFolder().clear();
}

QString EventNotesPdf::withExtension(const QString& path)
{
    // "Dr. Smith" ends in a dot and a word, not an extension.
    static const QRegularExpression extension(QStringLiteral("^[A-Za-z0-9]{1,5}$"));
    if (path.isEmpty() || extension.match(QFileInfo(path).suffix()).hasMatch())
        return path;
    return path + QStringLiteral(".pdf");
}

QString EventNotesPdf::clientName(ClientId clientId)
{
    if (clientId == NoClient)
        return {};
    CLsDataBaseConnection connection;
    Recordset recordset = connection.CreateRecordset(
        QStringLiteral("select * from \"Personal Information\" where PersonalInformationId = ?"), {clientId});
    QStringList names;
    if (!recordset.eof()) {
        for (const char* field : {"Last Name", "First Name", "Middle Name"}) {
            if (const QString name = recordset.text(QString::fromLatin1(field)).trimmed(); !name.isEmpty())
                names << name;
        }
    }
    recordset.close();
    connection.DbClose();
    return names.join(QLatin1Char(' '));
}
