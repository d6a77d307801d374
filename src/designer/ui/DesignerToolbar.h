#pragma once

#include "designer/DesignerCanvasModel.h"

#include <QToolBar>

// The designer's toolbar: lock and unlock the canvas fields, and align the selected text
// boxes. Its buttons carry the names Toolbar1_1 to Toolbar1_7 by position (3 and 6 are
// separators); it only reports which button was pressed.
class DesignerToolbar : public QToolBar
{
    Q_OBJECT

public:
    explicit DesignerToolbar(QWidget* parent = nullptr);

signals:
    void lockRequested(bool locked);
    void alignRequested(DesignerCanvasModel::Alignment alignment);
};
