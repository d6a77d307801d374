#include "store/ApplicationFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Where the program keeps its files, from its arguments and the folder of its executable.
class TestApplicationFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void chosenFolder_data()
    {
        QTest::addColumn<QString>("executable"); // below the temporary folder
        QTest::addColumn<bool>("desktopEntry");  // share/applications/… beside the executable's bin
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("chosen"); // "EXE", "DATA" or a folder below the temporary one
        QTest::newRow("a build folder") << "build/src/app" << false << ""
                                        << "EXE";
        QTest::newRow("a bin folder of the user's own") << "tools/bin" << false << ""
                                                        << "EXE";
        QTest::newRow("installed, writable prefix") << "prefix/bin" << true << ""
                                                    << "DATA";
        QTest::newRow("installed, told a folder") << "prefix/bin" << true << "--app-dir office"
                                                  << "office";
    }

    void chosenFolder()
    {
        QFETCH(QString, executable);
        QFETCH(bool, desktopEntry);
        QFETCH(QString, arguments);
        QFETCH(QString, chosen);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString exeFolder = root.filePath(executable);
        QVERIFY(QDir().mkpath(exeFolder));
        if (desktopEntry) {
            const QString share = QDir(exeFolder).filePath(QStringLiteral("../share/applications"));
            QVERIFY(QDir().mkpath(share));
            QFile entry(QDir(share).filePath(QStringLiteral("org.orvanta.Orvanta.desktop")));
            QVERIFY(entry.open(QIODevice::WriteOnly));
        }
        QStringList args;
        for (const QString& part : arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            args.append(part == QLatin1String("office") ? root.filePath(part) : part);

        const QString expected = chosen == QLatin1String("EXE") ? exeFolder
                                 : chosen == QLatin1String("DATA")
                                     ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                                     : root.filePath(chosen);
        QCOMPARE(QDir::cleanPath(ApplicationFolder::resolve(args, exeFolder)), QDir::cleanPath(expected));
        QVERIFY(QFileInfo(expected).isDir());
    }
};

QTEST_GUILESS_MAIN(TestApplicationFolder)
#include "tst_ApplicationFolder.moc"
