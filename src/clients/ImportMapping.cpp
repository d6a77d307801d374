#include "clients/ImportMapping.h"

#include <QHash>

namespace {

// Letters and digits only, in lower case: "E-Mail", "e_mail" and "EMail" are one name.
QString squeezed(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text.toLower()) {
        if (c.isLetterOrNumber())
            out.append(c);
    }
    return out;
}

const QHash<QString, QString>& commonNames()
{
    static const QHash<QString, QString> names = [] {
        // Names of the columns that address books and spreadsheets write, by field. "Title"
        // alone is taken as the job title, the more common meaning in a list of contacts; the
        // German "Titel" and "Anrede" are forms of address (Dr., Frau) and left unmapped.
        const std::pair<const char*, const char*> table[] = {
            {"First Name", "firstname given givenname forename first vorname rufname"},
            {"Middle Name", "middlename middle middleinitial secondname additionalname zweitervorname"},
            {"Last Name", "lastname surname familyname name last nachname familienname zuname"},
            {"Company", "company companyname firma organization organisation org unternehmen employer "
                        "arbeitgeber"},
            {"Job Title", "jobtitle title position job role beruf berufsbezeichnung funktion stellung"},
            {"Address One", "addressone address address1 addressline1 street streetaddress homestreet straße "
                            "strasse str adresse anschrift strasseundhausnummer straßeundhausnummer"},
            {"Address Two", "addresstwo address2 addressline2 street2 adresszusatz zusatz"},
            {"City", "city ort stadt town wohnort locality"},
            {"State", "state bundesland region province county kanton stateprovince"},
            {"Zip Code", "zipcode zip plz postalcode postcode postleitzahl zippostalcode"},
            {"Country", "country land countryregion"},
            {"Home Phone Number", "homephonenumber homephone phone phonenumber telephone tel telefon telefonnummer "
                                  "telefonprivat privat home"},
            {"Work Phone Number", "workphonenumber workphone businessphone officephone telefongeschäftlich "
                                  "telefondienstlich geschäftlich dienstlich work büro"},
            {"Cell Phone Number", "cellphonenumber cellphone cell mobile mobilephone mobil handy mobiltelefon "
                                  "mobilnummer handynummer"},
            {"Fax Number", "faxnumber fax telefax faxnummer"},
            {"Email Address", "emailaddress email mail emailadresse mailadresse"},
        };
        QHash<QString, QString> map;
        for (const auto& [field, spellings] : table) {
            const QStringList words = QString::fromUtf8(spellings).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (const QString& word : words)
                map.insert(word, QString::fromLatin1(field));
        }
        return map;
    }();
    return names;
}

} // namespace

QString ImportMapping::personalColumnFor(const QString& headerName)
{
    return commonNames().value(squeezed(headerName));
}

std::vector<int> ImportMapping::guess(const QStringList& header, const std::vector<ClientField>& fields)
{
    std::vector<int> mapping(static_cast<size_t>(header.size()), -1);
    std::vector<bool> taken(fields.size(), false);
    const auto take = [&](qsizetype column, const auto& matches) {
        if (mapping[static_cast<size_t>(column)] >= 0)
            return;
        for (size_t f = 0; f < fields.size(); ++f) {
            if (!taken[f] && matches(fields[f])) {
                taken[f] = true;
                mapping[static_cast<size_t>(column)] = static_cast<int>(f);
                return;
            }
        }
    };

    // An exact label wins over a guess made for an earlier column.
    for (qsizetype c = 0; c < header.size(); ++c) {
        const QString name = header.at(c).trimmed();
        take(c, [&](const ClientField& f) { return f.label().compare(name, Qt::CaseInsensitive) == 0; });
    }
    for (qsizetype c = 0; c < header.size(); ++c) {
        const QString column = personalColumnFor(header.at(c));
        if (!column.isEmpty())
            take(c, [&](const ClientField& f) { return f.isPersonal() && f.field == column; });
    }
    for (qsizetype c = 0; c < header.size(); ++c) {
        const QString name = header.at(c).trimmed();
        take(c,
             [&](const ClientField& f) { return !f.isPersonal() && f.field.compare(name, Qt::CaseInsensitive) == 0; });
    }
    return mapping;
}
