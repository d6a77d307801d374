#pragma once

// What a screen reader is told about a window's named controls, compared with what a person
// sees: a label its current text, an input the caption of the label that names it (its
// buddy) and, when typed characters are shown, its text; a button its caption and a frame
// its title. Hidden controls are left out.

#include <QAbstractButton>
#include <QAccessible>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>

namespace AccessibleTextCheck {

inline QString told(QWidget* control, QAccessible::Text kind = QAccessible::Name)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
    return face ? face->text(kind) : QStringLiteral("<no accessible interface>");
}

// A caption as shown: "&&" is an ampersand, a single "&" only underlines the next letter.
inline QString shown(QString caption)
{
    const QChar kept(0xE000);
    caption.replace(QStringLiteral("&&"), QString(kept));
    caption.remove(QLatin1Char('&'));
    caption.replace(kept, QLatin1Char('&'));
    return caption;
}

// One line "objectName: told … but shows …" for every named control whose accessible text
// differs from what it shows; empty when all agree.
inline QStringList mismatches(QWidget& window)
{
    QStringList wrong;
    auto compare = [&wrong](QWidget* control, const QString& what, const QString& toldText, const QString& shownText) {
        if (toldText != shownText)
            wrong << QStringLiteral("%1: %2 told \"%3\" but shows \"%4\"")
                         .arg(control->objectName(), what, toldText, shownText);
    };
    auto counts = [&window](QWidget* control) {
        return !control->objectName().isEmpty() && control->isVisibleTo(&window);
    };

    QHash<QWidget*, QString> captions;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        // Only a label that names another control underlines a letter after "&".
        const QString text = label->buddy() ? shown(label->text()) : label->text();
        if (label->buddy())
            captions.insert(label->buddy(), text);
        if (counts(label))
            compare(label, QStringLiteral("name"), told(label), text);
    }
    for (QLineEdit* box : window.findChildren<QLineEdit*>()) {
        if (!counts(box))
            continue;
        if (!captions.contains(box))
            wrong << box->objectName() + QStringLiteral(": no label names it");
        compare(box, QStringLiteral("name"), told(box), captions.value(box));
        if (box->echoMode() == QLineEdit::Normal)
            compare(box, QStringLiteral("value"), told(box, QAccessible::Value), box->text());
    }
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (counts(button))
            compare(button, QStringLiteral("name"), told(button), shown(button->text()));
    }
    for (QGroupBox* frame : window.findChildren<QGroupBox*>()) {
        if (counts(frame))
            compare(frame, QStringLiteral("name"), told(frame), shown(frame->title()));
    }
    return wrong;
}

} // namespace AccessibleTextCheck
