#include "designer/DesignerCanvasModel.h"

#include <algorithm>

int DesignerCanvasModel::indexOf(const QString& name) const
{
    for (int i = 1; i <= count(); ++i) {
        if (field(i).name == name)
            return i;
    }
    return 0;
}

int DesignerCanvasModel::addField(const QString& name, const QString& description)
{
    // The rows start below the height of one control and follow the lowest existing top
    // (the templates lie above the canvas); labels and text boxes are stacked independently.
    int labelRow = LabelTemplate.height() + Gap;
    int boxRow = OrderTemplate.height() + Gap;
    for (const Field& existing : m_fields) {
        labelRow = std::max(labelRow, existing.label.top());
        boxRow = std::max(boxRow, existing.box.top());
    }

    Field added;
    added.name = name;
    added.description = description;
    added.label = LabelTemplate;
    added.label.moveTop(labelRow + lastLabel().height() + Gap);
    added.box = BoxTemplate;
    added.box.moveTop(boxRow + lastBox().height() + Gap);
    added.order = OrderTemplate;
    added.order.moveTop(lastOrder().top() + lastOrder().height() + Gap);
    const QString previous = lastOrderText();
    added.orderText = previous.isEmpty() ? QStringLiteral("1") : QString::number(previous.toInt() + 1);
    m_fields.push_back(added);
    return count();
}

int DesignerCanvasModel::addPlacedField(const DesignerFieldEntry& entry)
{
    Field placed;
    placed.name = entry.fieldName;
    placed.description = entry.fieldDescription;
    placed.label = LabelTemplate;
    placed.box = BoxTemplate;
    if (const auto left = DesignerFieldEntry::twips(entry.labelLeft))
        placed.label.moveLeft(*left);
    if (const auto top = DesignerFieldEntry::twips(entry.labelTop))
        placed.label.moveTop(*top);
    if (const auto width = DesignerFieldEntry::twips(entry.fieldWidth)) {
        placed.label.setWidth(*width);
        placed.box.setWidth(*width);
    }
    if (const auto left = DesignerFieldEntry::twips(entry.fieldLeft))
        placed.box.moveLeft(*left);
    if (const auto top = DesignerFieldEntry::twips(entry.fieldTop))
        placed.box.moveTop(*top);
    placed.order = OrderTemplate;
    placed.order.moveTop(lastOrder().top() + lastOrder().height() + Gap);
    placed.orderText = QString::number(entry.displayOrder);
    m_fields.push_back(placed);
    return count();
}

bool DesignerCanvasModel::moveLabel(int index, int dx, int dy)
{
    if (m_locked || !exists(index))
        return false;
    at(index).label.translate(dx, dy);
    return true;
}

bool DesignerCanvasModel::moveBox(int index, int dx, int dy)
{
    if (m_locked || !exists(index))
        return false;
    at(index).box.translate(dx, dy);
    return true;
}

void DesignerCanvasModel::select(int index)
{
    if (!m_selection)
        m_selection.emplace();
    m_selection->append(index);
}

bool DesignerCanvasModel::align(Alignment alignment)
{
    if (!m_selection)
        return false;
    const QList<int>& selected = *m_selection;
    for (qsizetype i = 1; i < selected.size(); ++i) {
        const int reference = selected.constFirst();
        const int other = selected.at(i);
        if (!exists(reference) || !exists(other))
            return false;
        const QRect& source = field(reference).box;
        QRect& target = at(other).box;
        switch (alignment) {
        case Alignment::Top:
            target.moveTop(source.top());
            break;
        case Alignment::Left:
            target.moveLeft(source.left());
            break;
        case Alignment::Width:
            target.setWidth(source.width());
            break;
        }
    }
    m_selection->clear();
    return true;
}

bool DesignerCanvasModel::applyWidthText(const QString& text)
{
    if (text.isEmpty() || !exists(m_widthTarget))
        return false;
    bool ok = false;
    const qint16 width = text.toShort(&ok);
    if (!ok || width < 0)
        return false;
    Field& target = at(m_widthTarget);
    target.box.setWidth(width);
    target.label.setWidth(width);
    return true;
}

void DesignerCanvasModel::storeInto(std::vector<DesignerFieldEntry>& entries, const QString& tabName) const
{
    for (DesignerFieldEntry& entry : entries) {
        if (entry.tabName != tabName)
            continue;
        const int index = indexOf(entry.fieldName);
        if (index == 0)
            continue;
        const Field& shown = field(index);
        entry.displayOrder = shown.orderText.toShort();
        entry.fieldWidth = text(shown.box.width());
        entry.fieldTop = text(shown.box.top());
        entry.fieldLeft = text(shown.box.left());
        entry.labelTop = text(shown.label.top());
        entry.labelLeft = text(shown.label.left());
    }
}
