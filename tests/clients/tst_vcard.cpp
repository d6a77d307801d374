#include "clients/ImportFileError.h"
#include "clients/VCardReader.h"
#include "clients/VCardWriter.h"

#include <QTest>

namespace {

const QStringList columns = {QStringLiteral("First Name"),
                             QStringLiteral("Address One"),
                             QStringLiteral("Address Two"),
                             QStringLiteral("City"),
                             QStringLiteral("State"),
                             QStringLiteral("Zip Code"),
                             QStringLiteral("Home Phone Number"),
                             QStringLiteral("Cell Phone Number"),
                             QStringLiteral("Fax Number"),
                             QStringLiteral("Work Phone Number"),
                             QStringLiteral("Email Address"),
                             QStringLiteral("Country"),
                             QStringLiteral("Middle Name"),
                             QStringLiteral("Last Name"),
                             QStringLiteral("Job Title"),
                             QStringLiteral("Company")};

// Each row as "line: Column=value | …", its empty cells left out.
QStringList described(const ImportTable& table)
{
    QStringList rows;
    for (const ImportTable::Row& row : table.rows) {
        QStringList cells;
        for (qsizetype i = 0; i < row.cells.size(); ++i) {
            if (!row.cells[i].isEmpty())
                cells.append(table.header[i] + QLatin1Char('=') + row.cells[i]);
        }
        rows.append(QString::number(row.line) + QLatin1String(": ") + cells.join(QLatin1String(" | ")));
    }
    return rows;
}

using Client = QHash<QString, QString>;

} // namespace

class TestVCard : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void readErrors_data();
    void readErrors();
    void roundTrip_data();
    void roundTrip();
};

