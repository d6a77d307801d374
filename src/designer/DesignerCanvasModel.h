#pragma once

#include "designer/DesignerFieldEntry.h"

#include <QList>
#include <QRect>
#include <QString>
#include <optional>
#include <vector>

// The fields on the designer's canvas and what the user does with them, in twips relative to
// the canvas's top left corner. Each field is a label, a text box and a hidden order box
// sharing one index (1, 2, 3, … in creation order); index 0 stands for the hidden templates
// above the canvas from which every new field takes its starting place and size.
//
// The window shows these rectangles; every rule about them (stacking of new fields, moving,
// the lock flag, the selection and the alignment tools, the width box) lives here.
class DesignerCanvasModel
{
public:
    struct Field
    {
        QString name;        // the text box's tip text; identifies the field on the canvas
        QString description; // the label's tip text
        QRect label;
        QRect box;
        QRect order;       // the order box, never shown
        QString orderText; // the display-order number
    };

    enum class Alignment
    {
        Top,
        Left,
        Width
    };

    static constexpr int Gap = 40;
    static constexpr QRect LabelTemplate{240, -120, 2775, 375};
    static constexpr QRect BoxTemplate{3120, -120, 2895, 375};
    static constexpr QRect OrderTemplate{9840, -120, 375, 375};

    // Fields above the templates; indices 1 … count().
    int count() const { return static_cast<int>(m_fields.size()); }
    bool exists(int index) const { return index >= 1 && index <= count(); }
    const Field& field(int index) const { return m_fields.at(static_cast<size_t>(index - 1)); }
    // The first field of that name, or 0.
    int indexOf(const QString& name) const;

    // A new field below the lowest label and the lowest text box, numbered after the last
    // order box. Returns its index.
    int addField(const QString& name, const QString& description);
    // A field placed as `entry` says; values that are not numbers keep the template's.
    int addPlacedField(const DesignerFieldEntry& entry);
    // Removes every field; the lock flag, the selection and the width target stay.
    void clear() { m_fields.clear(); }

    bool locked() const { return m_locked; }
    void setLocked(bool locked) { m_locked = locked; }
    // Moves a label or a text box by an offset; nothing moves while locked.
    bool moveLabel(int index, int dx, int dy);
    bool moveBox(int index, int dx, int dy);

    // Text-box indices in the order they were selected; nothing until the first selection.
    const std::optional<QList<int>>& selection() const { return m_selection; }
    void select(int index);
    // Gives every further selected box the reference's (the first one's) top, left or width
    // and empties the selection. Fails, keeping the selection and what was already aligned,
    // when nothing was ever selected or a selected box no longer exists.
    bool align(Alignment alignment);

    // The text box whose width the width box shows and edits; 0 for none.
    int widthTarget() const { return m_widthTarget; }
    void setWidthTarget(int index) { m_widthTarget = index; }
    // A non-empty text that is a 16-bit whole number (not negative) becomes the width of the
    // target's text box and label. Returns whether anything changed.
    bool applyWidthText(const QString& text);

    // Copies the canvas state of the fields of `tabName` into their field-list entries: order
    // number, text-box width, top and left, label top and left.
    void storeInto(std::vector<DesignerFieldEntry>& entries, const QString& tabName) const;

    static QString text(int twips) { return QString::number(twips); }

private:
    Field& at(int index) { return m_fields.at(static_cast<size_t>(index - 1)); }
    QRect lastLabel() const { return m_fields.empty() ? LabelTemplate : m_fields.back().label; }
    QRect lastBox() const { return m_fields.empty() ? BoxTemplate : m_fields.back().box; }
    QRect lastOrder() const { return m_fields.empty() ? OrderTemplate : m_fields.back().order; }
    QString lastOrderText() const { return m_fields.empty() ? QString() : m_fields.back().orderText; }

    std::vector<Field> m_fields;
    bool m_locked = false;
    std::optional<QList<int>> m_selection;
    int m_widthTarget = 0;
};
