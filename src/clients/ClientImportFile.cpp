#include "clients/ClientImportFile.h"

#include "clients/CsvReader.h"
#include "clients/ImportFileError.h"
#include "clients/VCardReader.h"
#include "documents/Windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>
#include <algorithm>
#include <array>

namespace {

// Control characters other than tab, line and page breaks.
bool isControl(char16_t c)
{
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r' && c != u'\f') || c == 0x7F;
}

qint64 lineAt(const QString& text, qsizetype position)
{
    qint64 line = 1;
    for (qsizetype i = 0; i < position; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\n' || (c == u'\r' && (i + 1 >= text.size() || text.at(i + 1) != QLatin1Char('\n'))))
            ++line;
    }
    return line;
}

const std::array<char16_t, 256>& windows1252Characters()
{
    static const std::array<char16_t, 256> characters = [] {
        std::array<char16_t, 256> table{};
        // Bytes that Windows-1252 leaves unassigned keep their Latin-1 code point.
        for (int b = 0; b < 256; ++b)
            table[static_cast<size_t>(b)] = static_cast<char16_t>(b);
        for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
            const int b = Windows1252::byteOf(static_cast<char16_t>(c));
            if (b >= 0x80 && b <= 0x9F)
                table[static_cast<size_t>(b)] = static_cast<char16_t>(c);
        }
        return table;
    }();
    return characters;
}

QString fileSize(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 0, QLocale::DataSizeTraditionalFormat);
}

} // namespace

QString ClientImportFile::decode(const QByteArray& bytes)
{
    QByteArrayView data(bytes);
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    const std::array<char16_t, 256>& characters = windows1252Characters();
    text = QString(data.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char b : data)
        *out++ = characters[static_cast<unsigned char>(b)];
    return text;
}

ClientImportFile::Format ClientImportFile::formatOf(const QString& text)
{
    for (const QStringView line : QStringView(text).tokenize(u'\n')) {
        const QStringView content = line.trimmed();
        if (content.isEmpty())
            continue;
        return content.compare(u"BEGIN:VCARD", Qt::CaseInsensitive) == 0 ? Format::VCard : Format::Csv;
    }
    return Format::Csv;
}

qint64 ClientImportFile::binaryLine(const QString& text)
{
    // A NUL is never in text; a few stray control characters may be (a form feed copied from an
    // old program), but not a tenth of the first 64 KiB.
    qsizetype firstControl = -1;
    qsizetype controls = 0;
    const qsizetype sample = std::min<qsizetype>(text.size(), 64 * 1024);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == 0)
            return lineAt(text, i);
        if (i < sample && isControl(c)) {
            if (firstControl < 0)
                firstControl = i;
            ++controls;
        }
    }
    if (firstControl >= 0 && controls * 10 > sample)
        return lineAt(text, firstControl);
    return 0;
}

ImportTable ClientImportFile::read(const QString& path, Format* format)
{
    const QString name = QFileInfo(path).fileName();
    const qint64 size = QFileInfo(path).size();
    if (size > MaxBytes)
        throw ImportFileError(0, QStringLiteral("\"%1\" is %2, more than the %3 a file to import may have.")
                                     .arg(name, fileSize(size), fileSize(MaxBytes)));
    // The bytes go once decoded: a file near the limit is held once as text, not twice.
    const QString text = [&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw ImportFileError(0, QStringLiteral("\"%1\" cannot be read: %2").arg(name, file.errorString()));
        const QByteArray bytes = file.read(MaxBytes + 1);
        if (file.error() != QFileDevice::NoError)
            throw ImportFileError(0, QStringLiteral("\"%1\" cannot be read: %2").arg(name, file.errorString()));
        if (bytes.size() > MaxBytes) // grown since its size was taken
            throw ImportFileError(
                0,
                QStringLiteral("\"%1\" is more than the %2 a file to import may have.").arg(name, fileSize(MaxBytes)));
        if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0) {
            const qint64 line = bytes.left(nul).count('\n') + 1;
            throw ImportFileError(line, QStringLiteral("\"%1\" is not a text file (line %2).").arg(name).arg(line));
        }
        return decode(bytes);
    }();
    if (const qint64 line = binaryLine(text); line > 0)
        throw ImportFileError(line, QStringLiteral("\"%1\" is not a text file (line %2).").arg(name).arg(line));
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); }))
        throw ImportFileError(0, QStringLiteral("\"%1\" is empty.").arg(name));

    const Format found = formatOf(text);
    if (format)
        *format = found;
    ImportTable table;
    try {
        table = found == Format::VCard ? VCardReader::read(text) : CsvReader::read(text);
    } catch (const ImportFileError& e) {
        throw ImportFileError(e.line(), QStringLiteral("\"%1\": %2").arg(name, e.message()));
    }
    if (table.header.isEmpty())
        throw ImportFileError(0, QStringLiteral("\"%1\" is empty.").arg(name));
    return table;
}
