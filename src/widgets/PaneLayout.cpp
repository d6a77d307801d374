#include "widgets/PaneLayout.h"

#include "widgets/SplitterBar.h"
#include "widgets/Twips.h"

#include <QWidget>

#include <cmath>

bool PaneLayout::drag(double x, double windowWidth)
{
    const double tree = treeWidth + x;
    if (!(80 < tree + 25 && tree + 25 <= windowWidth - 335))
        return false;
    treeWidth = tree;
    barLeft = tree + 45;
    listLeft = tree + 45 + SplitterBar::Width + 25;
    listWidth = std::abs(windowWidth - (listLeft + 200));
    listCaptionLeft = listLeft;
    listCaptionWidth = listWidth;
    treeCaptionWidth = treeWidth;
    return true;
}

void PaneLayout::fitWidth(double windowWidth)
{
    barHeight = treeHeight + 425;
    listCaptionLeft = listLeft;
    listCaptionWidth = std::abs(windowWidth - (listLeft + 200));
    treeCaptionWidth = treeWidth;
    listWidth = listCaptionWidth;
}

void PaneLayout::fitHeight(double windowHeight)
{
    treeHeight = std::abs(windowHeight - 1320);
    listHeight = std::abs(windowHeight - 1320);
}

void PaneLayout::place(QWidget* treeCaption, QWidget* listCaption, QWidget* tree, QWidget* list, QWidget* bar) const
{
    treeCaption->setGeometry(Twips::rect(PaneLeft, CaptionTop, treeCaptionWidth, CaptionHeight));
    listCaption->setGeometry(Twips::rect(listCaptionLeft, CaptionTop, listCaptionWidth, CaptionHeight));
    tree->setGeometry(Twips::rect(PaneLeft, PaneTop, treeWidth, treeHeight));
    list->setGeometry(Twips::rect(listLeft, PaneTop, listWidth, listHeight));
    bar->setGeometry(Twips::rect(barLeft, BarTop, SplitterBar::Width, barHeight));
    // The bar stays above the panes it divides.
    bar->raise();
}
