#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

// The rows of the Security table as the user windows read and write them. Passwords are
// written only as PasswordHash values. Every operation opens the database, does its work
// and closes it again; failures of the database surface as StoreError.
class UserAccounts
{
public:
    // The columns a user window shows and edits.
    struct Details
    {
        QString userName;
        QString firstName;
        QString middleName;
        QString lastName;
        QString eMailAddress;
    };

    // One user as listed for management.
    struct Listed
    {
        QString securityId;
        QString firstName;
        QString middleName;
        QString lastName;
    };

    // The SecurityId written in `securityId`: a whole number, blanks around it allowed. Nothing
    // for any other text, which names no user.
    static std::optional<qint64> idOf(const QString& securityId);

    // Adds an administrator or an ordinary user; returns the new SecurityId.
    static QString add(const Details& details, const QString& password, bool administrator);

    // The user with this SecurityId, or nothing when there is none. Null columns read as "".
    static std::optional<Details> find(const QString& securityId);

    // Writes the names and e-mail address to the user's row; nothing else changes. An
    // identifier that names no user changes nothing.
    static void updateNames(const QString& securityId, const Details& details);

    // Writes user name, names and e-mail address to the user's row, and the password too
    // unless it is empty, in which case the stored one stays. An identifier that names no user
    // changes nothing.
    static void update(const QString& securityId, const Details& details, const QString& password);

    // Calls `visit` for every user except the built-in account (last name "Administrator"),
    // in the order they were added. Users without a last name are not listed.
    // A failure part-way through throws after the users read so far were visited.
    static void forEachListed(const std::function<void(const Listed&)>& visit);
};
