#pragma once

#include <QString>
#include <QStringList>

class BenchOptions;
class ResultTable;

// The content search of the search dialog over stored text documents, for three phrases: a
// rare one, a common one found in thousands of documents, and one with a non-ASCII letter
// typed in lower case and stored in mixed case. Each is checked by the set of documents found,
// and timed warm and cold against ripgrep over the same bytes as many files and as one file,
// and against the floor: two threads reading the one file with pread and scanning it with
// memchr.
class SearchCase
{
public:
    SearchCase(const BenchOptions& options, const QString& root, ResultTable& table);
    void run();

private:
    void measure(int phrase, bool cold);

    const BenchOptions& m_options;
    ResultTable& m_table;
    QString m_base;
    QString m_app;
    QString m_files;
    QString m_oneFile;
    double m_mib = 0;
    int m_documents = 0;
};
