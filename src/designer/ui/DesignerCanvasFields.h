#pragma once

#include "designer/DesignerCanvasModel.h"

#include <QObject>
#include <vector>

class QLabel;
class QLineEdit;
class QWidget;

// The controls of the canvas fields: for field i the label Label1_i, the text box Text1_i and
// the hidden order box Text2_i, and the hidden index-0 templates above the canvas. It places
// them where the canvas model says, and turns the user's presses and drags on them into
// selections and moves of the model.
class DesignerCanvasFields : public QObject
{
    Q_OBJECT

public:
    // The controls are children of `canvas`; `model` must outlive this object.
    DesignerCanvasFields(DesignerCanvasModel& model, QWidget* canvas);

    // Creates the controls of the model's field `index`, the next one after those made.
    void add(int index);
    // Puts the controls of field `index` where the model has it.
    void place(int index);
    // Removes every field's controls (the templates stay).
    void clear();

signals:
    // The user dragged text box `index` or gave it the focus: it becomes the width target.
    void boxTouched(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct FieldControls
    {
        QLabel* label;
        QLineEdit* box;
        QLineEdit* order;
    };

    int boxIndex(const QObject* object) const;
    int labelIndex(const QObject* object) const;

    DesignerCanvasModel& m_model;
    QWidget* m_canvas;
    std::vector<FieldControls> m_controls; // element i - 1 shows canvas field i
};
