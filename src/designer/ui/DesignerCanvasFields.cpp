#include "designer/ui/DesignerCanvasFields.h"

#include "widgets/Twips.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

namespace {

QRect pixels(const QRect& twips)
{
    return Twips::rect(twips.left(), twips.top(), twips.width(), twips.height());
}

} // namespace

DesignerCanvasFields::DesignerCanvasFields(DesignerCanvasModel& model, QWidget* canvas)
    : QObject(canvas), m_model(model), m_canvas(canvas)
{
    // The hidden index-0 controls above the canvas, from which new fields start.
    auto* label = new QLabel(m_canvas);
    label->setObjectName(QStringLiteral("Label1_0"));
    label->setGeometry(pixels(DesignerCanvasModel::LabelTemplate));
    label->hide();
    auto* box = new QLineEdit(m_canvas);
    box->setObjectName(QStringLiteral("Text1_0"));
    box->setAccessibleName(QStringLiteral("Field template"));
    box->setGeometry(pixels(DesignerCanvasModel::BoxTemplate));
    box->hide();
    auto* order = new QLineEdit(m_canvas);
    order->setObjectName(QStringLiteral("Text2_0"));
    order->setAccessibleName(QStringLiteral("Display order template"));
    order->setGeometry(pixels(DesignerCanvasModel::OrderTemplate));
    order->hide();
}

void DesignerCanvasFields::add(int index)
{
    const DesignerCanvasModel::Field& field = m_model.field(index);

    auto* label = new QLabel(field.name, m_canvas);
    label->setObjectName(QStringLiteral("Label1_%1").arg(index));
    label->setTextFormat(Qt::PlainText);
    label->setToolTip(field.description);
    label->installEventFilter(this);

    auto* box = new QLineEdit(m_canvas);
    box->setObjectName(QStringLiteral("Text1_%1").arg(index));
    box->setToolTip(field.name);
    box->setAccessibleName(field.name);
    box->installEventFilter(this);

    auto* order = new QLineEdit(field.orderText, m_canvas);
    order->setObjectName(QStringLiteral("Text2_%1").arg(index));
    order->setToolTip(field.name);
    order->setAccessibleName(QStringLiteral("Display order of %1").arg(field.name));
    order->hide();

    m_controls.push_back({label, box, order});
    label->show();
    box->show();
}

void DesignerCanvasFields::place(int index)
{
    if (!m_model.exists(index) || index > static_cast<int>(m_controls.size()))
        return;
    const DesignerCanvasModel::Field& field = m_model.field(index);
    const FieldControls& controls = m_controls.at(static_cast<size_t>(index - 1));
    controls.label->setGeometry(pixels(field.label));
    controls.box->setGeometry(pixels(field.box));
    controls.order->setGeometry(pixels(field.order));
}

void DesignerCanvasFields::clear()
{
    for (const FieldControls& controls : m_controls) {
        delete controls.label;
        delete controls.box;
        delete controls.order;
    }
    m_controls.clear();
}

int DesignerCanvasFields::boxIndex(const QObject* object) const
{
    for (size_t i = 0; i < m_controls.size(); ++i) {
        if (m_controls[i].box == object)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

int DesignerCanvasFields::labelIndex(const QObject* object) const
{
    for (size_t i = 0; i < m_controls.size(); ++i) {
        if (m_controls[i].label == object)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

bool DesignerCanvasFields::eventFilter(QObject* watched, QEvent* event)
{
    const int box = boxIndex(watched);
    const int label = box == 0 ? labelIndex(watched) : 0;
    if (box == 0 && label == 0)
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (box != 0 && mouse->modifiers() == Qt::ShiftModifier) {
            m_model.select(box);
            return true;
        }
        if (label != 0)
            return true;
        break;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() != Qt::LeftButton)
            break;
        // The control's top left corner follows the pointer: it moves by the pointer's
        // offset within it.
        const QPoint offset = mouse->position().toPoint();
        const int dx = qRound(Twips::fromPixelsX(offset.x()));
        const int dy = qRound(Twips::fromPixelsY(offset.y()));
        if (box != 0) {
            if (mouse->modifiers() == Qt::ShiftModifier)
                break;
            emit boxTouched(box);
            if (m_model.moveBox(box, dx, dy))
                place(box);
            return true;
        }
        if (m_model.moveLabel(label, dx, dy))
            place(label);
        return true;
    }
    case QEvent::FocusIn:
        if (box != 0)
            emit boxTouched(box);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
