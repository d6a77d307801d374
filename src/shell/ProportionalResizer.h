#pragma once

#include <QSize>

class QWidget;

// The resize handling of a window that scales its controls: remembers the window's
// previous size and applies ResizeControls with the ratio of the new size to it.
class ProportionalResizer
{
public:
    // At the window's load: remember its size and disarm the next resize.
    void load(const QWidget* window);

    // From the window's resize handler. The first resize after a load only arms the
    // shared flag; later ones scale the controls and remember the new size.
    void resized(QWidget* window);

    QSize previousSize() const { return m_previous; }

private:
    QSize m_previous;
};
