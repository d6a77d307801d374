#pragma once

#include <QString>

// What must hold before a new user is written, checked in a fixed order; only the
// first failing check is reported.
class NewUserCheck
{
public:
    enum class Result
    {
        Valid,
        MissingPassword,
        MissingConfirmation,
        MissingUserName,
        Mismatch
    };

    static Result check(const QString& password, const QString& retyped, const QString& userName);
    // The message shown for a failed check; empty for Valid.
    static QString message(Result result);
};
