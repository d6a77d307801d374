#include "users/UserSession.h"

UserSession UserSession::quickLogin()
{
    const QString blank = QStringLiteral(" ");
    return UserSession{blank, blank, blank, QStringLiteral("1"), UserLevels::Administrator, true};
}

QString UserSession::mainWindowTitle() const
{
    if (quick)
        return QStringLiteral("Orvanta : Quick Loging");
    // The names as read, so that a missing middle name leaves two spaces.
    return QStringLiteral("Orvanta : ") + firstName.toString() + QStringLiteral(" ") + middleName.toString() +
           QStringLiteral(" ") + lastName.toString();
}
