#include "widgets/ProportionalLayout.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QWidget>
#include <cmath>

bool ResizeArmed = false;

namespace {

// A control a user would call one: not the client area of a main window, whose child
// windows lay themselves out (and would inherit its font), and not a menu bar or the
// main window's menu area, whose items carry no position or font of their own.
bool isControl(const QWidget* widget)
{
    if (widget->isWindow() || qobject_cast<const QMdiArea*>(widget) || qobject_cast<const QMenuBar*>(widget))
        return false;
    const auto* main = qobject_cast<const QMainWindow*>(widget->parentWidget());
    return !main || main->menuWidget() != widget;
}

// Widgets built from widgets of their own (a combo box's line edit, a scroll area's
// viewport and scroll bars, a toolbar's buttons, a status bar's panels): their parts are
// placed by the widget itself and are not controls of the window.
bool isComposite(const QWidget* widget)
{
    return qobject_cast<const QAbstractScrollArea*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QAbstractButton*>(widget) ||
           qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTabBar*>(widget) ||
           qobject_cast<const QToolBar*>(widget) || qobject_cast<const QStatusBar*>(widget) ||
           qobject_cast<const QCalendarWidget*>(widget) || qobject_cast<const QDialogButtonBox*>(widget);
}

void collect(QWidget* parent, QList<QWidget*>& controls)
{
    // A tab widget's bar and page stack are its own parts; the pages hold controls.
    if (auto* tabs = qobject_cast<QTabWidget*>(parent)) {
        for (int i = 0; i < tabs->count(); ++i) {
            QWidget* page = tabs->widget(i);
            controls.append(page);
            collect(page, controls);
        }
        return;
    }
    const QObjectList children = parent->children();
    for (QObject* child : children) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || !isControl(widget))
            continue;
        controls.append(widget);
        if (!isComposite(widget))
            collect(widget, controls);
    }
}

// A widget placed by its parent's layout (a main window's toolbar and status bar, the
// page of a tab widget) has its geometry set by that layout, which would undo any move
// at its next pass; such a control lacks a position of its own and only its font scales.
bool placedByLayout(const QWidget* widget)
{
    const QWidget* parent = widget->parentWidget();
    return parent && parent->layout() != nullptr;
}

bool usableFactor(float factor)
{
    return std::isfinite(factor) && factor > 0.0f;
}

int scaled(int value, float factor)
{
    return static_cast<int>(std::lround(static_cast<float>(value) * factor));
}

} // namespace

QList<QWidget*> ProportionalControls(QWidget* Window)
{
    QList<QWidget*> controls;
    if (Window)
        collect(Window, controls);
    return controls;
}

void ScaleControl(QWidget* control, const QRect& from, qreal fromPointSize, float FactorX, float FactorY)
{
    if (usableFactor(FactorX) && usableFactor(FactorY) && !placedByLayout(control)) {
        const int height = qobject_cast<QComboBox*>(control) ? control->height() : scaled(from.height(), FactorY);
        control->setGeometry(scaled(from.x(), FactorX), scaled(from.y(), FactorY), scaled(from.width(), FactorX),
                             height);
    }
    // A font given in pixels has no point size to scale.
    const float size = static_cast<float>(fromPointSize) * ((FactorX + FactorY) / 2.0f);
    if (fromPointSize > 0 && std::isfinite(size) && size > 0.0f) {
        QFont font = control->font();
        font.setPointSizeF(size);
        control->setFont(font);
    }
}

void ResizeControls(float FactorX, float FactorY, QWidget* Window)
{
    try {
        const QList<QWidget*> controls = ProportionalControls(Window);

        // Geometry and font sizes are read before any is changed: a control without a font
        // of its own inherits its container's, which would otherwise be scaled twice.
        QList<QRect> geometries;
        QList<qreal> pointSizes;
        geometries.reserve(controls.size());
        pointSizes.reserve(controls.size());
        for (QWidget* control : controls) {
            geometries.append(control->geometry());
            pointSizes.append(control->font().pointSizeF());
        }
        for (qsizetype i = 0; i < controls.size(); ++i)
            ScaleControl(controls.at(i), geometries.at(i), pointSizes.at(i), FactorX, FactorY);
    } catch (...) {
        // Layout is cosmetic: a failure leaves the controls as far as they got.
    }
}
