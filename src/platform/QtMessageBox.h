#pragma once

#include "platform/MessageBox.h"

class QtMessageBox : public MessageBox
{
public:
    Button show(QWidget* parent, const QString& title, const QString& text, Icon icon, Buttons buttons) override;
};
