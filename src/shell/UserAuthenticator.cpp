#include "shell/UserAuthenticator.h"

#include "store/CLsDataBaseConnection.h"
#include "store/DatabaseSchema.h"
#include "store/PasswordHash.h"

std::optional<UserAuthenticator::User> UserAuthenticator::authenticate(const QString& userName, const QString& password)
{
    CLsDataBaseConnection db;
    Recordset rs = db.CreateRecordset(QStringLiteral("SELECT * FROM Security WHERE UserName = ?"), {userName});
    std::optional<User> user;
    QString storedPassword;
    while (!rs.eof()) {
        storedPassword = rs.text(QStringLiteral("UserPassword"));
        if (PasswordHash::verify(storedPassword, password)) {
            user = User{rs.field(QStringLiteral("UserFirstName")), rs.field(QStringLiteral("UserMiddleName")),
                        rs.field(QStringLiteral("UserLastName")), rs.text(QStringLiteral("SecurityId")),
                        rs.field(QStringLiteral("UserLevel")).toInt()};
            break;
        }
        rs.moveNext();
    }
    rs.close();

    if (user && !PasswordHash::isHash(storedPassword))
        db.Execute(QStringLiteral("UPDATE Security SET UserPassword = ? WHERE SecurityId = ?"),
                   {PasswordHash::hash(password), user->securityId.toLongLong()});
    db.DbClose();
    return user;
}

int UserAuthenticator::userCount()
{
    CLsDataBaseConnection db;
    Recordset rs = db.CreateRecordset(QStringLiteral("SELECT * FROM Security"));
    const int count = rs.recordCount();
    rs.close();
    db.DbClose();
    return count;
}

QString UserAuthenticator::onlyBuiltInAccountMessage()
{
    const QString quote = QStringLiteral("\"");
    return QStringLiteral("Currently there are no user defined\r\n"
                          "Press enter to define a user\r\n"
                          "Once the user has been defined restart the application to login\r\n"
                          "To do so please login as User Name: ") +
           quote + QString::fromLatin1(DatabaseSchema::BuiltInUserName) + quote + QStringLiteral(", Password: ") +
           quote + QString::fromLatin1(DatabaseSchema::BuiltInPassword) + quote;
}