void TestVCard::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows");

    // Folded with CRLF, groups, 3.0's typed parameters in all three forms, a preferred address
    // that is not the home one, escapes, and a BOM.
    QTest::newRow("3.0") << QString::fromUtf8(
                                "\xEF\xBB\xBF"
                                "BEGIN:VCARD\r\n"
                                "VERSION:3.0\r\n"
                                "PRODID:-//Example//Address Book 1.0//EN\r\n"
                                "N:Müller;Hans;Peter,Josef;Dr.;\r\n"
                                "FN:Dr. Hans Peter Josef Müller\r\n"
                                "ORG:Example GmbH;Sales\r\n"
                                "TITLE:Head of Sa\r\n"
                                " les\\, Europe\r\n"
                                "item1.ADR;type=WORK;type=pref:;;Industriestr. 5;Berlin;;10115;Germany\r\n"
                                "item1.X-ABADR:de\r\n"
                                "adr;TYPE=HOME:PO Box 7;Apt. 3;Lindenweg 12\\nHinterhaus;Potsdam;Bran\r\n"
                                "\tdenburg;14467;Germany\r\n"
                                "TEL;type=CELL;type=VOICE;type=pref:+49 170 1234567\r\n"
                                "TEL;TYPE=WORK,VOICE:+49 30 555\r\n"
                                "TEL;HOME;VOICE:+49 331 777\r\n"
                                "item2.TEL;TYPE=WORK;TYPE=FAX:+49 30 556\r\n"
                                "item3.EMAIL;type=INTERNET:hans@example.org\r\n"
                                "EMAIL;type=INTERNET;type=pref:h.mueller@example.de\r\n"
                                "END:VCARD\r\n")
                         << QStringList{QString::fromUtf8(
                                "1: First Name=Hans | Address One=PO Box 7, Lindenweg 12\nHinterhaus | "
                                "Address Two=Apt. 3 | City=Potsdam | State=Brandenburg | Zip Code=14467 | "
                                "Home Phone Number=+49 331 777 | Cell Phone Number=+49 170 1234567 | "
                                "Fax Number=+49 30 556 | Work Phone Number=+49 30 555 | "
                                "Email Address=h.mueller@example.de | Country=Germany | Middle Name=Peter Josef | "
                                "Last Name=Müller | Job Title=Head of Sales, Europe | Company=Example GmbH")};

    // Quoted parameter values (one with ':' and ';'), PREF numbers, tel: URIs, an untyped
    // number after the home and work ones, lower-case names.
    QTest::newRow("4.0") << QStringLiteral(
                                "BEGIN:VCARD\n"
                                "VERSION:4.0\n"
                                "FN:Jane Q. Public\n"
                                "N:Public;Jane;Quinlan;;\n"
                                "ORG:ABC\\, Inc.;North American Division\n"
                                "TITLE:Research Scientist\n"
                                "ADR;TYPE=work;PREF=2:;;42 Plantation St.;Baytown;LA;30314;USA\n"
                                "ADR;TYPE=work;PREF=1;LABEL=\"100 Waters Edge\\nBaytown: LA; USA\":;;100 Waters "
                                "Edge;Baytown;LA;30314;USA\n"
                                "TEL;VALUE=uri;TYPE=\"voice,home\";PREF=1:tel:+1-555-555-5555;ext=5555\n"
                                "TEL;VALUE=uri;TYPE=\"work,voice\":tel:+1-418-656-9254\n"
                                "tel;value=uri:tel:+1-418-262-6501\n"
                                "EMAIL;TYPE=work:jqpublic@xyz.example.com\n"
                                "email;pref=1:jane_doe@example.com\n"
                                "END:VCARD\n")
                         << QStringList{QStringLiteral(
                                "1: First Name=Jane | Address One=100 Waters Edge | City=Baytown | State=LA | "
                                "Zip Code=30314 | Home Phone Number=+1-555-555-5555;ext=5555 | "
                                "Cell Phone Number=+1-418-262-6501 | Work Phone Number=+1-418-656-9254 | "
                                "Email Address=jane_doe@example.com | Country=USA | Middle Name=Quinlan | "
                                "Last Name=Public | Job Title=Research Scientist | Company=ABC, Inc.")};

    // 2.1 with quoted-printable (soft line breaks), a company's card, a card with FN alone and
    // one with nothing but a version; blank lines between cards.
    QTest::newRow("several cards")
        << QStringLiteral("BEGIN:VCARD\n"
                          "VERSION:2.1\n"
                          "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BCrgen;;;\n"
                          "ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Stra=C3=9Fe 1=0D=0A=\n"
                          "Hof;K=C3=B6ln;;50667;\n"
                          "TEL;WORK;VOICE:0221 1\n"
                          "END:VCARD\n"
                          "\n"
                          "BEGIN:VCARD\n"
                          "VERSION:3.0\n"
                          "FN:Acme Tools\n"
                          "ORG:Acme Tools;\n"
                          "TEL:555 0100\n"
                          "TEL:555 0101\n"
                          "END:VCARD\n"
                          "  \n"
                          "BEGIN:VCARD\n"
                          "FN:Anna Maria Schmidt\n"
                          "END:VCARD\n"
                          "BEGIN:VCARD\n"
                          "VERSION:4.0\n"
                          "END:VCARD\n")
        << QStringList{QString::fromUtf8("1: First Name=Jürgen | Address One=Straße 1\nHof | "
                                         "City=Köln | Zip Code=50667 | "
                                         "Work Phone Number=0221 1 | Last Name=Müller"),
                       QStringLiteral("9: Home Phone Number=555 0100 | "
                                      "Work Phone Number=555 0101 | Company=Acme Tools"),
                       QStringLiteral("17: First Name=Anna Maria | Last Name=Schmidt"), QStringLiteral("20: ")};

    QTest::newRow("empty") << QStringLiteral("\r\n\r\n") << QStringList{};
}

void TestVCard::read()
{
    QFETCH(QString, text);
    QFETCH(QStringList, rows);
    const ImportTable table = VCardReader::read(text);
    QCOMPARE(table.header, columns);
    for (const ImportTable::Row& row : table.rows)
        QCOMPARE(row.cells.size(), columns.size());
    QCOMPARE(described(table), rows);
}

void TestVCard::readErrors_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("line");
    QTest::addColumn<QString>("message");

    const QString card = QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nNOTE:folded\n  twice\n over\nEND:VCARD\n");
    QTest::newRow("no END:VCARD") << card + QStringLiteral("\nBEGIN:VCARD\nFN:A\n") << qint64(8)
                                  << QStringLiteral("The card that starts on line 8 has no END:VCARD.");
    QTest::newRow("version 5.0") << card + QStringLiteral("BEGIN:VCARD\r\nVERSION:5.0\r\nEND:VCARD\r\n") << qint64(8)
                                 << QStringLiteral(
                                        "Line 8 gives vCard version 5.0; only versions 2.1, 3.0 and 4.0 can be read.");
    QTest::newRow("stray line") << card + QStringLiteral("FN:B\n") << qint64(7)
                                << QStringLiteral("Line 7 is outside a card: a card starts with BEGIN:VCARD and "
                                                  "ends with END:VCARD.");
    QTest::newRow("card in a card") << card + QStringLiteral("BEGIN:VCARD\nFN:A\nbegin:vcard\nEND:VCARD\n") << qint64(9)
                                    << QStringLiteral("Line 9 begins a card inside the card that starts on line 7, "
                                                      "which has no END:VCARD.");
}

