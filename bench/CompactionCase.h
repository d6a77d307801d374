#pragma once

#include "Rounds.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <vector>

class BenchOptions;
class ResultTable;

// Documents replaced in the database leave its file fragmented, and the compaction mends it.
// A client's documents (`--big-mib` in all, tens of MiB each) are uploaded, then a third of
// them are replaced as a person brings a batch up to date: each old version deleted, then the
// new versions dropped onto the list together. The new versions land on the pages the old
// ones left, in the engine's order of reusing them (runs of pages read backwards, jumps
// between the old documents' places), and read several times slower from a cold file. Each
// replaced document is saved with Save As from the record window, cold, before and after the
// database is compacted, against cp of the same documents as files, cold; the compaction
// itself is timed against cp + fsync of the database file.
class CompactionCase
{
public:
    CompactionCase(const BenchOptions& options, const QString& root, ResultTable& table);
    void run();

private:
    struct Document
    {
        QString name;
        qint64 bytes = 0;
        qint64 replacementBytes = 0; // 0 for a document kept as it was first stored
    };

    // Stores the documents and replaces a third; false with `error` set when that failed.
    bool makeDocuments(QString& error);
    // The replaced documents saved from the record window, cold, against cp of their files.
    std::vector<Rounds::Result> fetchRounds(const QString& phase) const;
    // Each round compacts a copy of the fragmented file; the first round's copy then takes its place.
    std::vector<Rounds::Result> compactionRounds();
    void addRows(const std::vector<Rounds::Result>& before, const std::vector<Rounds::Result>& compacted,
                 const std::vector<Rounds::Result>& after);

    QString path(const QString& name) const;
    QString app() const;
    QString database() const;
    QStringList replacedNames() const;

    const BenchOptions& m_options;
    ResultTable& m_table;
    QString m_base;
    std::vector<Document> m_documents;
    QMap<QString, QByteArray> m_digests; // the replacements' SHA-256, by name
    double m_replacedMiB = 0;
    double m_storedMiB = 0; // every document as it stands after the replacements
    qint64 m_bytesBefore = 0;
    qint64 m_bytesAfter = 0;
};
