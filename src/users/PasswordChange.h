#pragma once

#include <QString>

// The rules of changing the logged-in user's password.
class PasswordChange
{
public:
    enum class Outcome
    {
        MissingOldPassword,
        SameAsOld,
        Mismatch,
        WrongOldPassword,
        Changed,
    };

    // The checks that need no database, in the order they apply; Changed when all pass.
    static Outcome check(const QString& oldPassword, const QString& newPassword, const QString& retyped);

    // Checks, verifies the old password against the stored one of user `securityId` and
    // stores the new password's hash. Nothing is written unless the outcome is Changed.
    static Outcome apply(const QString& securityId, const QString& oldPassword, const QString& newPassword,
                         const QString& retyped);

    // The text shown for an outcome.
    static QString message(Outcome outcome);
};
