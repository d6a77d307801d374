#pragma once

#include <QLineEdit>

// A text box for a password: every character is shown as "*".
class PasswordLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit PasswordLineEdit(QWidget* parent = nullptr);
};
