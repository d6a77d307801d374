#include "ResultTable.h"

#include <QTextStream>
#include <cstdio>

void ResultTable::add(Row row)
{
    const double peak = row.peak.section(QLatin1Char(' '), 0, 0).toDouble();
    if (!row.memoryExempt && peak >= MemoryLimitMiB && row.verdict != Verdict::Error) {
        row.verdict = Verdict::Fail;
        row.peak += QStringLiteral(" (≥ 64 MiB)");
        m_notes.append(QStringLiteral("%1: its peak resident memory, %2, is above the %3 MiB every case but the "
                                      "login keeps under.")
                           .arg(row.name, mebibytes(peak))
                           .arg(MemoryLimitMiB));
    }
    m_rows.append(row);
    // Each line also goes out at once, so a long run shows its progress.
    std::fprintf(stderr, "  %s: %s | %s | %s\n", qPrintable(row.name), qPrintable(row.program),
                 qPrintable(row.baseline), qPrintable(row.ratio));
}

void ResultTable::addError(const QString& name, const QString& message)
{
    Row row;
    row.name = name;
    row.program = QStringLiteral("**WRONG RESULT OR ERROR**");
    row.verdict = Verdict::Error;
    m_rows.append(row);
    m_notes.append(QStringLiteral("%1: %2").arg(name, message));
    std::fprintf(stderr, "\n*** %s FAILED: %s ***\n\n", qPrintable(name), qPrintable(message));
}

void ResultTable::addNote(const QString& note)
{
    m_notes.append(note);
}

void ResultTable::print() const
{
    QTextStream out(stdout);
    out << "| case | Orvanta | baseline | ratio | target | result | peak RSS |\n";
    out << "|---|---|---|---|---|---|---|\n";
    for (const Row& row : m_rows) {
        QString verdict;
        switch (row.verdict) {
        case Verdict::Pass:
            verdict = QStringLiteral("PASS");
            break;
        case Verdict::Fail:
            verdict = QStringLiteral("FAIL");
            break;
        case Verdict::Report:
            verdict = QStringLiteral("reported");
            break;
        case Verdict::Error:
            verdict = QStringLiteral("**ERROR**");
            break;
        }
        out << "| " << row.name << " | " << row.program << " | " << row.baseline << " | " << row.ratio << " | "
            << row.target << " | " << verdict << " | " << row.peak << " |\n";
    }
    if (!m_notes.isEmpty()) {
        out << "\n";
        for (const QString& note : m_notes)
            out << "- " << note << "\n";
    }
    out.flush();
}

bool ResultTable::hasErrors() const
{
    for (const Row& row : m_rows) {
        if (row.verdict == Verdict::Error)
            return true;
    }
    return false;
}

bool ResultTable::hasFailures() const
{
    for (const Row& row : m_rows) {
        if (row.verdict == Verdict::Fail)
            return true;
    }
    return false;
}

QString ResultTable::duration(double seconds)
{
    if (seconds < 1.0)
        return QStringLiteral("%1 ms").arg(seconds * 1000.0, 0, 'f', seconds < 0.1 ? 1 : 0);
    return QStringLiteral("%1 s").arg(seconds, 0, 'f', 2);
}

QString ResultTable::speed(double mib, double seconds)
{
    return QStringLiteral("%1 MiB/s").arg(seconds > 0 ? mib / seconds : 0.0, 0, 'f', 0);
}

QString ResultTable::mebibytes(double mib)
{
    return QStringLiteral("%1 MiB").arg(mib, 0, 'f', 0);
}

QString ResultTable::times(double ratio)
{
    return QStringLiteral("%1×").arg(ratio, 0, 'f', 2);
}

ResultTable::Verdict ResultTable::atLeast(double value, double target)
{
    return value >= target ? Verdict::Pass : Verdict::Fail;
}
