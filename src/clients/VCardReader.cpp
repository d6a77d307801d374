#include "clients/VCardReader.h"

#include "clients/ClientFields.h"
#include "clients/ImportFileError.h"

#include <QSet>
#include <QStringConverter>
#include <QStringDecoder>
#include <algorithm>
#include <optional>

namespace {

// The client columns, in the order of ClientFields::personalColumns() (the table's order).
enum Column
{
    FirstName,
    AddressOne,
    AddressTwo,
    City,
    State,
    ZipCode,
    HomePhone,
    CellPhone,
    FaxNumber,
    WorkPhone,
    EmailAddress,
    Country,
    MiddleName,
    LastName,
    JobTitle,
    Company,
    ColumnCount
};

// A property without a preference sorts after every preferred one (PREF runs from 1 to 100).
constexpr int noPreference = 101;

struct Property
{
    QString name;        // upper case, without its group
    QSet<QString> types; // lower case
    int preference = noPreference;
    QString value; // still escaped; quoted-printable already decoded
};

struct LogicalLine
{
    qint64 line = 0;
    QString text;
};

// The index of the first `wanted` outside double quotes from `from`, or -1.
qsizetype unquotedIndex(const QString& text, QChar wanted, qsizetype from = 0)
{
    bool quoted = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('"'))
            quoted = !quoted;
        else if (text[i] == wanted && !quoted)
            return i;
    }
    return -1;
}

QStringList splitUnquoted(const QString& text, QChar separator)
{
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype end = unquotedIndex(text, separator); end >= 0; end = unquotedIndex(text, separator, start)) {
        parts.append(text.mid(start, end - start));
        start = end + 1;
    }
    parts.append(text.mid(start));
    return parts;
}

QString unquote(QString text)
{
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        return text.mid(1, text.size() - 2);
    return text;
}

bool isQuotedPrintable(const QString& line)
{
    const qsizetype colon = unquotedIndex(line, QLatin1Char(':'));
    return colon > 0 && line.left(colon).contains(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive);
}

QStringList physicalLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
            continue;
        lines.append(text.mid(start, i - start));
        if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    lines.append(text.mid(start));
    return lines;
}

// Joins folded lines (a line that starts with a blank or a tab continues the one before it,
// without that blank) and the soft line breaks of quoted-printable values (a final '=').
std::vector<LogicalLine> logicalLines(const QStringList& lines)
{
    std::vector<LogicalLine> logical;
    for (qsizetype i = 0; i < lines.size();) {
        LogicalLine current{i + 1, lines[i]};
        ++i;
        const bool quotedPrintable = isQuotedPrintable(current.text);
        while (i < lines.size()) {
            const QString& next = lines[i];
            if (quotedPrintable && current.text.endsWith(QLatin1Char('='))) {
                current.text.chop(1);
                current.text += next;
            } else if (next.startsWith(QLatin1Char(' ')) || next.startsWith(QLatin1Char('\t'))) {
                current.text += next.mid(1);
            } else {
                break;
            }
            ++i;
        }
        logical.push_back(current);
    }
    return logical;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QString decodeQuotedPrintable(const QString& value, const QString& charset)
{
    const QByteArray raw = value.toUtf8();
    QByteArray bytes;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '=' && i + 2 < raw.size()) {
            const int high = hexDigit(raw[i + 1]);
            const int low = hexDigit(raw[i + 2]);
            if (high >= 0 && low >= 0) {
                bytes.append(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        bytes.append(raw[i]);
    }
    const auto encoding =
        QStringConverter::encodingForName(charset.isEmpty() ? "UTF-8" : charset.toLatin1().constData());
    // A character set Qt does not decode (windows-1252, say) is nearest to Latin-1.
    QStringDecoder decoder(encoding.value_or(QStringConverter::Latin1));
    // An encoded line break is CRLF; the client's fields keep line breaks as LF.
    QString decoded = decoder.decode(bytes);
    return decoded.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

std::optional<Property> parseProperty(const QString& line)
{
    const qsizetype colon = unquotedIndex(line, QLatin1Char(':'));
    if (colon <= 0)
        return std::nullopt;
    const QStringList parts = splitUnquoted(line.left(colon), QLatin1Char(';'));
    Property property;
    const QString name = parts.first().trimmed();
    property.name = name.mid(name.lastIndexOf(QLatin1Char('.')) + 1).toUpper();
    bool quotedPrintable = false;
    QString charset;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const qsizetype equals = unquotedIndex(parts[i], QLatin1Char('='));
        // 2.1 and 3.0 also write a type or an encoding alone: "TEL;HOME;VOICE".
        const QString key = equals < 0 ? QStringLiteral("TYPE") : parts[i].left(equals).trimmed().toUpper();
        for (const QString& part : splitUnquoted(parts[i].mid(equals + 1), QLatin1Char(','))) {
            const QString value = unquote(part);
            const QString lower = value.toLower();
            if (lower == QLatin1String("quoted-printable")) {
                if (key == QLatin1String("TYPE") || key == QLatin1String("ENCODING"))
                    quotedPrintable = true;
            } else if (key == QLatin1String("TYPE")) {
                if (lower == QLatin1String("pref"))
                    property.preference = 1;
                else if (!lower.isEmpty())
                    property.types.insert(lower);
            } else if (key == QLatin1String("PREF")) {
                bool ok = false;
                const int preference = value.toInt(&ok);
                if (ok)
                    property.preference = std::min(property.preference, preference);
            } else if (key == QLatin1String("CHARSET")) {
                charset = value;
            }
        }
    }
    property.value = line.mid(colon + 1);
    if (quotedPrintable)
        property.value = decodeQuotedPrintable(property.value, charset);
    return property;
}

// Splits at each `separator` not escaped by a backslash, keeping the escapes.
QStringList splitEscaped(const QString& value, QChar separator)
{
    QStringList parts;
    QString current;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            current += value[i];
            current += value[++i];
        } else if (value[i] == separator) {
            parts.append(current);
            current.clear();
        } else {
            current += value[i];
        }
    }
    parts.append(current);
    return parts;
}

