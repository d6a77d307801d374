#include "widgets/WindowsMenu.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

void WindowsMenu::fill(QMenu* menu, QMdiArea* area)
{
    menu->clear();
    if (!area)
        return;
    int number = 0;
    for (QMdiSubWindow* window : area->subWindowList()) {
        if (window->isHidden())
            continue;
        QString title = window->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = menu->addAction(QStringLiteral("&%1 %2").arg(++number).arg(title));
        item->setCheckable(true);
        item->setChecked(window == area->activeSubWindow());
        // The window may close while the menu is open.
        const QPointer<QMdiSubWindow> target(window);
        QObject::connect(item, &QAction::triggered, area, [area, target] {
            if (target)
                area->setActiveSubWindow(target);
        });
    }
}
