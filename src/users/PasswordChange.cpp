#include "users/PasswordChange.h"

#include "store/CLsDataBaseConnection.h"
#include "store/PasswordHash.h"
#include "users/UserAccounts.h"

PasswordChange::Outcome PasswordChange::check(const QString& oldPassword, const QString& newPassword,
                                              const QString& retyped)
{
    if (oldPassword.isEmpty())
        return Outcome::MissingOldPassword;
    if (newPassword == oldPassword)
        return Outcome::SameAsOld;
    if (newPassword != retyped)
        return Outcome::Mismatch;
    return Outcome::Changed;
}

PasswordChange::Outcome PasswordChange::apply(const QString& securityId, const QString& oldPassword,
                                              const QString& newPassword, const QString& retyped)
{
    const Outcome checked = check(oldPassword, newPassword, retyped);
    if (checked != Outcome::Changed)
        return checked;

    // An identifier that is not a whole number names no user.
    const std::optional<qint64> key = UserAccounts::idOf(securityId);
    if (!key)
        return Outcome::WrongOldPassword;

    CLsDataBaseConnection db;
    Recordset rs = db.CreateRecordset(QStringLiteral("SELECT * FROM Security WHERE SecurityId = ?"), {*key});
    const bool found = !rs.eof();
    const QString stored = found ? rs.text(QStringLiteral("UserPassword")) : QString();
    rs.close();

    Outcome outcome = Outcome::WrongOldPassword;
    if (found && PasswordHash::verify(stored, oldPassword)) {
        // Stored already (by another tool or session): nothing to write.
        if (!PasswordHash::verify(stored, newPassword))
            db.Execute(QStringLiteral("UPDATE Security SET UserPassword = ? WHERE SecurityId = ?"),
                       {PasswordHash::hash(newPassword), *key});
        outcome = Outcome::Changed;
    }
    db.DbClose();
    return outcome;
}

QString PasswordChange::message(Outcome outcome)
{
    switch (outcome) {
    case Outcome::MissingOldPassword:
        return QStringLiteral("You must supply your old password");
    case Outcome::SameAsOld:
        return QStringLiteral("The new password cannot match the old password");
    case Outcome::Mismatch:
        return QStringLiteral("Passwords do not match");
    case Outcome::WrongOldPassword:
        return QStringLiteral("The old password is incorrect");
    case Outcome::Changed:
        break;
    }
    return QStringLiteral("Your password has been changed");
}
