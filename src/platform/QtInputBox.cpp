#include "platform/QtInputBox.h"

#include <QInputDialog>
#include <QLineEdit>

std::optional<QString> QtInputBox::getText(QWidget* parent, const QString& title, const QString& prompt,
                                           const QString& defaultText)
{
    bool accepted = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}
