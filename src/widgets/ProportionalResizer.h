#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QSize>

class QWidget;

// The resize handling of a window that scales its controls: remembers the size the window
// was loaded at and, from the second resize on, scales its controls by the ratio of the new
// size to that one.
class ProportionalResizer
{
public:
    // At the window's load: remember its size and disarm the next resize.
    void load(const QWidget* window);

    // From the window's resize handler. An event that leaves the size as it was (the one
    // that comes with showing the window) changes nothing. The first real resize after a load
    // (the desktop maximizing the window at its start, say) only arms the shared flag and
    // leaves the controls as designed; later ones scale them.
    void resized(QWidget* window);

    // The size the window had at its last applied resize (at its load until then).
    QSize previousSize() const { return m_previous; }

private:
    struct Designed
    {
        QPointer<QWidget> control;
        QRect geometry;
        qreal pointSize = 0;
    };

    void recordDesign(QWidget* window);

    QSize m_loaded;
    QSize m_previous;
    bool m_firstResizePending = false;
    // Each control's geometry and font as designed: every scaling starts from them, so that
    // repeated maximizing and restoring neither drifts nor compounds.
    QList<Designed> m_designed;
};
