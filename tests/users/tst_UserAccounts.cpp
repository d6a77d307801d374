// The users' rows as the user windows read and write them, without a window.

#include "DatabaseRows.h"
#include "TestDatabaseFolder.h"
#include "store/DatabaseSchema.h"
#include "users/PasswordChange.h"
#include "users/UserAccounts.h"

#include <QTest>

class tst_UserAccounts : public QObject
{
    Q_OBJECT

private slots:
    void idThatIsNoWholeNumberNamesNoUser_data();
    void idThatIsNoWholeNumberNamesNoUser();
};

void tst_UserAccounts::idThatIsNoWholeNumberNamesNoUser_data()
{
    QTest::addColumn<QString>("securityId");
    QTest::newRow("letters") << "one";
    QTest::newRow("decimal fraction") << "1.0";
    QTest::newRow("exponent") << "1e0";
    QTest::newRow("empty") << "";
}

// The built-in account is user 1; none of these texts names it, nor any other user.
void tst_UserAccounts::idThatIsNoWholeNumberNamesNoUser()
{
    QFETCH(QString, securityId);
    TestDatabaseFolder folder;
    const QString users = QStringLiteral("SELECT * FROM Security ORDER BY SecurityId");
    const QList<QVariantList> before = DatabaseRows::rows(users);

    QVERIFY(!UserAccounts::find(securityId));
    const UserAccounts::Details details{QStringLiteral("someone"), QStringLiteral("Some"), QString(),
                                        QStringLiteral("One"), QString()};
    UserAccounts::updateNames(securityId, details);
    UserAccounts::update(securityId, details, QStringLiteral("Secret1!"));
    const QString builtIn = QString::fromLatin1(DatabaseSchema::BuiltInPassword);
    QCOMPARE(PasswordChange::apply(securityId, builtIn, QStringLiteral("Another1!"), QStringLiteral("Another1!")),
             PasswordChange::Outcome::WrongOldPassword);

    QCOMPARE(DatabaseRows::rows(users), before);
    QVERIFY(UserAccounts::find(QStringLiteral("1")));
}

QTEST_GUILESS_MAIN(tst_UserAccounts)
#include "tst_UserAccounts.moc"
