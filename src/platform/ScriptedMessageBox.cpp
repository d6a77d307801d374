#include "platform/ScriptedMessageBox.h"

MessageBox::Button ScriptedMessageBox::show(QWidget* parent, const QString& title, const QString& text, Icon icon,
                                            Buttons buttons)
{
    Q_UNUSED(parent);
    m_shown.append(Shown{title, text, icon, buttons});
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    if (offers(buttons, Ok))
        return Ok;
    if (offers(buttons, Yes))
        return Yes;
    for (Button button : {No, Cancel}) {
        if (offers(buttons, button))
            return button;
    }
    return NoButton;
}
