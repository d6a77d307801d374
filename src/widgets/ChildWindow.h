#pragma once

class QSize;
class QWidget;

// A working window is shown inside a child window of the main window, or on its own when
// opened by itself (as the tests do). These act on whichever frame holds the window.
class ChildWindow
{
public:
    // Closes the child window that holds `window`, or `window` itself when it has none.
    static void close(QWidget* window);
    // Gives `window` its size and fits the child window that holds it around it.
    static void resize(QWidget* window, const QSize& size);
};
