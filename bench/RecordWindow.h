#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

class DisplayExtendedInformation;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTreeView;

// The client record window as a person drives it: found by the names of its controls,
// clicked where a person clicks, files dropped where a person drops them.
class RecordWindow
{
public:
    RecordWindow(qint64 client, const QString& caption);
    ~RecordWindow();
    RecordWindow(const RecordWindow&) = delete;
    RecordWindow& operator=(const RecordWindow&) = delete;

    DisplayExtendedInformation& window() const { return *m_window; }
    QTabBar* tabs() const { return m_tabs; }
    // The list of the fixed tabs, read through its model (whatever fills it).
    QTreeView* list() const { return m_list; }

    // Shows the window as its opener does; returns the moment of its first paint.
    std::int64_t showAndWait();

    int tabIndex(const QString& caption) const;
    void clickTab(const QString& caption) const;
    void clickButton(const QString& objectName) const;
    QPushButton* button(const QString& objectName) const;
    // The text box of the field shown on the current tab.
    QLineEdit* box(const QString& fieldName) const;

    int listCount() const;
    // The texts of the list's first column, top to bottom.
    QStringList listNames() const;
    // Selects a row of the list as a click on it does.
    void select(int row) const;
    // An action of the list's context menu ("MnuSaveAs", "MnuView").
    void trigger(const QString& actionName) const;
    // Files dropped from a file manager onto the list.
    void drop(const QStringList& paths) const;

private:
    std::unique_ptr<DisplayExtendedInformation> m_window;
    QTabBar* m_tabs = nullptr;
    QTreeView* m_list = nullptr;
};