// Undoes the escapes of a text value; an unknown escape stays as written, since older
// writers leave backslashes of ordinary text (a path, say) unescaped.
QString unescape(const QString& value)
{
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        if (next == QLatin1Char('n') || next == QLatin1Char('N'))
            text += QLatin1Char('\n');
        else if (next == QLatin1Char('\\') || next == QLatin1Char(',') || next == QLatin1Char(';') ||
                 next == QLatin1Char(':'))
            text += next;
        else
            text += QLatin1Char('\\') + next;
    }
    return text;
}

// The component `index` of a structured value, unescaped.
QString component(const QString& value, qsizetype index)
{
    const QStringList components = splitEscaped(value, QLatin1Char(';'));
    return index < components.size() ? unescape(components[index]) : QString();
}

// A name component: its several values (given or additional names) joined by a blank.
QString nameComponent(const QString& value, qsizetype index)
{
    const QStringList components = splitEscaped(value, QLatin1Char(';'));
    if (index >= components.size())
        return {};
    QStringList names;
    for (const QString& name : splitEscaped(components[index], QLatin1Char(','))) {
        const QString text = unescape(name).trimmed();
        if (!text.isEmpty())
            names.append(text);
    }
    return names.join(QLatin1Char(' '));
}

// The properties named `name`, the preferred first and otherwise in the card's order.
std::vector<Property> named(const std::vector<Property>& properties, const QString& name)
{
    std::vector<Property> found;
    std::copy_if(properties.begin(), properties.end(), std::back_inserter(found),
                 [&](const Property& property) { return property.name == name; });
    std::stable_sort(found.begin(), found.end(),
                     [](const Property& a, const Property& b) { return a.preference < b.preference; });
    return found;
}

QString firstText(const std::vector<Property>& properties, const QString& name)
{
    for (const Property& property : named(properties, name)) {
        const QString text = unescape(property.value).trimmed();
        if (!text.isEmpty())
            return text;
    }
    return {};
}

void readNames(const std::vector<Property>& properties, QStringList& cells)
{
    for (const Property& property : named(properties, QStringLiteral("N"))) {
        cells[LastName] = nameComponent(property.value, 0);
        cells[FirstName] = nameComponent(property.value, 1);
        cells[MiddleName] = nameComponent(property.value, 2);
        if (!(cells[LastName] + cells[FirstName] + cells[MiddleName]).isEmpty())
            return;
    }
    // A company's card often repeats the company as its formatted name.
    const QString formatted = firstText(properties, QStringLiteral("FN"));
    if (formatted.isEmpty() || formatted.compare(cells[Company], Qt::CaseInsensitive) == 0)
        return;
    const qsizetype blank = formatted.lastIndexOf(QLatin1Char(' '));
    cells[FirstName] = blank < 0 ? QString() : formatted.left(blank).trimmed();
    cells[LastName] = formatted.mid(blank + 1);
}

