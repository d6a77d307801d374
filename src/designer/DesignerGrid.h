#pragma once

#include <QList>
#include <QPoint>
#include <QSize>

// The dots of the designer's grid, in twips of the canvas.
class DesignerGrid
{
public:
    static constexpr int DefaultSize = 4;
    static constexpr int TwipsPerSize = 50;

    // The distance between dots for a grid size chosen in the list (1 … 10).
    static int step(int size) { return size * TwipsPerSize; }

    // One dot at (k × step, r × step) for every column k = 1, 2, … while k is less than the
    // canvas width divided by the step, and every row r likewise for the height.
    static QList<QPoint> dots(const QSize& canvas, int step);
};
