#pragma once

#include "users/UserSession.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

// Checks a user name and password against the Security table.
class UserAuthenticator
{
public:
    // The first row, in the order the users were added, with exactly this user name whose
    // stored password is `password`.
    // A row without a stored password (Null) matches nothing. A matching password that
    // was stored as typed (a row written by another tool) is replaced by its hash.
    // Every attempt checks the typed password against at least one hash, whether or not
    // the name exists, so that the time of the answer does not tell which names do.
    static std::optional<UserSession> authenticate(const QString& userName, const QString& password);

    // Checks a typed password against a stored hash; PasswordHash::verify unless replaced.
    using HashCheck = std::function<bool(const QString& storedHash, const QString& typed)>;
    // Replaces the check (for tests that watch which hashes a login checks); an empty
    // function restores PasswordHash::verify.
    static void setHashCheck(HashCheck check);

    // Number of rows in Security.
    static int userCount();

    // The information shown while the built-in account is the only user.
    static QString onlyBuiltInAccountMessage();
};
