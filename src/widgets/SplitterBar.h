#pragma once

#include <QFrame>

// The raised bar between the two panes of an explorer window. Dragging it with the left
// button reports how far it was moved; the window then moves its panes (PaneLayout::drag).
class SplitterBar : public QFrame
{
    Q_OBJECT

public:
    // The bar's width, in twips.
    static constexpr double Width = 30;

    explicit SplitterBar(QWidget* parent = nullptr);

signals:
    // The bar was dragged `x` twips from where it was pressed.
    void dragged(double x);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};
