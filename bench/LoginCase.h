#pragma once

#include <QString>

class BenchOptions;
class ResultTable;

// The login window as a person uses it: a user name and password typed, OK clicked, until
// the user is logged in; meanwhile the window is asked to repaint every 10 ms and the longest
// time it went without painting is noted. The password check alone (the Argon2id verify the
// login runs) is the baseline. Judged on the first login of the process, as at start.
class LoginCase
{
public:
    LoginCase(const BenchOptions& options, const QString& root, ResultTable& table);
    void run();

private:
    const BenchOptions& m_options;
    QString m_root;
    ResultTable& m_table;
};
