#pragma once

#include <QSize>
#include <QWidget>

// The designer's canvas: a plain surface that holds the field controls and, while the grid
// is displayed, draws its dots each time it repaints.
class DesignerCanvas : public QWidget
{
    Q_OBJECT

public:
    // `twips` is the canvas size the grid is laid out on.
    explicit DesignerCanvas(const QSize& twips, QWidget* parent = nullptr);

    bool gridVisible() const { return m_gridVisible; }
    void setGridVisible(bool visible) { m_gridVisible = visible; }
    int gridStep() const { return m_gridStep; }
    void setGridStep(int step) { m_gridStep = step; }
    // How many dots the last repaint drew.
    int dotsDrawn() const { return m_dotsDrawn; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void DrawGrid();

    QSize m_twips;
    bool m_gridVisible = true;
    int m_gridStep = 0;
    int m_dotsDrawn = 0;
};
