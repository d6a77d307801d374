#include "users/UserAccounts.h"

#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/PasswordHash.h"
#include "store/UserLevels.h"

#include <QVariant>

std::optional<qint64> UserAccounts::idOf(const QString& securityId)
{
    bool numeric = false;
    const qint64 id = securityId.trimmed().toLongLong(&numeric);
    if (!numeric)
        return std::nullopt;
    return id;
}

QString UserAccounts::add(const Details& details, const QString& password, bool administrator)
{
    CLsDataBaseConnection db;
    db.Execute(QStringLiteral("INSERT INTO Security (UserName, UserPassword, UserFirstName, UserMiddleName, "
                              "UserLastName, UserEMailAddress, UserLevel) VALUES (?, ?, ?, ?, ?, ?, ?)"),
               {details.userName, PasswordHash::hash(password), details.firstName, details.middleName, details.lastName,
                details.eMailAddress, administrator ? UserLevels::Administrator : UserLevels::Ordinary});
    const QString id = QString::number(db.database().lastInsertRowId());
    db.DbClose();
    return id;
}

std::optional<UserAccounts::Details> UserAccounts::find(const QString& securityId)
{
    const std::optional<qint64> id = idOf(securityId);
    if (!id)
        return std::nullopt;
    CLsDataBaseConnection db;
    Recordset rs = db.CreateRecordset(QStringLiteral("SELECT * FROM Security WHERE SecurityId = ?"), {*id});
    std::optional<Details> found;
    if (!rs.eof()) {
        found = Details{rs.text(QStringLiteral("UserName")), rs.text(QStringLiteral("UserFirstName")),
                        rs.text(QStringLiteral("UserMiddleName")), rs.text(QStringLiteral("UserLastName")),
                        rs.text(QStringLiteral("UserEMailAddress"))};
    }
    rs.close();
    db.DbClose();
    return found;
}

void UserAccounts::updateNames(const QString& securityId, const Details& details)
{
    const std::optional<qint64> id = idOf(securityId);
    if (!id)
        return;
    CLsDataBaseConnection db;
    db.Execute(QStringLiteral("UPDATE Security SET UserFirstName = ?, UserMiddleName = ?, UserLastName = ?, "
                              "UserEMailAddress = ? WHERE SecurityId = ?"),
               {details.firstName, details.middleName, details.lastName, details.eMailAddress, *id});
    db.DbClose();
}

void UserAccounts::update(const QString& securityId, const Details& details, const QString& password)
{
    const std::optional<qint64> id = idOf(securityId);
    if (!id)
        return;
    CLsDataBaseConnection db;
    if (password.isEmpty()) {
        db.Execute(
            QStringLiteral("UPDATE Security SET UserName = ?, UserFirstName = ?, UserMiddleName = ?, "
                           "UserLastName = ?, UserEMailAddress = ? WHERE SecurityId = ?"),
            {details.userName, details.firstName, details.middleName, details.lastName, details.eMailAddress, *id});
    } else {
        db.Execute(QStringLiteral("UPDATE Security SET UserName = ?, UserPassword = ?, UserFirstName = ?, "
                                  "UserMiddleName = ?, UserLastName = ?, UserEMailAddress = ? WHERE SecurityId = ?"),
                   {details.userName, PasswordHash::hash(password), details.firstName, details.middleName,
                    details.lastName, details.eMailAddress, *id});
    }
    db.DbClose();
}

void UserAccounts::forEachListed(const std::function<void(const Listed&)>& visit)
{
    CLsDataBaseConnection db;
    Recordset rs =
        db.CreateRecordset(QStringLiteral("SELECT * FROM Security WHERE UserLastName <> ? ORDER BY SecurityId"),
                           {QStringLiteral("Administrator")});
    while (!rs.eof()) {
        visit(Listed{rs.text(QStringLiteral("SecurityId")), rs.text(QStringLiteral("UserFirstName")),
                     rs.text(QStringLiteral("UserMiddleName")), rs.text(QStringLiteral("UserLastName"))});
        rs.moveNext();
    }
    rs.close();
    db.DbClose();
}
