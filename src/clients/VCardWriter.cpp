#include "clients/VCardWriter.h"

#include <QStringList>
#include <algorithm>

namespace {

// The longest line in octets, line break not counted; longer lines are folded.
constexpr qsizetype lineOctets = 75;

QString escaped(QString value)
{
    value.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QString text;
    text.reserve(value.size());
    for (const QChar c : value) {
        if (c == QLatin1Char('\n'))
            text += QLatin1String("\\n");
        else if (c == QLatin1Char('\\') || c == QLatin1Char(',') || c == QLatin1Char(';'))
            text += QLatin1Char('\\') + c;
        else
            text += c;
    }
    return text;
}

// Appends one content line with CRLF, folded so that no line exceeds lineOctets; a fold never
// falls inside a character's UTF-8 sequence, since a reader decodes each line as it stands.
void appendLine(QByteArray& out, const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    qsizetype start = 0;
    for (;;) {
        const bool continued = start > 0;
        // A continuation line starts with a blank, which counts in its length.
        const qsizetype room = continued ? lineOctets - 1 : lineOctets;
        qsizetype end = std::min(start + room, bytes.size());
        while (end < bytes.size() && end > start && (static_cast<uchar>(bytes[end]) & 0xC0) == 0x80)
            --end;
        if (continued)
            out += ' ';
        out += bytes.mid(start, end - start);
        out += "\r\n";
        if (end >= bytes.size())
            return;
        start = end;
    }
}

void appendProperty(QByteArray& out, const QString& name, const QString& value)
{
    if (!value.isEmpty())
        appendLine(out, name + QLatin1Char(':') + value);
}

// A structured value: its components escaped and joined by ';', or empty when all are.
QString structured(const QStringList& components)
{
    QStringList escapedComponents;
    bool empty = true;
    for (const QString& component : components) {
        escapedComponents.append(escaped(component));
        empty = empty && component.isEmpty();
    }
    return empty ? QString() : escapedComponents.join(QLatin1Char(';'));
}

void appendCard(QByteArray& out, const QHash<QString, QString>& client)
{
    const auto value = [&](const char* column) { return client.value(QLatin1String(column)); };
    appendLine(out, QStringLiteral("BEGIN:VCARD"));
    appendLine(out, QStringLiteral("VERSION:4.0"));
    QStringList names;
    for (const char* column : {"First Name", "Middle Name", "Last Name"}) {
        if (!value(column).isEmpty())
            names.append(value(column));
    }
    const QString formatted = names.isEmpty() ? value("Company") : names.join(QLatin1Char(' '));
    // FN is the one property a card must have, so it is written even when empty.
    appendLine(out, QStringLiteral("FN:") + escaped(formatted));
    appendProperty(out, QStringLiteral("N"),
                   structured({value("Last Name"), value("First Name"), value("Middle Name"), {}, {}}));
    appendProperty(out, QStringLiteral("ORG"), escaped(value("Company")));
    appendProperty(out, QStringLiteral("TITLE"), escaped(value("Job Title")));
    appendProperty(out, QStringLiteral("ADR;TYPE=home"),
                   structured({{},
                               value("Address Two"),
                               value("Address One"),
                               value("City"),
                               value("State"),
                               value("Zip Code"),
                               value("Country")}));
    // Numbers as typed text rather than tel: URIs, which most typed numbers would not be.
    appendProperty(out, QStringLiteral("TEL;VALUE=text;TYPE=home,voice"), escaped(value("Home Phone Number")));
    appendProperty(out, QStringLiteral("TEL;VALUE=text;TYPE=work,voice"), escaped(value("Work Phone Number")));
    appendProperty(out, QStringLiteral("TEL;VALUE=text;TYPE=cell"), escaped(value("Cell Phone Number")));
    appendProperty(out, QStringLiteral("TEL;VALUE=text;TYPE=fax"), escaped(value("Fax Number")));
    appendProperty(out, QStringLiteral("EMAIL"), escaped(value("Email Address")));
    appendLine(out, QStringLiteral("END:VCARD"));
}

} // namespace

QByteArray VCardWriter::write(const std::vector<QHash<QString, QString>>& clients)
{
    QByteArray out;
    for (const QHash<QString, QString>& client : clients)
        appendCard(out, client);
    return out;
}
