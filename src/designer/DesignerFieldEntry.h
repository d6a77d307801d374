#pragma once

#include <QString>
#include <optional>

// One field of the designer's field list: the tab it belongs to, its name and description,
// its display order and where the record window will place it. Positions and the width are
// kept as text, as the database returns them or as a canvas position converts to text; they
// are twips relative to the record window's field frame (the designer's canvas).
struct DesignerFieldEntry
{
    QString tabName;
    QString tabDescription;
    QString fieldName;
    QString fieldDescription;
    qint16 displayOrder = 0;
    QString fieldLeft;
    QString fieldTop;
    QString labelLeft;
    QString labelTop;
    QString fieldWidth;

    // A stored position or width as whole twips; nothing when the text is not a number.
    static std::optional<int> twips(const QString& text);
};
