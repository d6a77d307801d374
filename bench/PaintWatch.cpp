#include "PaintWatch.h"

#include "Stopwatch.h"

#include <QEvent>

bool PaintWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && !m_painted) {
        m_painted = true;
        m_paintedAt = Stopwatch::now();
    }
    return QObject::eventFilter(watched, event);
}
