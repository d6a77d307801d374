#include "users/NewUserCheck.h"

NewUserCheck::Result NewUserCheck::check(const QString& password, const QString& retyped, const QString& userName)
{
    if (password.isEmpty())
        return Result::MissingPassword;
    if (retyped.isEmpty())
        return Result::MissingConfirmation;
    if (userName.isEmpty())
        return Result::MissingUserName;
    if (password != retyped)
        return Result::Mismatch;
    return Result::Valid;
}

QString NewUserCheck::message(Result result)
{
    switch (result) {
    case Result::MissingPassword:
        return QStringLiteral("Invalid Password");
    case Result::MissingConfirmation:
        return QStringLiteral("Invalid password confirmation");
    case Result::MissingUserName:
        return QStringLiteral("User Name can not be null");
    case Result::Mismatch:
        return QStringLiteral("The passwords do not match");
    case Result::Valid:
        break;
    }
    return {};
}
