#pragma once

#include "platform/InputBox.h"

// The prompt as a Qt input dialog.
class QtInputBox : public InputBox
{
public:
    std::optional<QString> getText(QWidget* parent, const QString& title, const QString& prompt,
                                   const QString& defaultText) override;
};
