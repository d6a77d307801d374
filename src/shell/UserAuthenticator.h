#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// Checks a user name and password against the Security table.
class UserAuthenticator
{
public:
    // The columns of the matching row that the login hands to the main window. The
    // names are kept as read (a missing middle name is Null).
    struct User
    {
        QVariant firstName;
        QVariant middleName;
        QVariant lastName;
        QString securityId;
        int level = 0;
    };

    // The first row with exactly this user name whose stored password is `password`.
    // A matching password that was stored as typed (a row written by another tool) is
    // replaced by its hash.
    static std::optional<User> authenticate(const QString& userName, const QString& password);

    // Number of rows in Security.
    static int userCount();

    // The information shown while the built-in account is the only user.
    static QString onlyBuiltInAccountMessage();
};
