#pragma once

#include <QString>
#include <QStringList>
#include <array>

class BenchOptions;
class BenchServer;

// An office at scale, shared by the explorer and the record window: one application folder
// whose database the program's own code creates, with `--clients` clients and ten designed
// tabs of twenty fields made by the designer's classes, each tab holding a row for every
// client (four of its fields filled). Beside it, the explorer's baseline: a file built by the
// bare engine with its default settings, holding the same client table, its indexes and rows.
// With a server, a second application folder works on a copy of it there, made by the
// program's own copy (as an office moves to a server).
class OfficeData
{
public:
    static constexpr int Tabs = 10;
    static constexpr int FieldsPerTab = 20;
    static constexpr int FilledFields = 4;

    OfficeData(const BenchOptions& options, const QString& root, const BenchServer* server = nullptr);

    // Builds it all in a child process; false (with `error` set) when that failed.
    bool build(QString& error);
    // Deletes its files.
    void remove() const;

    QString app() const { return m_app; }
    QString file() const;     // the program's database
    QString bareFile() const; // the baseline's
    const BenchServer* server() const { return m_server; }
    QString serverApp() const { return m_serverApp; }    // the folder working on the server's copy
    double copySeconds() const { return m_copySeconds; } // how long the copy to the server took
    qint64 clients() const;
    // Active clients per initial of the last name, A to Z, as made.
    const std::array<qint64, 26>& active() const { return m_active; }
    // The initial with most active clients, and the one with fewest (at least one).
    QString largestGroup() const;
    QString smallGroup() const;
    // The client the record window shows: one in the middle of the table.
    qint64 recordClient() const { return m_recordClient; }

    static QString tabName(int tab);     // "Data Tab 1" ...
    static QString fieldName(int field); // "Field 1" ...
    // The stored text of a filled field of a client's row in a tab.
    static QString storedValue(int tab, int field, qint64 client);

private:
    bool copyToServer(QString& error);

    const BenchOptions& m_options;
    const BenchServer* m_server;
    QString m_base;
    QString m_app;
    QString m_serverApp;
    double m_copySeconds = 0;
    std::array<qint64, 26> m_active{};
    qint64 m_recordClient = 0;
};
