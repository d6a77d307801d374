#include "platform/MessageBox.h"

#include "platform/Platform.h"

MessageBox& MessageBox::instance()
{
    return Platform::messageBox();
}

void MessageBox::inform(QWidget* parent, const QString& title, const QString& text, Icon icon)
{
    instance().show(parent, title, text, icon, OkOnly);
}

MessageBox::Button MessageBox::ask(QWidget* parent, const QString& title, const QString& text, Buttons buttons,
                                   Icon icon)
{
    return instance().show(parent, title, text, icon, buttons);
}
