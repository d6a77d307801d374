#include "designer/ui/DesignerCanvas.h"

#include "designer/DesignerGrid.h"
#include "widgets/Twips.h"

#include <QPainter>

DesignerCanvas::DesignerCanvas(const QSize& twips, QWidget* parent)
    : QWidget(parent), m_twips(twips), m_gridStep(DesignerGrid::step(DesignerGrid::DefaultSize))
{
    setAutoFillBackground(true);
}

void DesignerCanvas::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    m_dotsDrawn = 0;
    if (m_gridVisible)
        DrawGrid();
}

void DesignerCanvas::DrawGrid()
{
    QPainter painter(this);
    painter.setPen(Qt::black);
    const QList<QPoint> dots = DesignerGrid::dots(m_twips, m_gridStep);
    for (const QPoint& dot : dots)
        painter.drawPoint(Twips::toPixelsX(dot.x()), Twips::toPixelsY(dot.y()));
    m_dotsDrawn = static_cast<int>(dots.size());
}
