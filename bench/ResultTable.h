#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The printed result: one line per case with the program's figure, the baseline's, their
// ratio, the target and whether it is met, and the case's peak resident memory.
class ResultTable
{
public:
    enum class Verdict
    {
        Pass,
        Fail,
        Report, // a figure without a target
        Error   // the result was wrong or the case could not run
    };

    struct Row
    {
        QString name;
        QString program;
        QString baseline;
        QString ratio;
        QString target;
        Verdict verdict = Verdict::Report;
        QString peak; // as mebibytes() writes it; empty when stated on another row of the case
        // Exempt from the memory limit (the login, whose password hash needs 64 MiB by design).
        bool memoryExempt = false;
    };

    // Every case but the exempt one keeps its peak resident memory under this.
    static constexpr double MemoryLimitMiB = 64.0;

    // Adds the row; a peak at or above the memory limit fails it (with a note).
    void add(Row row);
    // A case that could not be measured or whose result was wrong.
    void addError(const QString& name, const QString& message);
    void addNote(const QString& note);

    // Prints the table (Markdown) and the notes to standard output.
    void print() const;
    bool hasErrors() const;
    bool hasFailures() const;

    // "1.23 s", "45.6 ms"
    static QString duration(double seconds);
    // "512 MiB/s"
    static QString speed(double mib, double seconds);
    static QString mebibytes(double mib);
    static QString times(double ratio);
    static Verdict atLeast(double value, double target);

private:
    QList<Row> m_rows;
    QStringList m_notes;
};
