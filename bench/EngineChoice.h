#pragma once

#include <QString>

class BenchOptions;

// The engine settings a run measures the program with, so that the page size and the way
// the file is read can be chosen from a table of runs: the database files' page size
// (`--page-kib`) and memory-mapped reads (`--mmap-mib`). Unless chosen, both stay as the
// program makes them.
class EngineChoice
{
public:
    explicit EngineChoice(const BenchOptions& options);

    // Gives a database file the program has just made (before the data goes in) the chosen
    // page size; the engine rewrites the file for it.
    void prepareFile(const QString& path) const;
    // In a measuring process, before the program opens any connection: every connection
    // then maps up to the chosen size of the file into memory and reads it from there.
    void applyToProcess() const;
    // "pages as the program makes them, reads as it makes them", "16 KiB pages, mmap 2048 MiB"
    QString describe() const;

private:
    int m_pageKiB;
    qint64 m_mmapMiB;
};
