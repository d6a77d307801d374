#pragma once

class QWidget;

// The places of an explorer window's controls, in twips: the tree on the left under its
// caption, the list on the right under its caption, and the splitter bar between them.
// The window sets the designed places and changes them as it is resized.
struct PaneLayout
{
    // The parts that never move.
    static constexpr double CaptionTop = 120;
    static constexpr double CaptionHeight = 375;
    static constexpr double PaneLeft = 60;
    static constexpr double PaneTop = 540;
    static constexpr double BarTop = 120;

    double treeWidth;
    double treeHeight;
    double barLeft;
    double barHeight;
    double listLeft;
    double listWidth;
    double listHeight;
    double listCaptionLeft;
    double listCaptionWidth;
    double treeCaptionWidth;

    // Moves the bar `x` twips in a window `windowWidth` wide, the panes and captions with it.
    // Refused, leaving every place as it was, when the tree would shrink to nothing or the
    // bar come too close to the right edge; false then.
    bool drag(double x, double windowWidth);
    // Follows a new window width: the list and its caption reach to 200 twips short of the
    // right edge (a window narrower than that gives the distance without its sign), and the bar
    // runs the height of the tree and its caption.
    void fitWidth(double windowWidth);
    // Follows a new window height: both panes are 1320 twips shorter than the window.
    // Call before fitWidth(), which sizes the bar from the tree's height.
    void fitHeight(double windowHeight);
    // Gives the widgets their places.
    void place(QWidget* treeCaption, QWidget* listCaption, QWidget* tree, QWidget* list, QWidget* bar) const;
};
