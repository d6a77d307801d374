#pragma once

#include <QString>
#include <optional>

class QWidget;

// A one-line text prompt. Returns nothing when the user cancelled.
class InputBox
{
public:
    virtual ~InputBox() = default;
    virtual std::optional<QString> getText(QWidget* parent, const QString& title, const QString& prompt,
                                           const QString& defaultText = QString()) = 0;
    static InputBox& instance();
};
