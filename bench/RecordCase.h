#pragma once

#include "ChildProcess.h"

#include <QString>
#include <functional>

class BenchOptions;
class OfficeData;
class ResultTable;

// The client record window at office scale, as a person uses it: opened on a cold file, a
// click on a designed tab, Edit, a field typed and Save, judged on the first time through;
// the bare engine reading and writing the same rows, cold too, is the baseline. With a
// server, the same on the office's copy there, compared with the times on SQLite.
class RecordCase
{
public:
    RecordCase(const BenchOptions& options, const OfficeData& office, ResultTable& table);
    void run();

private:
    // The window's steps in the application folder `app`, `makeCold` run before the first.
    ChildProcess::Outcome measureProgram(const QString& app, const std::function<void()>& makeCold) const;
    void addServerRows(const ChildProcess::Outcome& sqlite);

    const BenchOptions& m_options;
    const OfficeData& m_office;
    ResultTable& m_table;
};
