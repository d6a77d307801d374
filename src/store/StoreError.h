#pragma once

#include <QString>
#include <stdexcept>

// The one exception type of the data store. It carries the engine's own message,
// so that whoever reports a failure can show the user what the database said.
class StoreError : public std::runtime_error
{
public:
    // Busy: another connection (another copy of the program, another program) holds the
    // database locked longer than the engine waits. Nothing is wrong with the data: the
    // action can be tried again, and a window keeps what the user typed.
    // Damaged: the engine found the file's structure broken (not merely locked, and not a
    // file of another kind). Cancelled: the user stopped a long piece of work; nothing was
    // changed and there is nothing to report.
    enum class Kind
    {
        Failure,
        Busy,
        Damaged,
        Cancelled
    };

    explicit StoreError(const QString& message, Kind kind = Kind::Failure);

    QString message() const { return m_message; }
    Kind kind() const { return m_kind; }
    bool isBusy() const { return m_kind == Kind::Busy; }
    bool isDamaged() const { return m_kind == Kind::Damaged; }
    bool isCancelled() const { return m_kind == Kind::Cancelled; }

private:
    QString m_message;
    Kind m_kind;
};
