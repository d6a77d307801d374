#pragma once

class QMdiArea;
class QMenu;

// The "Windows" menu of the main window and of the explorer: one numbered, checkable item per
// shown child window, the active one checked. A title's "&" is shown as written, not taken as
// an accelerator.
class WindowsMenu
{
public:
    static void fill(QMenu* menu, QMdiArea* area);
};
