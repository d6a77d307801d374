#pragma once

#include <QString>
#include <QtGlobal>
#include <stdexcept>

// A file that cannot be imported as a whole: not a text file, too large, not well formed.
// Carries the line of the file where the reading stopped (0 when the fault is not on a line,
// e.g. the file's size) and a message for the user that names it.
class ImportFileError : public std::runtime_error
{
public:
    ImportFileError(qint64 line, const QString& message);

    qint64 line() const { return m_line; }
    QString message() const { return m_message; }

private:
    qint64 m_line;
    QString m_message;
};
