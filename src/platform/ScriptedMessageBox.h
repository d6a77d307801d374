#pragma once

#include "platform/MessageBox.h"

#include <QList>

// Test double: records every box shown and answers from a queue of preset answers.
// With the queue empty it answers Ok if offered, else Yes, else No, else Cancel (never Retry,
// so that a box that asks again ends when nothing more was scripted).
class ScriptedMessageBox : public MessageBox
{
public:
    struct Shown
    {
        QString title;
        QString text;
        Icon icon;
        Buttons buttons;
    };

    Button show(QWidget* parent, const QString& title, const QString& text, Icon icon, Buttons buttons) override;

    void setNextAnswer(Button answer) { m_answers.append(answer); }
    const QList<Shown>& shown() const { return m_shown; }
    Shown last() const { return m_shown.isEmpty() ? Shown{} : m_shown.last(); }
    void clear() { m_shown.clear(); }

private:
    QList<Button> m_answers;
    QList<Shown> m_shown;
};
