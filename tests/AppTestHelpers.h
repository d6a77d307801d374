#pragma once

// Helpers shared by the tests of the start, the login and the main window: users in Security,
// files in the application folder.

#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/PasswordHash.h"

#include <QFile>
#include <QHash>
#include <QTest>

namespace ShellTest {

// The hash of `password`, computed once per test program (hashing is slow on purpose).
inline QString hashed(const QString& password)
{
    static QHash<QString, QString> known;
    if (!known.contains(password))
        known.insert(password, PasswordHash::hash(password));
    return known.value(password);
}

// Adds a Security row with the password stored exactly as given; returns its SecurityId.
inline QString addUser(const QString& userName, const QString& storedPassword, const QVariant& middleName = QString(),
                       int level = 1)
{
    CLsDataBaseConnection db;
    db.Execute(QStringLiteral("INSERT INTO Security (UserName, UserPassword, UserFirstName, UserMiddleName, "
                              "UserLastName, UserLevel) VALUES (?, ?, 'Ann', ?, 'Smith', ?)"),
               {userName, storedPassword, middleName, level});
    const QString id = db.database().scalar(QStringLiteral("SELECT MAX(SecurityId) FROM Security")).toString();
    db.DbClose();
    return id;
}

inline QString storedPassword(const QString& securityId)
{
    CLsDataBaseConnection db;
    const QString stored =
        db.database()
            .scalar(QStringLiteral("SELECT UserPassword FROM Security WHERE SecurityId = ?"), {securityId.toLongLong()})
            .toString();
    db.DbClose();
    return stored;
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeAll(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

} // namespace ShellTest
