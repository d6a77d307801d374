#pragma once

#include <QString>
#include <QStringList>

class BenchOptions;
class ResultTable;

// The document store at office scale: one large document stored and fetched, many small
// documents dropped at once and fetched, and the same documents fetched from disk after a
// third of them were replaced.
class DocumentCases
{
public:
    DocumentCases(const BenchOptions& options, const QString& root, ResultTable& table);

    void runLarge();
    void runMany();

private:
    QStringList names() const;

    const BenchOptions& m_options;
    QString m_root;
    ResultTable& m_table;
};
