#pragma once

class BenchOptions;
class OfficeData;
class ResultTable;

// The client record window at office scale, as a person uses it: opened on a cold file, a
// click on a designed tab, Edit, a field typed and Save, judged on the first time through;
// the bare engine reading and writing the same rows, cold too, is the baseline.
class RecordCase
{
public:
    RecordCase(const BenchOptions& options, const OfficeData& office, ResultTable& table);
    void run();

private:
    const BenchOptions& m_options;
    const OfficeData& m_office;
    ResultTable& m_table;
};
