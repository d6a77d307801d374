#include "widgets/ProportionalResizer.h"

#include "widgets/ProportionalLayout.h"

#include <QWidget>
#include <algorithm>

void ProportionalResizer::load(const QWidget* window)
{
    m_loaded = window->size();
    m_previous = m_loaded;
    m_firstResizePending = true;
    ResizeArmed = false;
}

void ProportionalResizer::recordDesign(QWidget* window)
{
    m_designed.removeIf([](const Designed& d) { return d.control.isNull(); });
    // Read all before any is scaled: a control without a font of its own takes its
    // container's, which is about to change.
    for (QWidget* control : ProportionalControls(window)) {
        const bool known = std::any_of(m_designed.cbegin(), m_designed.cend(),
                                       [control](const Designed& d) { return d.control == control; });
        if (!known)
            m_designed.append(Designed{control, control->geometry(), control->font().pointSizeF()});
    }
}

void ProportionalResizer::resized(QWidget* window)
{
    try {
        const QSize current = window->size();
        if (current == m_previous)
            return;
        if (m_firstResizePending || !ResizeArmed) {
            m_firstResizePending = false;
            ResizeArmed = true;
            return;
        }
        // A window that had no size at its load gives no ratio; it only starts the record.
        if (m_loaded.width() > 0 && m_loaded.height() > 0) {
            recordDesign(window);
            const float factorX = static_cast<float>(current.width()) / static_cast<float>(m_loaded.width());
            const float factorY = static_cast<float>(current.height()) / static_cast<float>(m_loaded.height());
            for (const Designed& d : std::as_const(m_designed)) {
                if (d.control)
                    ScaleControl(d.control, d.geometry, d.pointSize, factorX, factorY);
            }
        } else {
            m_loaded = current;
        }
        m_previous = current;
    } catch (...) {
        // Layout is cosmetic: a failure leaves the controls as far as they got.
    }
}