void readAddress(const std::vector<Property>& properties, QStringList& cells)
{
    const std::vector<Property> addresses = named(properties, QStringLiteral("ADR"));
    if (addresses.empty())
        return;
    const auto home = std::find_if(addresses.begin(), addresses.end(), [](const Property& property) {
        return property.types.contains(QStringLiteral("home"));
    });
    const QString& value = home != addresses.end() ? home->value : addresses.front().value;
    const QString postOfficeBox = component(value, 0).trimmed();
    const QString street = component(value, 2);
    cells[AddressOne] = postOfficeBox.isEmpty()      ? street
                        : street.trimmed().isEmpty() ? postOfficeBox
                                                     : postOfficeBox + QLatin1String(", ") + street;
    cells[AddressTwo] = component(value, 1);
    cells[City] = component(value, 3);
    cells[State] = component(value, 4);
    cells[ZipCode] = component(value, 5);
    cells[Country] = component(value, 6);
}

// The column a telephone number's types name, or ColumnCount when they name none of them.
Column telephoneColumn(const QSet<QString>& types)
{
    if (types.contains(QStringLiteral("fax")))
        return FaxNumber;
    if (types.contains(QStringLiteral("cell")) || types.contains(QStringLiteral("mobile")))
        return CellPhone;
    if (types.contains(QStringLiteral("work")))
        return WorkPhone;
    if (types.contains(QStringLiteral("home")))
        return HomePhone;
    return ColumnCount;
}

void readTelephones(const std::vector<Property>& properties, QStringList& cells)
{
    std::vector<QString> untyped;
    for (const Property& property : named(properties, QStringLiteral("TEL"))) {
        QString number = unescape(property.value).trimmed();
        if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            number = number.mid(4);
        if (number.isEmpty())
            continue;
        const Column column = telephoneColumn(property.types);
        if (column == ColumnCount)
            untyped.push_back(number);
        else if (cells[column].isEmpty())
            cells[column] = number;
    }
    // Typed numbers take their own columns first, so an untyped one cannot push a home number out.
    for (const QString& number : untyped) {
        for (const Column column : {HomePhone, WorkPhone, CellPhone}) {
            if (cells[column].isEmpty()) {
                cells[column] = number;
                break;
            }
        }
    }
}

QStringList cardCells(const std::vector<Property>& properties)
{
    QStringList cells(ColumnCount);
    const std::vector<Property> organizations = named(properties, QStringLiteral("ORG"));
    if (!organizations.empty())
        cells[Company] = component(organizations.front().value, 0).trimmed();
    readNames(properties, cells);
    cells[JobTitle] = firstText(properties, QStringLiteral("TITLE"));
    readAddress(properties, cells);
    readTelephones(properties, cells);
    cells[EmailAddress] = firstText(properties, QStringLiteral("EMAIL"));
    return cells;
}

bool is(const Property& property, const char* name, const char* value)
{
    return property.name == QLatin1String(name) &&
           property.value.trimmed().compare(QLatin1String(value), Qt::CaseInsensitive) == 0;
}

} // namespace

ImportTable VCardReader::read(const QString& text)
{
    QString content = text;
    if (content.startsWith(QChar(0xFEFF)))
        content.remove(0, 1);

    ImportTable table;
    table.header = ClientFields::personalColumns();
    qint64 cardLine = 0; // the line of the open card's BEGIN:VCARD, 0 outside a card
    std::vector<Property> properties;
    for (const LogicalLine& line : logicalLines(physicalLines(content))) {
        if (line.text.trimmed().isEmpty())
            continue;
        const std::optional<Property> property = parseProperty(line.text);
        const bool begins = property && is(*property, "BEGIN", "VCARD");
        if (cardLine == 0) {
            if (!begins)
                throw ImportFileError(line.line, QStringLiteral("Line %1 is outside a card: a card starts with "
                                                                "BEGIN:VCARD and ends with END:VCARD.")
                                                     .arg(line.line));
            cardLine = line.line;
            properties.clear();
        } else if (begins) {
            throw ImportFileError(line.line, QStringLiteral("Line %1 begins a card inside the card that starts on "
                                                            "line %2, which has no END:VCARD.")
                                                 .arg(line.line)
                                                 .arg(cardLine));
        } else if (property && is(*property, "END", "VCARD")) {
            table.rows.push_back({cardLine, cardCells(properties)});
            cardLine = 0;
        } else if (property && property->name == QLatin1String("VERSION")) {
            const QString version = property->value.trimmed();
            if (version != QLatin1String("2.1") && version != QLatin1String("3.0") && version != QLatin1String("4.0"))
                throw ImportFileError(line.line, QStringLiteral("Line %1 gives vCard version %2; only versions "
                                                                "2.1, 3.0 and 4.0 can be read.")
                                                     .arg(line.line)
                                                     .arg(version));
        } else if (property) {
            properties.push_back(*property);
        }
    }
    if (cardLine != 0)
        throw ImportFileError(cardLine,
                              QStringLiteral("The card that starts on line %1 has no END:VCARD.").arg(cardLine));
    return table;
}
