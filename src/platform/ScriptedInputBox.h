#pragma once

#include "platform/InputBox.h"

#include <QList>

// Test double: answers from a queue (std::nullopt = the user cancelled); cancels when empty.
class ScriptedInputBox : public InputBox
{
public:
    std::optional<QString> getText(QWidget* parent, const QString& title, const QString& prompt,
                                   const QString& defaultText) override;

    void setNextAnswer(std::optional<QString> answer) { m_answers.append(answer); }
    const QStringList& prompts() const { return m_prompts; }

private:
    QList<std::optional<QString>> m_answers;
    QStringList m_prompts;
};
