#include "widgets/PasswordLineEdit.h"

PasswordLineEdit::PasswordLineEdit(QWidget* parent) : QLineEdit(parent)
{
    setEchoMode(QLineEdit::Password);
    // 42 is "*"; the style's own mask character differs between platforms.
    setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}
