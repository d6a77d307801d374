#pragma once

#include <QString>
#include <QStringList>

// The sizes and choices of one benchmark run, from the command line.
class BenchOptions
{
public:
    qint64 bigMiB = 900;           // the one large document
    int docs = 10000;              // documents of 10-100 KiB dropped at once onto one client
    qint64 searchMiB = 500;        // stored text documents searched by content
    qint64 clients = 1000000;      // clients of the explorer and the record window
    qint64 textMiB = 2048;         // PDF, DOCX, ODT and text documents indexed and searched
    qint64 importClients = 100000; // clients in the CSV file the import case reads and stores
    int repeats = 5;               // runs of each short measurement; the median is reported
    int rounds = 3;                // alternating samples of the document measurements
    int pageKiB = 0;               // page size of the databases made; 0: as the program makes them
    qint64 mmapMiB = 0;            // memory-mapped reads of the program's connections; 0: none
    QString folder;                // where the temporary application folders go
    QStringList cases;             // the cases to run; all when empty
    bool keep = false;             // leave the data behind (for looking into a failure)
    bool postgresql = false;       // the document, search, explorer and record cases also on a server
    QString startupProbeFolder;    // set in the child process that times the start-up
    bool startupProbeBare = false; // that child shows an empty window of the login's size instead
    QString programPath;           // the program to start for the start-up case

    // Reads the arguments; false (with `error` set) when they cannot be understood.
    bool parse(const QStringList& arguments, QString& error);
    bool runs(const QString& name) const;

    static QString usage();
    static const QStringList& caseNames();

private:
    void scale(double factor);
};
