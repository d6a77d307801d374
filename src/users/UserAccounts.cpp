#include "users/UserAccounts.h"

#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/PasswordHash.h"
#include "store/UserLevels.h"

#include <QVariant>

namespace {

// SecurityId is an integer column; a numeric text is bound as a number.
QVariant key(const QString& securityId)
{
    bool numeric = false;
    const qlonglong id = securityId.trimmed().toLongLong(&numeric);
    return numeric ? QVariant(id) : QVariant(securityId);
}

} // namespace

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
    CLsDataBaseConnection db;
    Recordset rs = db.CreateRecordset(QStringLiteral("SELECT * FROM Security WHERE SecurityId = ?"), {key(securityId)});
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
    CLsDataBaseConnection db;
    db.Execute(QStringLiteral("UPDATE Security SET UserFirstName = ?, UserMiddleName = ?, UserLastName = ?, "
                              "UserEMailAddress = ? WHERE SecurityId = ?"),
               {details.firstName, details.middleName, details.lastName, details.eMailAddress, key(securityId)});
    db.DbClose();
}

void UserAccounts::update(const QString& securityId, const Details& details, const QString& password)
{
    CLsDataBaseConnection db;
    if (password.isEmpty()) {
        db.Execute(QStringLiteral("UPDATE Security SET UserName = ?, UserFirstName = ?, UserMiddleName = ?, "
                                  "UserLastName = ?, UserEMailAddress = ? WHERE SecurityId = ?"),
                   {details.userName, details.firstName, details.middleName, details.lastName, details.eMailAddress,
                    key(securityId)});
    } else {
        db.Execute(QStringLiteral("UPDATE Security SET UserName = ?, UserPassword = ?, UserFirstName = ?, "
                                  "UserMiddleName = ?, UserLastName = ?, UserEMailAddress = ? WHERE SecurityId = ?"),
                   {details.userName, PasswordHash::hash(password), details.firstName, details.middleName,
                    details.lastName, details.eMailAddress, key(securityId)});
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
