#include "clients/ClientImportFile.h"
#include "clients/CsvWriter.h"
#include "clients/ImportFileError.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Rows = QList<QStringList>;

namespace {

// Each row as "line: cells" so that a failure shows where they part.
QStringList described(const ImportTable& table)
{
    QStringList out;
    for (const ImportTable::Row& row : table.rows)
        out.append(QString::number(row.line) + QStringLiteral(": ") + row.cells.join(QStringLiteral("|")));
    return out;
}

} // namespace

// Files of clients as other programs write them, read as the import reads them: the bytes of a
// file go in, the table (or the error naming the file and line) comes out.
class TestClientImportFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("clients.csv"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void readsTables_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("header");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("plain, LF, no final break")
            << QByteArray("Last Name,First Name\nMiller,Ann\nSmith,Bob") << QStringList{"Last Name", "First Name"}
            << QStringList{"2: Miller|Ann", "3: Smith|Bob"};
        QTest::newRow("quotes, embedded separator, quote and line breaks")
            << QByteArray("Name,Note,City\r\n\"Miller, Ann\",\"said \"\"hi\"\"\r\nthen left\",Bonn\r\n"
                          "\"O'Neil\",\"a\nb\",\"\"\r\nlast,\"\",x\r\n")
            << QStringList{"Name", "Note", "City"}
            << QStringList{"2: Miller, Ann|said \"hi\"\r\nthen left|Bonn", "4: O'Neil|a\nb|", "6: last||x"};
        QTest::newRow("BOM, CR line breaks") << QByteArray("\xEF\xBB\xBFName;City\rM\xC3\xBCller;K\xC3\xB6ln\r")
                                             << QStringList{"Name", "City"} << QStringList{"2: Müller|Köln"};
        QTest::newRow("Windows-1252") << QByteArray("Nachname;Ort\r\nM\xFCller;K\xF6ln\r\n\x80 Stra\xDF"
                                                    "e;\x93Z\x94\r\n")
                                      << QStringList{"Nachname", "Ort"}
                                      << QStringList{"2: Müller|Köln", "3: € Straße|“Z”"};
        QTest::newRow("semicolons, commas inside")
            << QByteArray("Name;Firma\nMiller, Ann;A, B & Co\n") << QStringList{"Name", "Firma"}
            << QStringList{"2: Miller, Ann|A, B & Co"};
        QTest::newRow("tabs") << QByteArray("Name\tPhone\tCity\nMiller; Ann\t0228, 1\tBonn\n")
                              << QStringList{"Name", "Phone", "City"} << QStringList{"2: Miller; Ann|0228, 1|Bonn"};
        QTest::newRow("blank lines skipped, lines counted")
            << QByteArray("\n\nName,City\n\nMiller,Bonn\n   \n\r\nSmith,Köln\n\n") << QStringList{"Name", "City"}
            << QStringList{"5: Miller|Bonn", "8: Smith|Köln"};
        QTest::newRow("one column, a quoted empty row kept")
            << QByteArray("Name\nMiller\n\"\"\n") << QStringList{"Name"} << QStringList{"2: Miller", "3: "};
        QTest::newRow("header trimmed, separator only in a later line's quotes")
            << QByteArray(" Name , City \n\"a;b\",c\n") << QStringList{"Name", "City"} << QStringList{"2: a;b|c"};
        // What the export writes comes back as it was.
        const QStringList awkward{" lead", "a,b", "q\"uote", "line\r\nbreak", "Zoë Łukasz", ""};
        QTest::newRow("written by CsvWriter")
            << CsvWriter::write({"A", "B", "C", "D", "E", "F"}, {awkward}) << QStringList{"A", "B", "C", "D", "E", "F"}
            << QStringList{QStringLiteral("2: ") + awkward.join(QStringLiteral("|"))};
    }

    void readsTables()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, header);
        QFETCH(QStringList, rows);
        ClientImportFile::Format format = ClientImportFile::Format::VCard;
        const ImportTable table = ClientImportFile::read(write(bytes), &format);
        QCOMPARE(format, ClientImportFile::Format::Csv);
        QCOMPARE(table.header, header);
        QCOMPARE(described(table), rows);
    }

    void refusesBadFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("line");
        QTest::addColumn<QString>("message");

        QTest::newRow("ragged row") << QByteArray("A,B,C\n1,2,3\n\n\"x\ny\",2,3\n1,2\n") << qint64(6)
                                    << QStringLiteral("\"clients.csv\": Line 6 has 2 fields; the first line has 3.");
        QTest::newRow("too many fields") << QByteArray("A;B\r\n1;2;3\r\n") << qint64(2)
                                         << QStringLiteral(
                                                "\"clients.csv\": Line 2 has 3 fields; the first line has 2.");
        QTest::newRow("unterminated quote")
            << QByteArray("A,B\n1,2\n3,\"open\n4,5\n6,7\n") << qint64(3)
            << QStringLiteral("\"clients.csv\": The quoted field that starts on line 3 is not closed.");
        QTest::newRow("NUL bytes") << QByteArray("A,B\n1,2\nx\0y,3\n", 14) << qint64(3)
                                   << QStringLiteral("\"clients.csv\" is not a text file (line 3).");
        QByteArray controls("Name\n");
        for (int i = 0; i < 200; ++i)
            controls.append(char(1 + i % 8));
        QTest::newRow("control characters")
            << controls << qint64(2) << QStringLiteral("\"clients.csv\" is not a text file (line 2).");
        QTest::newRow("empty") << QByteArray() << qint64(0) << QStringLiteral("\"clients.csv\" is empty.");
        QTest::newRow("blank") << QByteArray("\xEF\xBB\xBF\r\n \n\t\n") << qint64(0)
                               << QStringLiteral("\"clients.csv\" is empty.");
    }

    void refusesBadFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, line);
        QFETCH(QString, message);
        try {
            ClientImportFile::read(write(bytes));
            QFAIL("read");
        } catch (const ImportFileError& e) {
            QCOMPARE(e.message(), message);
            QCOMPARE(e.line(), line);
        }
    }

    // A file above the limit is refused from its size, before a byte of it is read.
    void refusesTooLargeFiles()
    {
        const QString path = m_dir.filePath(QStringLiteral("huge.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(2LL * 1024 * 1024 * 1024)); // sparse: no disk space taken
        file.close();
        try {
            ClientImportFile::read(path);
            QFAIL("read");
        } catch (const ImportFileError& e) {
            QCOMPARE(e.message(),
                     QStringLiteral("\"huge.csv\" is 2 GB, more than the 64 MB a file to import may have."));
        }
    }

    void tellsVCardsFromContent()
    {
        QCOMPARE(ClientImportFile::formatOf(QStringLiteral("\r\n  begin:vcard\r\nVERSION:3.0\r\n")),
                 ClientImportFile::Format::VCard);
        QCOMPARE(ClientImportFile::formatOf(QStringLiteral("Name,BEGIN:VCARD\n")), ClientImportFile::Format::Csv);
    }
};

QTEST_GUILESS_MAIN(TestClientImportFile)
#include "tst_ClientImportFile.moc"