void TestVCard::readErrors()
{
    QFETCH(QString, text);
    QFETCH(qint64, line);
    QFETCH(QString, message);
    try {
        VCardReader::read(text);
        QFAIL("The file was read.");
    } catch (const ImportFileError& error) {
        QCOMPARE(error.line(), line);
        QCOMPARE(error.message(), message);
    }
}

void TestVCard::roundTrip_data()
{
    QTest::addColumn<Client>("client");

    const QString wide = QString::fromUtf8("ä€😀").repeated(40);
    QTest::newRow("every field") << Client{
        {QStringLiteral("First Name"), QString::fromUtf8("Zoë")},
        {QStringLiteral("Middle Name"), QStringLiteral("Anna, Maria")},
        {QStringLiteral("Last Name"), QString::fromUtf8("Müller-Łukasz")},
        {QStringLiteral("Company"), QStringLiteral("Smith; Sons, Ltd. \\ Branch")},
        {QStringLiteral("Job Title"), QString::fromUtf8("Überprüfungsbeauftragte für Qualitätssicherung "
                                                        "und Öffentlichkeitsarbeit, Region Süd; Zürich")},
        {QStringLiteral("Address One"), QStringLiteral("12 Main St\nBack door; left")},
        {QStringLiteral("Address Two"), QStringLiteral("Flat 3, Floor 2")},
        {QStringLiteral("City"), QString::fromUtf8("Zürich")},
        {QStringLiteral("State"), QStringLiteral("ZH")},
        {QStringLiteral("Zip Code"), QStringLiteral("8001")},
        {QStringLiteral("Country"), QStringLiteral("Schweiz")},
        {QStringLiteral("Home Phone Number"), QStringLiteral("+41 44 123, ext. 5")},
        {QStringLiteral("Cell Phone Number"), QStringLiteral("079 555 12 12")},
        {QStringLiteral("Work Phone Number"), QStringLiteral("(044) 555-1212")},
        {QStringLiteral("Fax Number"), QStringLiteral("044 555 1213")},
        {QStringLiteral("Email Address"), QStringLiteral("zoe@example.ch")}};
    QTest::newRow("company only") << Client{{QStringLiteral("Company"), QStringLiteral("Acme Tools")},
                                            {QStringLiteral("Fax Number"), QStringLiteral("555 0100")}};
    QTest::newRow("nothing") << Client{};
    QTest::newRow("long multi-byte values") << Client{{QStringLiteral("Last Name"), wide},
                                                      {QStringLiteral("Address One"), QStringLiteral("x") + wide},
                                                      {QStringLiteral("City"), QStringLiteral("xy") + wide},
                                                      {QStringLiteral("Email Address"), QStringLiteral("xyz") + wide}};
}

void TestVCard::roundTrip()
{
    QFETCH(Client, client);
    const QByteArray file = VCardWriter::write({client, client});

    QVERIFY(file.endsWith("END:VCARD\r\n"));
    for (const QByteArray& line : file.split('\n')) {
        QVERIFY2(line.size() <= 75 + 1, line.constData());
        QVERIFY(line.isEmpty() || line.endsWith('\r'));
        // Each line decodes alone: no fold fell inside a character.
        QVERIFY2(!QString::fromUtf8(line).contains(QChar::ReplacementCharacter), line.constData());
    }

    const ImportTable table = VCardReader::read(QString::fromUtf8(file));
    QCOMPARE(table.header, columns);
    QCOMPARE(table.rows.size(), std::size_t(2));
    QCOMPARE(table.rows[0].line, qint64(1));
    for (const ImportTable::Row& row : table.rows) {
        for (qsizetype i = 0; i < columns.size(); ++i)
            QCOMPARE(row.cells.value(i), client.value(columns[i]));
    }
}

QTEST_GUILESS_MAIN(TestVCard)
#include "tst_vcard.moc"
