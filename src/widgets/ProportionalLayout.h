#pragma once

#include <QList>
#include <QtGlobal>

class QRect;
class QWidget;

// Proportional layout of the main window and the splash window: when either is resized,
// every control on it is moved, resized and its font scaled by the ratio of the new size
// to the previous one.

// Shared by every window that scales its controls. False after such a window loads; the
// first resize that follows only sets it (see ProportionalResizer).
extern bool ResizeArmed;

// Scales the controls of `Window` (not the window itself): positions and sizes by FactorX
// horizontally and FactorY vertically (a combo box keeps its height, which follows its
// font), font sizes by the mean of the two factors. A property a control lacks is skipped
// for that control; nothing here throws.
void ResizeControls(float FactorX, float FactorY, QWidget* Window);

// Gives one control the geometry `from` scaled by FactorX and FactorY (a combo box keeps
// its current height; a control placed by its parent's layout keeps its place) and the
// font size `fromPointSize` scaled by the mean of the two. A font size of 0 or less (a font
// given in pixels) is left alone.
void ScaleControl(QWidget* control, const QRect& from, qreal fromPointSize, float FactorX, float FactorY);

// The controls of `Window` in the order ResizeControls visits them.
QList<QWidget*> ProportionalControls(QWidget* Window);
