#pragma once

class QMenuBar;
class QStatusBar;
class QWidget;
class StatusPanels;

// The frame of a working window that brings its own menu bar: the menu bar on top, the
// area in which the controls sit at their twip positions, and the status bar StatusBar1
// with the five panels at the bottom. The widgets belong to the window.
class WindowFrame
{
public:
    explicit WindowFrame(QWidget* window);

    QMenuBar* menuBar() const { return m_menuBar; }
    QWidget* area() const { return m_area; }
    QStatusBar* statusBar() const { return m_statusBar; }
    StatusPanels* statusPanels() const { return m_statusPanels; }

private:
    QMenuBar* m_menuBar = nullptr;
    QWidget* m_area = nullptr;
    QStatusBar* m_statusBar = nullptr;
    StatusPanels* m_statusPanels = nullptr;
};
