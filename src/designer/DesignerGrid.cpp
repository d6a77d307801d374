#include "designer/DesignerGrid.h"

QList<QPoint> DesignerGrid::dots(const QSize& canvas, int step)
{
    QList<QPoint> points;
    if (step <= 0)
        return points;
    const double columns = static_cast<double>(canvas.width()) / step;
    const double rows = static_cast<double>(canvas.height()) / step;
    for (int r = 1; r < rows; ++r) {
        for (int k = 1; k < columns; ++k)
            points.append(QPoint(k * step, r * step));
    }
    return points;
}
