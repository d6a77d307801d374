#include "platform/QtMessageBox.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon qtIcon(MessageBox::Icon icon)
{
    switch (icon) {
    case MessageBox::Information:
        return QMessageBox::Information;
    case MessageBox::Warning:
        return QMessageBox::Warning;
    case MessageBox::Critical:
        return QMessageBox::Critical;
    case MessageBox::Question:
        return QMessageBox::Question;
    case MessageBox::NoIcon:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageBox::Button QtMessageBox::show(QWidget* parent, const QString& title, const QString& text, Icon icon,
                                      Buttons buttons)
{
    QMessageBox box(qtIcon(icon), title, text, QMessageBox::NoButton, parent);

    QMessageBox::StandardButtons qtButtons;
    if (offers(buttons, Ok))
        qtButtons |= QMessageBox::Ok;
    if (offers(buttons, Yes))
        qtButtons |= QMessageBox::Yes;
    if (offers(buttons, No))
        qtButtons |= QMessageBox::No;
    if (offers(buttons, Retry))
        qtButtons |= QMessageBox::Retry;
    if (offers(buttons, Cancel))
        qtButtons |= QMessageBox::Cancel;
    if (qtButtons == QMessageBox::NoButton)
        qtButtons = QMessageBox::Ok;
    box.setStandardButtons(qtButtons);

    // Escape (and the title bar's close button) gives Cancel when offered, else No, else Ok.
    if (offers(buttons, Cancel))
        box.setEscapeButton(QMessageBox::Cancel);
    else if (offers(buttons, No))
        box.setEscapeButton(QMessageBox::No);
    else
        box.setEscapeButton(offers(buttons, Ok) || !offers(buttons, Yes) ? QMessageBox::Ok : QMessageBox::Yes);

    if (buttons == YesNoDefaultNo)
        box.setDefaultButton(QMessageBox::No);
    else if (offers(buttons, Retry))
        box.setDefaultButton(QMessageBox::Retry);
    else if (offers(buttons, Yes))
        box.setDefaultButton(QMessageBox::Yes);
    else if (offers(buttons, Ok))
        box.setDefaultButton(QMessageBox::Ok);

    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return Ok;
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    case QMessageBox::Cancel:
        return Cancel;
    case QMessageBox::Retry:
        return Retry;
    default:
        break;
    }
    // Closed without a button: the box's escape answer.
    if (offers(buttons, Cancel))
        return Cancel;
    if (offers(buttons, No))
        return No;
    return offers(buttons, Ok) || !offers(buttons, Yes) ? Ok : Yes;
}
