#pragma once

#include <QString>
#include <stdexcept>

// The one exception type of the data store. It carries the engine's own message,
// so that whoever reports a failure can show the user what the database said.
class StoreError : public std::runtime_error
{
public:
    explicit StoreError(const QString& message);

    QString message() const { return m_message; }

private:
    QString m_message;
};
