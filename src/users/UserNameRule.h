#pragma once

#include <QString>

// The login name proposed for a person: the initials of the first and middle names
// followed by the whole last name ("Ann Marie Lee" gives "AMLee"). Letters keep their case.
class UserNameRule
{
public:
    static QString generate(const QString& firstName, const QString& middleName, const QString& lastName);
};
