#pragma once

// What a person sees of a window, for GUI tests: whether a control can be seen and reached
// before a test clicks or types into it, whether a menu item can be reached before a test
// triggers it, and what every named control of a window shows on screen and to a screen
// reader.
//
// The checks report problems as readable lines naming the control, so that one failing
// row says which window and which control went wrong.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStringList>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include <functional>

namespace WindowChecks {

inline QString nameOf(const QObject* object)
{
    if (!object)
        return QStringLiteral("(none)");
    const QString name = object->objectName();
    return QString::fromLatin1(object->metaObject()->className()) + QLatin1Char(' ') +
           (name.isEmpty() ? QStringLiteral("(unnamed)") : name);
}

inline QString rectText(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The frame that holds a working window: its child window in the main window, or the
// window itself when it is shown on its own.
inline QWidget* frameOf(QWidget* window)
{
    if (auto* child = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        return child;
    return window;
}

// Controls of the window's own design: named, and not one of the toolkit's inner parts.
inline bool isNamedControl(const QWidget* widget)
{
    const QString name = widget->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

// Why `control` is not wholly on screen inside the frame of its window: empty when it is.
// Each parent clips its children, so the control must lie inside every parent up to the frame.
inline QString placementProblem(const QWidget* control, const QWidget* frame)
{
    if (control->width() <= 0 || control->height() <= 0)
        return QStringLiteral("%1 has no size (%2)").arg(nameOf(control), rectText(control->geometry()));
    const QWidget* widget = control;
    while (widget && widget != frame) {
        const QWidget* parent = widget->parentWidget();
        if (!parent)
            break;
        if (!QRect(QPoint(0, 0), parent->size()).contains(widget->geometry()))
            return QStringLiteral("%1 lies outside %2 (%3 in %4x%5)")
                .arg(nameOf(control),
                     widget == control ? nameOf(parent) : nameOf(widget) + QStringLiteral(" in ") + nameOf(parent),
                     rectText(widget->geometry()))
                .arg(parent->width())
                .arg(parent->height());
        widget = parent;
    }
    return {};
}

// The frame of the working window that holds `control`: the child window of the main window
// it sits in, or its top-level window.
inline QWidget* frameHolding(QWidget* control)
{
    for (QWidget* widget = control; widget; widget = widget->parentWidget()) {
        if (qobject_cast<QMdiSubWindow*>(widget) || widget->isWindow())
            return widget;
    }
    return control;
}

// Why a person could not click or type into `control` at `position` (its centre when not
// given) now: empty when they could. It must be shown, enabled, wholly inside its window, and
// that point must be on screen and not covered by another widget.
inline QString reachProblem(QWidget* control, QPoint position = QPoint(-1, -1))
{
    if (!control)
        return QStringLiteral("the control does not exist");
    if (!control->isVisible())
        return QStringLiteral("%1 is not shown").arg(nameOf(control));
    if (!control->isEnabled())
        return QStringLiteral("%1 is disabled").arg(nameOf(control));
    if (QString problem = placementProblem(control, frameHolding(control)); !problem.isEmpty())
        return problem;
    if (position == QPoint(-1, -1))
        position = control->rect().center();
    if (!control->rect().contains(position))
        return QStringLiteral("%1 (%2) does not hold the point %3,%4")
            .arg(nameOf(control), rectText(control->geometry()))
            .arg(position.x())
            .arg(position.y());
    // The main window may show only part of a child window (its area scrolls).
    for (QWidget* parent = control->parentWidget(); parent; parent = parent->parentWidget()) {
        if (!parent->rect().contains(control->mapTo(parent, position)))
            return QStringLiteral("%1 is out of sight in %2").arg(nameOf(control), nameOf(parent));
        if (parent->isWindow())
            break;
    }
    QWidget* top = control->window();
    QWidget* hit = top->childAt(control->mapTo(top, position));
    if (hit && hit != control && !control->isAncestorOf(hit))
        return QStringLiteral("%1 is covered by %2").arg(nameOf(control), nameOf(hit));
    return {};
}

// Clicks `control` (at `position`, else its centre) after checking that a person could see and
// reach it there.
inline void clickVisible(QWidget* control, QPoint position = QPoint(-1, -1), Qt::MouseButton button = Qt::LeftButton)
{
    const QString problem = reachProblem(control, position);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QTest::mouseClick(control, button, Qt::NoModifier,
                      position == QPoint(-1, -1) ? control->rect().center() : position);
}

// Double-clicks `control` as a person does (a click, then the double click) after the same check.
inline void doubleClickVisible(QWidget* control, QPoint position = QPoint(-1, -1))
{
    const QString problem = reachProblem(control, position);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const QPoint at = position == QPoint(-1, -1) ? control->rect().center() : position;
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(control, Qt::LeftButton, Qt::NoModifier, at);
}

// Types `text` into `control` after checking that a person could see and reach it.
inline void typeVisible(QWidget* control, const QString& text)
{
    const QString problem = reachProblem(control);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QTest::keyClicks(control, text);
}

// Why a person could not reach the menu item or toolbar button `action` now: empty when they
// could. The item must be visible and enabled, and so must every menu on the way to it, up to
// a menu bar or toolbar that is shown.
inline QString actionProblem(const QAction* action)
{
    if (!action)
        return QStringLiteral("the command does not exist");
    if (!action->isVisible())
        return QStringLiteral("%1 is hidden").arg(nameOf(action));
    if (!action->isEnabled())
        return QStringLiteral("%1 is disabled").arg(nameOf(action));
    QStringList problems;
    for (QObject* holder : action->associatedObjects()) {
        if (auto* bar = qobject_cast<QMenuBar*>(holder)) {
            if (bar->isVisible())
                return {};
            problems << QStringLiteral("%1 is in %2, which is not shown").arg(nameOf(action), nameOf(bar));
        } else if (auto* toolbar = qobject_cast<QToolBar*>(holder)) {
            const QWidget* button = toolbar->widgetForAction(const_cast<QAction*>(action));
            if (toolbar->isVisible() && button && button->isVisible() && button->width() > 0 && button->height() > 0)
                return {};
            problems << QStringLiteral("%1 is in %2, which is not shown").arg(nameOf(action), nameOf(toolbar));
        } else if (auto* menu = qobject_cast<QMenu*>(holder)) {
            if (menu->menuAction() == action)
                continue;
            const QString problem = actionProblem(menu->menuAction());
            if (problem.isEmpty())
                return {};
            problems << problem;
        }
    }
    return problems.isEmpty() ? QStringLiteral("%1 is in no menu or toolbar").arg(nameOf(action))
                              : problems.join(QStringLiteral("; "));
}

// Triggers a menu item or toolbar button after checking that a person could reach it.
inline void triggerVisible(QAction* action)
{
    const QString problem = actionProblem(action);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    action->trigger();
}

// The named controls of `window` that its current state shows.
inline QList<QWidget*> shownControls(QWidget* window)
{
    QList<QWidget*> shown;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (isNamedControl(widget) && widget->isVisibleTo(window))
            shown.append(widget);
    }
    return shown;
}

// The part of `widget`'s rectangle, in its parent, that shows something. A label and the
// caption of a check box or option button draw only their text: the rest of the rectangle is
// see-through.
inline QRect drawnRect(const QWidget* widget)
{
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->pixmap().isNull() && !label->text().isEmpty()) {
            const int flags = int(label->alignment()) | (label->wordWrap() ? int(Qt::TextWordWrap) : 0);
            const QRect text = label->fontMetrics().boundingRect(label->contentsRect(), flags, label->text());
            return text.translated(label->pos()).intersected(label->geometry());
        }
    }
    if (qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QRadioButton*>(widget)) {
        if (widget->layoutDirection() == Qt::LeftToRight)
            return QRect(widget->pos(), widget->sizeHint().boundedTo(widget->size()));
    }
    return widget->geometry();
}

// Whether `back` is a plain frame drawn behind `front` that holds it whole: a border around
// it, not an overlap.
inline bool isBackdropOf(const QWidget* back, const QWidget* front)
{
    const bool frame = qobject_cast<const QGroupBox*>(back) ||
                       QLatin1String(back->metaObject()->className()) == QLatin1String("QFrame");
    const QObjectList& stack = back->parentWidget()->children();
    return frame && back->geometry().contains(front->geometry()) && stack.indexOf(back) < stack.indexOf(front);
}

// Whether two siblings cover a common area. Twips round to whole pixels, so designs that meet
// edge to edge can share a line of one pixel; that is not an overlap.
inline bool overlap(const QWidget* a, const QWidget* b)
{
    if (isBackdropOf(a, b) || isBackdropOf(b, a))
        return false;
    const QRect common = drawnRect(a).intersected(drawnRect(b));
    return common.width() > 1 && common.height() > 1;
}

// Every named control the window shows has a size, lies inside the window's frame and does
// not overlap a sibling that is shown. Returns one line per problem.
inline QStringList layoutProblems(QWidget* window)
{
    QStringList problems;
    QWidget* frame = frameOf(window);
    if (window->isHidden() || frame->isHidden())
        problems << QStringLiteral("%1 is not shown").arg(nameOf(window));
    if (frame != window && !QRect(QPoint(0, 0), frame->size()).contains(window->geometry()))
        problems << QStringLiteral("%1 (%2) does not fit its child window (%3x%4)")
                        .arg(nameOf(window), rectText(window->geometry()))
                        .arg(frame->width())
                        .arg(frame->height());
    const QList<QWidget*> shown = shownControls(window);
    for (QWidget* control : shown) {
        if (QString problem = placementProblem(control, frame); !problem.isEmpty())
            problems << problem;
        const QWidget* parent = control->parentWidget();
        for (const QWidget* sibling : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            // Each pair once; the toolkit's inner parts and windows of their own aside.
            if (sibling == control || sibling->isWindow() || !sibling->isVisibleTo(window))
                continue;
            if (sibling->objectName().startsWith(QLatin1String("qt_")))
                continue;
            if (isNamedControl(sibling) && std::less<const QWidget*>()(sibling, control))
                continue;
            if (overlap(control, sibling))
                problems << QStringLiteral("%1 (%2) overlaps %3 (%4)")
                                .arg(nameOf(control), rectText(drawnRect(control)), nameOf(sibling),
                                     rectText(drawnRect(sibling)));
        }
    }
    return problems;
}

// The text a screen reader is given as the name of `widget`.
inline QString accessibleName(QWidget* widget)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

// A caption as it reads without its access-key marks ("&Close" reads "Close").
inline QString withoutAccessKeys(QString text)
{
    text.replace(QLatin1String("&&"), QString(QChar(0xfffe)));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(0xfffe), QLatin1Char('&'));
    return text;
}

