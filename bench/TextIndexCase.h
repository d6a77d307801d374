#pragma once

#include "ChildProcess.h"

#include <QString>

class BenchOptions;
class ResultTable;

// The index of the text inside stored documents: PDF, DOCX, ODT and plain text documents,
// stored as a build without the index stored them (no entries), are indexed by the program's
// background indexing, measured alone in a process of its own (throughput of text, memory)
// against the text extraction alone; the index's size is compared with the text it holds; then
// the search dialog's content search, now answered from the index, is timed for a rare phrase
// and a common one and checked by the documents found, against ripgrep over the same documents
// as files, which sees only the plain text ones.
class TextIndexCase
{
public:
    TextIndexCase(const BenchOptions& options, const QString& root, ResultTable& table);
    void run();

private:
    bool make();
    bool measureIndexing();
    void measureSearch(int phrase);
    ChildProcess::Outcome measureProgram(int phrase) const;
    ChildProcess::Outcome measureRipgrep(int phrase) const;
    QString scope() const;

    const BenchOptions& m_options;
    ResultTable& m_table;
    QString m_base;
    QString m_app;
    QString m_files;
    ChildProcess::Outcome m_made;
};
