#pragma once

#include "clients/ClientField.h"

#include <QStringList>
#include <vector>

// Which field of a client each column of an imported file fills, as first proposed.
class ImportMapping
{
public:
    // For each column of `header`, the index in `fields` it fills, or -1. A column named exactly
    // as a field's label (case-insensitive, blanks trimmed) takes it; then common header names in
    // English and German ("Surname", "Nachname", "PLZ", "E-Mail", "Handy" …) take the Personal
    // Information field they stand for; then a column named as a designed field alone takes it.
    // Each field is taken by at most one column (the first).
    static std::vector<int> guess(const QStringList& header, const std::vector<ClientField>& fields);

    // The Personal Information column a header name commonly stands for, or empty.
    static QString personalColumnFor(const QString& headerName);
};
