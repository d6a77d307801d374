#include "shell/ProportionalResizer.h"

#include "shell/ProportionalLayout.h"

#include <QWidget>

void ProportionalResizer::load(const QWidget* window)
{
    m_previous = window->size();
    ResizeArmed = false;
}

void ProportionalResizer::resized(QWidget* window)
{
    if (!ResizeArmed) {
        ResizeArmed = true;
        return;
    }
    const QSize current = window->size();
    // A window that had no size yet gives no ratio; it only starts the record.
    if (m_previous.width() > 0 && m_previous.height() > 0) {
        const float factorX = static_cast<float>(current.width()) / static_cast<float>(m_previous.width());
        const float factorY = static_cast<float>(current.height()) / static_cast<float>(m_previous.height());
        ResizeControls(factorX, factorY, window);
    }
    m_previous = current;
}
