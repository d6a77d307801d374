#pragma once

#include "widgets/PaneLayout.h"

#include <QObject>
#include <QString>
#include <QTreeView>
#include <type_traits>

class QIcon;
class QLabel;
class QMenuBar;
class QSize;
class QStyle;
class QTreeWidget;
class SplitterBar;
class StatusPanels;

// The frame of a window that explores a tree of groups or folders: the window's menu bar, the
// tree TreClassView under its caption LblClassAndSection on the left, the list
// LstStudenInformation under its caption LblStudentInformation on the right, the splitter bar
// Picture1 between them and the status bar StatusBar1 with its panels at the bottom.
//
// The frame keeps the controls at their places, in twips: dragging the bar shares the width
// between the panes, resizing the window stretches the list (and, if the design says so, both
// panes) to the window's edges. What the tree and the list hold, the menus' items and what a
// click does are the window's own.
class ExplorerFrame : public QObject
{
    Q_OBJECT

public:
    struct Design
    {
        double width = 0; // the window's designed size, in twips
        double height = 0;
        PaneLayout places{}; // the designed places of the captions, panes and bar
        // Whether the panes grow and shrink with the window's height; otherwise they keep
        // their designed height.
        bool panesFollowHeight = false;
        QString treeCaption;
        QString treeCaptionToolTip;
        QString listCaption;
        // What a screen reader calls the tree, the list and the bar.
        QString treeName;
        QString listName;
        QString barName;
    };

    // Builds the frame in `window`, which owns its widgets. The list is added by addList().
    ExplorerFrame(QWidget* window, const Design& design);

    // Adds the list, of the kind of view the window fills, behind the tree in the tab order:
    // one row selected at a time, whole rows, nothing edited in place, fixed columns.
    template <typename View>
    View* addList()
    {
        static_assert(std::is_base_of_v<QTreeView, View>);
        auto* list = new View(m_area);
        setUpList(list);
        return list;
    }

    QMenuBar* menuBar() const { return m_menuBar; }
    StatusPanels* statusPanels() const { return m_statusPanels; }
    QLabel* treeCaption() const { return m_treeCaption; }
    QLabel* listCaption() const { return m_listCaption; }
    QTreeWidget* tree() const { return m_tree; }
    QTreeView* list() const { return m_list; }
    SplitterBar* bar() const { return m_bar; }
    const PaneLayout& places() const { return m_places; }
    QSize designedSize() const;

    // A closed folder that shows open while its node is selected: the tree's nodes' image.
    static QIcon folderIcon(const QStyle* style);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpList(QTreeView* list);
    void dragBar(double x);
    void windowResized();
    void place();

    QWidget* m_window = nullptr;
    double m_designedWidth = 0;
    double m_designedHeight = 0;
    bool m_panesFollowHeight = false;
    QString m_listName;
    PaneLayout m_places{};

    QMenuBar* m_menuBar = nullptr;
    QWidget* m_area = nullptr;
    StatusPanels* m_statusPanels = nullptr;
    QLabel* m_treeCaption = nullptr;
    QLabel* m_listCaption = nullptr;
    QTreeWidget* m_tree = nullptr;
    QTreeView* m_list = nullptr;
    SplitterBar* m_bar = nullptr;
};
