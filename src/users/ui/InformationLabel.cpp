#include "users/ui/InformationLabel.h"

#include <QAccessibleWidget>

namespace {

class AccessibleInformationLabel : public QAccessibleWidget
{
public:
    explicit AccessibleInformationLabel(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name)
            return qobject_cast<QLabel*>(widget())->text();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* accessibleInformationLabel(const QString& className, QObject* object)
{
    if (className == QLatin1String(InformationLabel::staticMetaObject.className()))
        if (auto* label = qobject_cast<InformationLabel*>(object))
            return new AccessibleInformationLabel(label);
    return nullptr;
}

} // namespace

InformationLabel::InformationLabel(QWidget* parent) : QLabel(parent)
{
    // A value is shown as it is, whatever characters it holds.
    setTextFormat(Qt::PlainText);
    static const bool installed = [] {
        QAccessible::installFactory(accessibleInformationLabel);
        return true;
    }();
    Q_UNUSED(installed);
}

void InformationLabel::setValue(const QString& text)
{
    if (text == this->text())
        return;
    setText(text);
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}
