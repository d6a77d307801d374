#include "clients/ClientField.h"
#include "clients/ImportMapping.h"

#include <QTest>

namespace {

std::vector<ClientField> fields()
{
    std::vector<ClientField> list;
    for (const char* column : {"First Name", "Address One", "Address Two", "City", "State", "Zip Code",
                               "Home Phone Number", "Cell Phone Number", "Fax Number", "Work Phone Number",
                               "Email Address", "Country", "Middle Name", "Last Name", "Job Title", "Company"})
        list.push_back({QStringLiteral("Personal Information"), QString::fromLatin1(column)});
    list.push_back({QStringLiteral("Billing"), QStringLiteral("Account")});
    list.push_back({QStringLiteral("Billing"), QStringLiteral("Last Name")});
    return list;
}

// The label each column of `header` was given, "-" for none.
QStringList labels(const QStringList& header)
{
    const std::vector<ClientField> all = fields();
    QStringList out;
    for (const int field : ImportMapping::guess(header, all))
        out.append(field < 0 ? QStringLiteral("-") : all[static_cast<size_t>(field)].label());
    return out;
}

} // namespace

class TestImportMapping : public QObject
{
    Q_OBJECT

private slots:
    void guessesFromHeaders_data()
    {
        QTest::addColumn<QStringList>("header");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("own labels, any case")
            << QStringList{" last name ", "FIRST NAME", "Billing: Account", "Billing: Last Name", "Zip Code"}
            << QStringList{"Last Name", "First Name", "Billing: Account", "Billing: Last Name", "Zip Code"};
        QTest::newRow("English address book")
            << QStringList{"Given Name", "Family Name", "Organization",   "Title",   "Street",
                           "Town",       "Postal Code", "Province",       "Country", "E-mail",
                           "Phone",      "Mobile",      "Business Phone", "Fax",     "Notes"}
            << QStringList{"First Name",
                           "Last Name",
                           "Company",
                           "Job Title",
                           "Address One",
                           "City",
                           "Zip Code",
                           "State",
                           "Country",
                           "Email Address",
                           "Home Phone Number",
                           "Cell Phone Number",
                           "Work Phone Number",
                           "Fax Number",
                           "-"};
        QTest::newRow("German spreadsheet")
            << QStringList{"Vorname", "Nachname", "Firma",      "Position", "Straße",
                           "PLZ",     "Ort",      "Bundesland", "Land",     "E-Mail",
                           "Telefon", "Handy",    "Telefax",    "Titel",    "Adresszusatz"}
            << QStringList{
                   "First Name", "Last Name", "Company",    "Job Title",     "Address One",       "Zip Code",
                   "City",       "State",     "Country",    "Email Address", "Home Phone Number", "Cell Phone Number",
                   "Fax Number", "-",         "Address Two"};
        QTest::newRow("German, other spellings")
            << QStringList{"Name", "Strasse", "Stadt", "Organisation", "Mobil", "Mail", "Region", "ZIP"}
            << QStringList{"Last Name",         "Address One",   "City",  "Company",
                           "Cell Phone Number", "Email Address", "State", "Zip Code"};
        // A field is taken once, by the first column; an exact label beats an earlier guess.
        QTest::newRow("each field once") << QStringList{"Surname", "Nachname", "Last Name", "Firma",
                                                        "Company", "Address",  "Street"}
                                         << QStringList{"-", "-", "Last Name", "-", "Company", "Address One", "-"};
        QTest::newRow("designed field by its name alone")
            << QStringList{"account", "Last Name", "Last Name"}
            << QStringList{"Billing: Account", "Last Name", "Billing: Last Name"};
        QTest::newRow("empty header") << QStringList{"", "  "} << QStringList{"-", "-"};
    }

    void guessesFromHeaders()
    {
        QFETCH(QStringList, header);
        QFETCH(QStringList, expected);
        QCOMPARE(labels(header), expected);
    }
};

QTEST_GUILESS_MAIN(TestImportMapping)
#include "tst_ImportMapping.moc"
