#include "platform/ScriptedInputBox.h"

std::optional<QString> ScriptedInputBox::getText(QWidget* parent, const QString& title, const QString& prompt,
                                                 const QString& defaultText)
{
    Q_UNUSED(parent);
    Q_UNUSED(title);
    Q_UNUSED(defaultText);
    m_prompts.append(prompt);
    if (m_answers.isEmpty())
        return std::nullopt;
    return m_answers.takeFirst();
}
