#pragma once

#include <QString>
#include <optional>

// One field of a designed tab, as its FieldInfo row and the row of its tab describe it.
// Positions and the width stay the text read from the database; they become twips only
// when a control is placed.
struct FieldEntry
{
    QString tabName;
    QString tabDescription;
    QString fieldName;
    QString fieldDescription;
    QString labelLeft;
    QString labelTop;
    QString fieldLeft;
    QString fieldTop;
    QString fieldWidth;

    // A stored position or width in twips; nothing when the text is not a number.
    static std::optional<double> twips(const QString& text);
};
