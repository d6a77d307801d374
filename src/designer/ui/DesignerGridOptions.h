#pragma once

#include <QGroupBox>

class DesignerCanvas;
class QCheckBox;
class QListWidget;

// The frame "Grid Display Options" of the designer: whether the canvas shows its grid dots
// and how far apart they lie. The hidden "Snap to Grid" box has no behaviour: moves are never
// rounded to the grid.
class DesignerGridOptions : public QGroupBox
{
    Q_OBJECT

public:
    DesignerGridOptions(DesignerCanvas* canvas, QWidget* parent = nullptr);

private:
    void gridToggled();
    void gridSizeChosen();

    DesignerCanvas* m_canvas;
    QCheckBox* m_displayGrid = nullptr;
    QListWidget* m_gridSize = nullptr;
};
