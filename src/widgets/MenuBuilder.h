#pragma once

#include <QAction>
#include <QObject>
#include <QString>
#include <utility>

class QMenu;
class QMenuBar;
class QWidget;

// Builds a window's menus: each menu and item gets its object name (the name tests and the
// main window look it up by) and its caption. Windows name the item that opens a menu in
// different ways, and those names are looked up, so each window says which way it uses.
class MenuBuilder
{
public:
    // The object name given to the item that opens a menu.
    enum class OpenerName
    {
        None,       // left without a name
        SameAsMenu, // the menu's own name
        MenuAction  // the menu's name followed by "Action"
    };

    explicit MenuBuilder(OpenerName openerName) : m_openerName(openerName) {}

    // A menu on the menu bar, or a submenu of `parent`; its opening item hidden when `visible`
    // is false (a pop-up menu that the menu bar does not show).
    QMenu* menu(QMenuBar* bar, const QString& name, const QString& caption, bool visible = true) const;
    QMenu* menu(QMenu* parent, const QString& name, const QString& caption, bool visible = true) const;

    // An item of `menu`, hidden when `visible` is false.
    static QAction* item(QMenu* menu, const QString& name, const QString& caption, bool visible = true);
    // An item that calls `slot` on `receiver` when chosen.
    template <typename Receiver, typename Slot>
    static QAction* item(QMenu* menu, const QString& name, const QString& caption, const Receiver* receiver, Slot slot)
    {
        QAction* action = item(menu, name, caption);
        QObject::connect(action, &QAction::triggered, receiver, std::move(slot));
        return action;
    }
    static QAction* separator(QMenu* menu, const QString& name);

private:
    QMenu* named(QMenu* menu, const QString& name, bool visible) const;

    OpenerName m_openerName;
};
