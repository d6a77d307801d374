#include "AppTestHelpers.h"
#include "ProcessUmask.h"
#include "TestSupport.h"
#include "app/TempFolders.h"

#include <QDir>
#include <QFileInfo>

class TestTempFolders : public QObject
{
    Q_OBJECT

private slots:
    void ensure_data();
    void ensure();
    void clearDeletesOnlyFilesDirectlyInTemp();
};

void TestTempFolders::ensure_data()
{
    QTest::addColumn<bool>("tempExists");
    QTest::newRow("neither") << false;
    QTest::newRow("Temp without Search") << true;
}

void TestTempFolders::ensure()
{
    QFETCH(bool, tempExists);
    const ProcessUmask mask(022);
    TestAppFolder folder(false);
    const QString temp = folder.file(QStringLiteral("Temp"));
    if (tempExists) {
        QVERIFY(QDir().mkpath(temp));
        ShellTest::writeAll(temp + QStringLiteral("/kept.doc"), "x");
    }

    TempFolders::ensure();

    QVERIFY(QFileInfo(temp + QStringLiteral("/Search")).isDir());
    QCOMPARE(QFileInfo::exists(temp + QStringLiteral("/kept.doc")), tempExists);
    // The folders a person's viewed documents go to are theirs alone; one already there is
    // left as it was.
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner | QFileDevice::ReadUser | QFileDevice::WriteUser |
                                               QFileDevice::ExeUser;
    QCOMPARE(QFileInfo(temp + QStringLiteral("/Search")).permissions(), ownerOnly);
    if (!tempExists)
        QCOMPARE(QFileInfo(temp).permissions(), ownerOnly);
}

void TestTempFolders::clearDeletesOnlyFilesDirectlyInTemp()
{
    TestAppFolder folder(false);
    QCOMPARE(TempFolders::clear(), 0); // no Temp yet
    TempFolders::ensure();
    const QString temp = folder.file(QStringLiteral("Temp"));
    QVERIFY(QDir().mkpath(temp + QStringLiteral("/Other")));
    for (const char* name : {"/Report.doc", "/no extension", "/Search/candidate.txt", "/Other/inner.txt"})
        ShellTest::writeAll(temp + QString::fromLatin1(name), "x");

    QCOMPARE(TempFolders::clear(), 2);

    QCOMPARE(QDir(temp).entryList(QDir::Files), QStringList());
    QVERIFY(QFileInfo::exists(temp + QStringLiteral("/Search/candidate.txt")));
    QVERIFY(QFileInfo::exists(temp + QStringLiteral("/Other/inner.txt")));
}

QTEST_MAIN(TestTempFolders)
#include "tst_TempFolders.moc"
