#include "app/CopyDatabaseCommand.h"
#include "store/Database.h"
#include "store/DatabaseSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The program as the build makes it, beside the tests' folder.
QString program()
{
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../src/app/orvanta"));
}

} // namespace

class TestCopyDatabaseCommand : public QObject
{
    Q_OBJECT

private slots:
    void linesTellTheProgress_data()
    {
        QTest::addColumn<bool>("documents");
        QTest::addColumn<qint64>("rowsDone");
        QTest::addColumn<qint64>("rows");
        QTest::addColumn<qint64>("bytesDone");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("line");
        QTest::newRow("no documents") << false << 0LL << 12345LL << 0LL << 0LL << "Clients: 12,345 rows";
        QTest::newRow("one row") << false << 0LL << 1LL << 0LL << 0LL << "Clients: 1 row";
        QTest::newRow("gigabytes") << true << 1234LL << 5000LL << 2100000000LL << 9800000000LL
                                   << "Clients: 1,234 of 5,000 rows, 2.1 of 9.8 GB";
        QTest::newRow("megabytes") << true << 0LL << 3LL << 0LL << 5300000LL << "Clients: 0 of 3 rows, 0.0 of 5.3 MB";
        QTest::newRow("bytes") << true << 2LL << 2LL << 700LL << 700LL << "Clients: 2 of 2 rows, 700 of 700 bytes";
    }

    void linesTellTheProgress()
    {
        QFETCH(bool, documents);
        QFETCH(qint64, rowsDone);
        QFETCH(qint64, rows);
        QFETCH(qint64, bytesDone);
        QFETCH(qint64, bytes);
        QFETCH(QString, line);
        DatabaseCopy::TableProgress progress;
        progress.table = QStringLiteral("Clients");
        progress.hasDocuments = documents;
        progress.rowsDone = rowsDone;
        progress.rows = rows;
        progress.bytesDone = bytesDone;
        progress.bytes = bytes;
        QCOMPARE(CopyDatabaseCommand::progressLine(progress), line);
    }

    // The program copies without a display (no platform it could show a window on) and
    // without a login, and tells how it went in its exit code and output.
    void programCopiesWithoutADisplay_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("giveTarget");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QStringList>("err");
        QTest::newRow("new file") << "Copy.mdb" << true << 0
                                  << "Copied 12 tables, 54 rows and 1 document (3.0 KB) from "
                                  << QStringList{"Security: 1 row", "Attachments: 0 of 1 rows, 0.0 of 3.0 KB",
                                                 "Attachments: 1 of 1 rows, 3.0 of 3.0 KB", "Checking the copy"};
        QTest::newRow("target not empty")
            << "Source.mdb" << true << 1 << "" << QStringList{"Orvanta could not copy the database", "is not empty"};
        QTest::newRow("target missing") << "" << false << 2 << ""
                                        << QStringList{"Usage: orvanta --copy-database FROM TO"};
    }

    void programCopiesWithoutADisplay()
    {
        QFETCH(QString, target);
        QFETCH(bool, giveTarget);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QStringList, err);
        QVERIFY2(QFile::exists(program()), qPrintable(program() + QStringLiteral(" is not built")));
        const QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("Source.mdb"));
        DatabaseSchema::ensure(source);
        {
            const Database db(source);
            db.execute(QStringLiteral("INSERT INTO Attachments (AttachmentsId, AttachmentsName, Attachments) "
                                      "VALUES (5, 'Letter', ?)"),
                       {QByteArray(3000, 'x')});
        }

        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        process.setProcessEnvironment(environment);
        QStringList arguments{QStringLiteral("--copy-database"), source};
        if (giveTarget)
            arguments.append(dir.filePath(target));
        process.start(program(), arguments);
        QVERIFY(process.waitForFinished(120000));
        const QString standardOut = QString::fromUtf8(process.readAllStandardOutput());
        const QString standardErr = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == exitCode, qPrintable(standardErr));
        QVERIFY2(standardOut.contains(out), qPrintable(standardOut));
        for (const QString& line : err)
            QVERIFY2(standardErr.contains(line), qPrintable(standardErr));
        if (exitCode == 0) {
            const Database copy(dir.filePath(target));
            QCOMPARE(copy.scalar(QStringLiteral("SELECT Attachments FROM Attachments WHERE AttachmentsId = 5")),
                     QVariant(QByteArray(3000, 'x')));
        }
    }
};

QTEST_GUILESS_MAIN(TestCopyDatabaseCommand)
#include "tst_CopyDatabaseCommand.moc"
