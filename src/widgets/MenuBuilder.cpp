#include "widgets/MenuBuilder.h"

#include <QMenu>
#include <QMenuBar>

QMenu* MenuBuilder::menu(QMenuBar* bar, const QString& name, const QString& caption, bool visible) const
{
    auto* menu = new QMenu(caption, bar);
    bar->addMenu(menu);
    return named(menu, name, visible);
}

QMenu* MenuBuilder::menu(QMenu* parent, const QString& name, const QString& caption, bool visible) const
{
    auto* menu = new QMenu(caption, parent);
    parent->addMenu(menu);
    return named(menu, name, visible);
}

QMenu* MenuBuilder::named(QMenu* menu, const QString& name, bool visible) const
{
    menu->setObjectName(name);
    switch (m_openerName) {
    case OpenerName::None:
        break;
    case OpenerName::SameAsMenu:
        menu->menuAction()->setObjectName(name);
        break;
    case OpenerName::MenuAction:
        menu->menuAction()->setObjectName(name + QStringLiteral("Action"));
        break;
    }
    menu->menuAction()->setVisible(visible);
    return menu;
}

QAction* MenuBuilder::item(QMenu* menu, const QString& name, const QString& caption, bool visible)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setVisible(visible);
    return action;
}

QAction* MenuBuilder::separator(QMenu* menu, const QString& name)
{
    QAction* action = menu->addSeparator();
    action->setObjectName(name);
    return action;
}