inline bool isInput(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QAbstractItemView*>(widget) ||
           qobject_cast<const QAbstractButton*>(widget);
}

// Every named label the window shows gives a screen reader the text it shows; every named
// input and button a name (its caption, its label's text or a name of its own); every frame,
// named or not, its own title. Returns one line per problem.
inline QStringList accessibilityProblems(QWidget* window)
{
    QStringList problems;
    QList<QWidget*> controls = shownControls(window);
    for (QGroupBox* frame : window->findChildren<QGroupBox*>()) {
        if (!controls.contains(frame) && frame->isVisibleTo(window))
            controls.append(frame);
    }
    for (QWidget* control : controls) {
        const QString name = accessibleName(control);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            const QString shown = label->text();
            // A label that shows nothing, or shows formatted text, has no plain text to compare.
            if (shown.isEmpty() || label->textFormat() == Qt::RichText ||
                (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(shown)))
                continue;
            if (name != shown && name != withoutAccessKeys(shown))
                problems << QStringLiteral("%1 shows \"%2\" but reads \"%3\"").arg(nameOf(label), shown, name);
        } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
            if (name != withoutAccessKeys(frame->title()))
                problems
                    << QStringLiteral("%1 is titled \"%2\" but reads \"%3\"").arg(nameOf(frame), frame->title(), name);
        } else if (isInput(control)) {
            if (name.trimmed().isEmpty())
                problems << QStringLiteral("%1 has no accessible name").arg(nameOf(control));
        }
    }
    return problems;
}

} // namespace WindowChecks
