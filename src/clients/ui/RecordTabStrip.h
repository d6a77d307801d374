#pragma once

#include "clients/ClientRecord.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

class QTabBar;
class QWidget;

// The record window's strip of tabs (TabStrip1): the client's data tabs, named as defined,
// and the fixed tabs after them. Changing the tabs never counts as the user choosing one.
class RecordTabStrip : public QObject
{
    Q_OBJECT

public:
    // Builds the strip in `window` at `area` (pixels), as tall as its headers are, at least
    // down to `frameTop`.
    RecordTabStrip(QWidget* window, const QRect& area, int frameTop);

    QTabBar* bar() const { return m_bar; }
    // The caption of the selected tab, as the tab is named.
    QString selected() const;

    // Shows `tabs`, then the fixed tabs when `withFixedTabs`, and selects the first.
    void showTabs(const std::vector<ClientRecord::Tab>& tabs, bool withFixedTabs);
    void appendFixedTabs(const QStringList& tabs);
    // Takes the fixed tabs, always the last ones, off the strip.
    void removeFixedTabs();

private:
    QString tabName(int index) const;

    QTabBar* m_bar = nullptr;
};
