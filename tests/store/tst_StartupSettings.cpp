#include "AppTestHelpers.h"
#include "TestDatabaseFolder.h"
#include "store/StartupSettings.h"

#include <QDir>

class TestStartupSettings : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void writeReplacesTheFileWithTwoCrLfLines();
    void readOrCreateWritesTheDefaults();
};

void TestStartupSettings::parse_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("quick");
    QTest::addColumn<bool>("byClient");

    QTest::newRow("defaults") << QByteArray("QuickLogin,No\r\nStartView,Client\r\n") << false << true;
    QTest::newRow("quick, company") << QByteArray("QuickLogin,Yes\r\nStartView,Company\r\n") << true << false;
    QTest::newRow("lower case") << QByteArray("QuickLogin,yes\r\nStartView,client\r\n") << false << false;
    QTest::newRow("keys not checked") << QByteArray("StartView,Yes\r\nQuickLogin,Client\r\n") << true << true;
    QTest::newRow("one line, LF") << QByteArray("QuickLogin,Yes,StartView,Company\n") << true << false;
    QTest::newRow("quoted, blank line") << QByteArray("\"QuickLogin\",\"Yes\"\r\n\r\nStartView,Company") << true
                                        << false;
    QTest::newRow("one line") << QByteArray("QuickLogin,Yes\r\n") << true << true;
    QTest::newRow("one field") << QByteArray("QuickLogin") << false << true;
    QTest::newRow("empty") << QByteArray() << false << true;
}

void TestStartupSettings::parse()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, quick);
    QFETCH(bool, byClient);
    const StartupSettings settings = StartupSettings::parse(content);
    QCOMPARE(settings.quickLogin(), quick);
    QCOMPARE(settings.startByClient(), byClient);
}

void TestStartupSettings::writeReplacesTheFileWithTwoCrLfLines()
{
    TestDatabaseFolder folder(false);
    const QString path = folder.file(QStringLiteral("Settings.ini"));
    ShellTest::writeAll(path, "QuickLogin,No\r\nStartView,Client\r\nand a long tail of older text\r\n");
    StartupSettings settings;
    settings.QuickLogin = QStringLiteral("Yes");
    settings.StartView = QStringLiteral("Company");

    settings.write();

    QCOMPARE(ShellTest::readAll(path), QByteArray("QuickLogin,Yes\r\nStartView,Company\r\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("Settings.ini")});
}

void TestStartupSettings::readOrCreateWritesTheDefaults()
{
    TestDatabaseFolder folder(false);
    const QString path = folder.file(QStringLiteral("Settings.ini"));
    QVERIFY(!StartupSettings::read().quickLogin());
    QVERIFY(!QFile::exists(path));

    QVERIFY(!StartupSettings::readOrCreate().quickLogin());
    QCOMPARE(ShellTest::readAll(path), QByteArray("QuickLogin,No\r\nStartView,Client\r\n"));

    // An existing file, however short, is read and kept.
    ShellTest::writeAll(path, "QuickLogin,Yes");
    QVERIFY(StartupSettings::readOrCreate().quickLogin());
    QCOMPARE(ShellTest::readAll(path), QByteArray("QuickLogin,Yes"));
}

QTEST_MAIN(TestStartupSettings)
#include "tst_StartupSettings.moc"
