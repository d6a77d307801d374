#include "widgets/ExplorerFrame.h"

#include "widgets/SplitterBar.h"
#include "widgets/Twips.h"
#include "widgets/WindowFrame.h"

#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>

namespace {

QLabel* caption(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    return label;
}

} // namespace

ExplorerFrame::ExplorerFrame(QWidget* window, const Design& design)
    : QObject(window), m_window(window), m_designedWidth(design.width), m_designedHeight(design.height),
      m_panesFollowHeight(design.panesFollowHeight), m_listName(design.listName), m_places(design.places)
{
    const WindowFrame frame(window);
    m_menuBar = frame.menuBar();
    m_area = frame.area();
    m_statusPanels = frame.statusPanels();

    // The windows change the captions as they go (a mode, the sort order); a screen reader
    // reads a label's current text, so neither carries a fixed accessible name.
    m_treeCaption = caption(QStringLiteral("LblClassAndSection"), design.treeCaption, m_area);
    m_treeCaption->setToolTip(design.treeCaptionToolTip);
    m_listCaption = caption(QStringLiteral("LblStudentInformation"), design.listCaption, m_area);

    m_tree = new QTreeWidget(m_area);
    m_tree->setObjectName(QStringLiteral("TreClassView"));
    m_tree->setAccessibleName(design.treeName);
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setIconSize(QSize(16, 16));

    m_bar = new SplitterBar(m_area);
    m_bar->setAccessibleName(design.barName);
    connect(m_bar, &SplitterBar::dragged, this, &ExplorerFrame::dragBar);

    window->installEventFilter(this);
}

void ExplorerFrame::setUpList(QTreeView* list)
{
    m_list = list;
    list->setObjectName(QStringLiteral("LstStudenInformation"));
    list->setAccessibleName(m_listName);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    QWidget::setTabOrder(m_tree, list);
    place();
}

QSize ExplorerFrame::designedSize() const
{
    return Twips::size(m_designedWidth, m_designedHeight);
}

QIcon ExplorerFrame::folderIcon(const QStyle* style)
{
    QIcon icon;
    icon.addPixmap(style->standardIcon(QStyle::SP_DirClosedIcon).pixmap(16, 16), QIcon::Normal);
    icon.addPixmap(style->standardIcon(QStyle::SP_DirOpenIcon).pixmap(16, 16), QIcon::Selected);
    return icon;
}

bool ExplorerFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Resize)
        windowResized();
    return QObject::eventFilter(watched, event);
}

void ExplorerFrame::dragBar(double x)
{
    if (m_places.drag(x, Twips::fromPixelsX(m_window->width())))
        place();
}

void ExplorerFrame::windowResized()
{
    if (m_panesFollowHeight)
        m_places.fitHeight(Twips::fromPixelsY(m_window->height()));
    m_places.fitWidth(Twips::fromPixelsX(m_window->width()));
    place();
}

void ExplorerFrame::place()
{
    if (m_list)
        m_places.place(m_treeCaption, m_listCaption, m_tree, m_list, m_bar);
}
