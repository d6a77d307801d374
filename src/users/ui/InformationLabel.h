#pragma once

#include <QLabel>

// A label that shows a value the window sets while it runs (a generated password).
// Assistive technology is told its current text as its name, and nothing while it is
// empty: a plain label without text would be named after the frame around it.
class InformationLabel : public QLabel
{
    Q_OBJECT

public:
    explicit InformationLabel(QWidget* parent = nullptr);

    // Shows `text` and tells assistive technology that the label's name changed.
    void setValue(const QString& text);
};
