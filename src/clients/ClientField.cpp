#include "clients/ClientField.h"

#include "clients/ClientRecord.h"

bool ClientField::isPersonal() const
{
    return tab == QLatin1String(ClientRecord::PersonalInformationTab);
}

QString ClientField::label() const
{
    return isPersonal() ? field : tab + QStringLiteral(": ") + field;
}
