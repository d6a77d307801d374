#pragma once

#include "ChildProcess.h"

#include <QString>
#include <QStringList>
#include <functional>

class BenchOptions;
class BenchServer;
class ResultTable;

// The content search of the search dialog over stored text documents, for three phrases: a
// rare one, a common one found in thousands of documents, and one with a non-ASCII letter
// typed in lower case and stored in mixed case. Each is checked by the set of documents found,
// and timed warm and cold against ripgrep over the same bytes as many files and as one file,
// and against the floor: two threads reading the one file with pread and scanning it with
// memchr. With a server, the same search over a copy of the documents there, compared with
// the search on SQLite (cold: the server restarted and its files dropped from the page cache).
class SearchCase
{
public:
    SearchCase(const BenchOptions& options, const QString& root, ResultTable& table,
               const BenchServer* server = nullptr);
    void run();

private:
    void measure(int phrase, bool cold);
    // The dialog's search in the application folder `app`; `prepare` runs before each sample.
    ChildProcess::Outcome measureProgram(int phrase, int samples, const QString& app,
                                         const std::function<void()>& prepare) const;
    bool copyToServer();

    const BenchOptions& m_options;
    ResultTable& m_table;
    const BenchServer* m_server;
    QString m_base;
    QString m_app;
    QString m_serverApp;
    QString m_files;
    QString m_oneFile;
    double m_mib = 0;
    int m_documents = 0;
};
