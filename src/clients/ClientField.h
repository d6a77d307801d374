#pragma once

#include <QString>

// One field of a client that an import can fill and an export writes: a column of the
// Personal Information table, or a field of a designed tab (a column of the tab's table).
struct ClientField
{
    QString tab;   // "Personal Information" or a designed tab's name
    QString field; // the column (Personal Information) or the designed field's name

    // "Last Name" for a Personal Information column; "Tab: Field" for a designed tab's field.
    QString label() const;
    bool isPersonal() const;

    bool operator==(const ClientField&) const = default;
};
