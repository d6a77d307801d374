#include "users/UserAuthenticator.h"

#include "store/CLsDataBaseConnection.h"
#include "store/DatabaseSchema.h"
#include "store/PasswordHash.h"

#include <QUuid>

namespace {

UserAuthenticator::HashCheck& replacedHashCheck()
{
    static UserAuthenticator::HashCheck check;
    return check;
}

bool checkHash(const QString& storedHash, const QString& typed)
{
    const UserAuthenticator::HashCheck& check = replacedHashCheck();
    return check ? check(storedHash, typed) : PasswordHash::verify(storedHash, typed);
}

// Checked when no row of the name holds a hash, so that such an attempt costs as much as
// one that does; what the check answers is never used. The hash of 32 random bytes nobody
// kept, made with the costs new hashes get, so that the first attempt of a process does not
// pay for making one; should those costs change, one is made at the first attempt instead.
const QString& standInHash()
{
    static const QString hash = [] {
        const QString fixed = QStringLiteral(
            "$argon2id$v=19$m=65536,t=2,p=1$2VoLE9UJT2OPZU5ZbZUu7A$nUNkvESW6BZKQI4QgkwukWyQltD1y5FPAofcpUHFrWo");
        return PasswordHash::needsRehash(fixed) ? PasswordHash::hash(QUuid::createUuid().toString()) : fixed;
    }();
    return hash;
}

} // namespace

void UserAuthenticator::setHashCheck(HashCheck check)
{
    replacedHashCheck() = std::move(check);
}

std::optional<UserSession> UserAuthenticator::authenticate(const QString& userName, const QString& password)
{
    // Made before the lookup, so that the first attempt costs the same whatever the name.
    const QString& standIn = standInHash();

    CLsDataBaseConnection db;
    Recordset rs =
        db.CreateRecordset(QStringLiteral("SELECT * FROM Security WHERE UserName = ? ORDER BY SecurityId"), {userName});
    std::optional<UserSession> user;
    QString storedPassword;
    bool hashChecked = false;
    while (!rs.eof()) {
        const QVariant stored = rs.field(QStringLiteral("UserPassword"));
        bool matches = false;
        // A user without a password cannot log in, not even with an empty one.
        if (!stored.isNull()) {
            storedPassword = stored.toString();
            if (PasswordHash::isHash(storedPassword)) {
                hashChecked = true;
                matches = checkHash(storedPassword, password);
            } else {
                matches = storedPassword == password;
            }
        }
        if (matches) {
            user = UserSession{rs.field(QStringLiteral("UserFirstName")), rs.field(QStringLiteral("UserMiddleName")),
                               rs.field(QStringLiteral("UserLastName")), rs.text(QStringLiteral("SecurityId")),
                               rs.field(QStringLiteral("UserLevel")).toInt()};
            break;
        }
        rs.moveNext();
    }
    rs.close();
    // Every attempt costs one Argon2id run: the check of a stored hash, the hash replacing a
    // password stored as typed, or else the stand-in's check.
    const bool storedAsTyped = user && !PasswordHash::isHash(storedPassword);
    if (!hashChecked && !storedAsTyped)
        checkHash(standIn, password);

    if (storedAsTyped)
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
