#include "designer/ui/DesignerGridOptions.h"

#include "designer/DesignerGrid.h"
#include "designer/ui/DesignerCanvas.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>

namespace {

// Places inside the frame, in twips: left, top, width, height.
const QRect DisplayGridPlace{540, 360, 1275, 375};
const QRect GridSizeLabelPlace{1800, 180, 1095, 255};
const QRect GridSizePlace{1800, 420, 975, 255};
const QRect SnapToGridPlace{2940, 420, 1455, 255};

QRect pixels(const QRect& twips)
{
    return Twips::rect(twips.left(), twips.top(), twips.width(), twips.height());
}

} // namespace

DesignerGridOptions::DesignerGridOptions(DesignerCanvas* canvas, QWidget* parent)
    : QGroupBox(QStringLiteral("Grid Display Options"), parent), m_canvas(canvas)
{
    setObjectName(QStringLiteral("FrmDisplayOptions"));

    m_displayGrid = new QCheckBox(QStringLiteral("Display Grid"), this);
    m_displayGrid->setObjectName(QStringLiteral("chkGrid"));
    m_displayGrid->setGeometry(pixels(DisplayGridPlace));
    m_displayGrid->setChecked(true);

    auto* label = new QLabel(QStringLiteral("Grid Size"), this);
    label->setObjectName(QStringLiteral("lblGridSize"));
    label->setGeometry(pixels(GridSizeLabelPlace));
    m_gridSize = new QListWidget(this);
    m_gridSize->setObjectName(QStringLiteral("txtGridSize"));
    m_gridSize->setAccessibleName(QStringLiteral("Grid Size"));
    m_gridSize->setGeometry(pixels(GridSizePlace));
    for (int size = 1; size <= 10; ++size)
        m_gridSize->addItem(QString::number(size));
    m_gridSize->setCurrentRow(DesignerGrid::DefaultSize - 1);
    label->setBuddy(m_gridSize);

    // Moves are never rounded to the grid; the box is kept, hidden, without behaviour.
    auto* snapToGrid = new QCheckBox(QStringLiteral("Snap to Grid"), this);
    snapToGrid->setObjectName(QStringLiteral("chkSnapToGrid"));
    snapToGrid->setGeometry(pixels(SnapToGridPlace));
    snapToGrid->setChecked(true);
    snapToGrid->hide();

    connect(m_displayGrid, &QCheckBox::clicked, this, [this] { gridToggled(); });
    connect(m_gridSize, &QListWidget::currentRowChanged, this, [this] { gridSizeChosen(); });
}

void DesignerGridOptions::gridToggled()
{
    m_canvas->setGridVisible(m_displayGrid->isChecked());
    m_canvas->update();
}

void DesignerGridOptions::gridSizeChosen()
{
    const QListWidgetItem* item = m_gridSize->currentItem();
    if (!item)
        return;
    m_canvas->setGridStep(DesignerGrid::step(item->text().toInt()));
    if (m_displayGrid->isChecked())
        m_canvas->update();
}
