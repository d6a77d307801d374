#pragma once

#include "store/UserLevels.h"

#include <QString>
#include <QVariant>

// Who is logged in: made by the login, handed to the main window as one value.
struct UserSession
{
    // The names as read from Security (a missing middle name is Null).
    QVariant firstName;
    QVariant middleName;
    QVariant lastName;
    // SecurityId as text; "1" after a quick login.
    QString securityId;
    int level = UserLevels::Ordinary;
    // Made by the quick login, without a user name or password.
    bool quick = false;

    // The session of a quick login: blank names, administrator rights.
    static UserSession quickLogin();

    // The main window's caption for this session.
    QString mainWindowTitle() const;
};
