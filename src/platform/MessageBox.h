#pragma once

#include <QString>

class QWidget;

// Message boxes: title, text, icon, buttons, and the answer the user gave.
class MessageBox
{
public:
    enum Icon
    {
        NoIcon,
        Information,
        Warning,
        Critical,
        Question
    };
    enum Button
    {
        NoButton = 0,
        Ok = 0x1,
        Cancel = 0x2,
        Yes = 0x4,
        No = 0x8,
        Retry = 0x10
    };
    enum Buttons
    {
        OkOnly = Ok,
        OkCancel = Ok | Cancel,
        YesNo = Yes | No,
        YesNoCancel = Yes | No | Cancel,
        RetryCancel = Retry | Cancel,
        // Yes and No with No as the default button: for a question whose Yes replaces data,
        // so that Enter pressed in passing does not.
        YesNoDefaultNo = Yes | No | 0x100
    };

    virtual ~MessageBox() = default;

    // Whether `button` is one of `buttons`.
    static constexpr bool offers(Buttons buttons, Button button)
    {
        return (static_cast<int>(buttons) & static_cast<int>(button)) != 0;
    }

    // Shows the box and returns the button chosen (Cancel or No when closed otherwise).
    virtual Button show(QWidget* parent, const QString& title, const QString& text, Icon icon, Buttons buttons) = 0;

    // The current implementation (Qt unless a test installed a double).
    static MessageBox& instance();

    // Shortcuts through the current implementation.
    static void inform(QWidget* parent, const QString& title, const QString& text, Icon icon = NoIcon);
    static Button ask(QWidget* parent, const QString& title, const QString& text, Buttons buttons = YesNo,
                      Icon icon = Question);
};
