#include "clients/CsvReader.h"

#include "clients/ImportFileError.h"

namespace {

constexpr char16_t Quote = u'"';
constexpr char16_t Cr = u'\r';
constexpr char16_t Lf = u'\n';

bool blankRow(const QStringList& cells, bool quoted)
{
    return !quoted && cells.size() == 1 && cells.front().trimmed().isEmpty();
}

} // namespace

QChar CsvReader::separatorOf(const QString& text)
{
    int commas = 0;
    int semicolons = 0;
    int tabs = 0;
    bool inQuotes = false;
    bool seenText = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == Quote) {
            inQuotes = !inQuotes;
        } else if (!inQuotes) {
            if (u == Cr || u == Lf) {
                if (seenText)
                    break; // the first line that holds anything
                continue;
            }
            if (u == u',')
                ++commas;
            else if (u == u';')
                ++semicolons;
            else if (u == u'\t')
                ++tabs;
        }
        if (!c.isSpace())
            seenText = true;
    }
    if (tabs > commas && tabs >= semicolons)
        return QLatin1Char('\t');
    if (semicolons > commas)
        return QLatin1Char(';');
    return QLatin1Char(',');
}

ImportTable CsvReader::read(const QString& text)
{
    const char16_t separator = separatorOf(text).unicode();
    ImportTable table;
    bool haveHeader = false;

    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* const end = p + text.size();
    qint64 line = 1;
    QStringList cells;
    QString cell;
    bool rowQuoted = false;
    qint64 rowLine = 1;

    // Each cell is copied out at its exact size; `cell` keeps its buffer for the next one.
    const auto endCell = [&] {
        cells.append(cell.isEmpty() ? QString() : QString(cell.constData(), cell.size()));
        cell.truncate(0);
    };
    const auto endRow = [&] {
        endCell();
        if (!blankRow(cells, rowQuoted)) {
            if (!haveHeader) {
                for (QString& name : cells)
                    name = name.trimmed();
                table.header = cells;
                haveHeader = true;
            } else if (cells.size() != table.header.size()) {
                throw ImportFileError(rowLine, QStringLiteral("Line %1 has %2 fields; the first line has %3.")
                                                   .arg(rowLine)
                                                   .arg(cells.size())
                                                   .arg(table.header.size()));
            } else {
                table.rows.push_back({rowLine, cells});
            }
        }
        cells = QStringList();
        cells.reserve(table.header.size());
        rowQuoted = false;
    };

    bool atFieldStart = true;
    while (p < end) {
        const char16_t c = *p;
        if (atFieldStart && c == Quote) {
            // A quoted field runs to the next quote not doubled, over separators and lines.
            const qint64 startLine = line;
            rowQuoted = true;
            ++p;
            for (;;) {
                if (p == end)
                    throw ImportFileError(
                        startLine,
                        QStringLiteral("The quoted field that starts on line %1 is not closed.").arg(startLine));
                if (*p == Quote) {
                    if (p + 1 < end && p[1] == Quote) {
                        cell.append(QChar(Quote));
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                if (*p == Cr) {
                    ++line;
                    if (p + 1 < end && p[1] == Lf) {
                        cell.append(QStringLiteral("\r\n"));
                        p += 2;
                        continue;
                    }
                } else if (*p == Lf) {
                    ++line;
                }
                cell.append(QChar(*p));
                ++p;
            }
            atFieldStart = false;
            continue;
        }
        if (c == separator) {
            endCell();
            atFieldStart = true;
            ++p;
            continue;
        }
        if (c == Cr || c == Lf) {
            endRow();
            p += (c == Cr && p + 1 < end && p[1] == Lf) ? 2 : 1;
            ++line;
            rowLine = line;
            atFieldStart = true;
            continue;
        }
        // Text after a closing quote is kept as it stands, as spreadsheet programs do.
        cell.append(QChar(c));
        atFieldStart = false;
        ++p;
    }
    if (!cells.isEmpty() || !cell.isEmpty() || rowQuoted)
        endRow();
    return table;
}
