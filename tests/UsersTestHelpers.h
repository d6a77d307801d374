#pragma once

// Shared by the user window tests: controls by name, and Security rows made and read directly.

#include "TestSupport.h"
#include "store/Database.h"
#include "store/PasswordHash.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>

inline QLineEdit* box(QWidget& window, const char* name)
{
    return window.findChild<QLineEdit*>(QString::fromLatin1(name));
}

inline void type(QWidget& window, const char* name, const QString& text)
{
    box(window, name)->clear();
    QTest::keyClicks(box(window, name), text);
}

inline void click(QWidget& window, const char* name)
{
    auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(name));
    // A check box answers clicks on its box and caption only, not on the rest of its width.
    const QPoint at = qobject_cast<QCheckBox*>(button) ? QPoint(6, button->height() / 2) : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, {}, at);
}

// Every user made here has the password "12L3"; hashing is slow by design, so it is hashed once.
inline QString addUser(const QString& userName, const QString& first, const QVariant& middle, const QString& last)
{
    static const QString hash = PasswordHash::hash(QStringLiteral("12L3"));
    CLsDataBaseConnection db;
    db.Execute(QStringLiteral("INSERT INTO Security (UserName, UserPassword, UserFirstName, UserMiddleName, "
                              "UserLastName, UserEMailAddress, UserLevel) VALUES (?, ?, ?, ?, ?, ?, 1)"),
               {userName, hash, first, middle, last, userName + QStringLiteral("@ex.org")});
    return QString::number(db.database().lastInsertRowId());
}

// The first row whose `column` equals `value`, as column name → value.
inline QVariantMap storedUser(const QString& column, const QVariant& value)
{
    CLsDataBaseConnection db;
    Recordset rs = db.CreateRecordset(QStringLiteral("SELECT * FROM Security WHERE %1 = ?").arg(column), {value});
    QVariantMap row;
    for (const QString& name : rs.fieldNames())
        row.insert(name, rs.eof() ? QVariant() : rs.field(name));
    rs.close();
    db.DbClose();
    return row;
}
