#pragma once

#include <QObject>

class QEvent;
class QLabel;
class QStatusBar;
class QTimer;

// The five panels of a window's status bar: the lock keys (CAPS, NUM, INS), the time and
// the date. The clock refreshes itself as each minute begins.
class StatusPanels : public QObject
{
    Q_OBJECT

public:
    enum Panel
    {
        CapsPanel,
        NumPanel,
        InsertPanel,
        TimePanel,
        DatePanel,
        PanelCount
    };

    enum class Placement
    {
        Shared,   // each panel takes a fifth of the bar's width
        Permanent // at the right end of the bar, each at least 900 twips wide
    };

    // Adds the panels, named panelCaps, panelNum, panelInsert, panelTime and panelDate, to `bar`.
    StatusPanels(QStatusBar* bar, Placement placement);

    QLabel* panel(Panel which) const { return m_panels[which]; }

    // From now on the lock-key panels show the keys' states, greyed while off, as followed
    // from the key presses passed to keyEvent(). Without it they just show the keys' names.
    void trackKeys();
    // Follows the lock keys from a key press the window saw; other events are ignored.
    void keyEvent(const QEvent* event);

private:
    void updateClock();
    void updateKeyPanels();

    QLabel* m_panels[PanelCount] = {};
    QTimer* m_clock = nullptr;
    bool m_tracking = false;
    bool m_capsLock = false;
    bool m_numLock = false;
    bool m_insert = true;
};
