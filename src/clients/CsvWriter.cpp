#include "clients/CsvWriter.h"

namespace {

void appendRow(QString& out, const QStringList& cells)
{
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out.append(QLatin1Char(','));
        out.append(CsvWriter::field(cells.at(i)));
    }
    out.append(QStringLiteral("\r\n"));
}

} // namespace

QString CsvWriter::field(const QString& text)
{
    bool quote = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
    for (const QChar c : text) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            quote = true;
            break;
        }
    }
    if (!quote)
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QByteArray CsvWriter::write(const QStringList& header, const std::vector<QStringList>& rows)
{
    QString out;
    appendRow(out, header);
    for (const QStringList& row : rows)
        appendRow(out, row);
    return QByteArrayLiteral("\xEF\xBB\xBF") + out.toUtf8();
}
