#include "widgets/ExplorerFrame.h"
#include "widgets/SplitterBar.h"
#include "widgets/StatusPanels.h"
#include "widgets/Twips.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

namespace {

ExplorerFrame::Design design(bool panesFollowHeight)
{
    return {.width = 13200,
            .height = 10000,
            .places = {.treeWidth = 2475,
                       .treeHeight = 7215,
                       .barLeft = 2580,
                       .barHeight = 7635,
                       .listLeft = 2595,
                       .listWidth = 10455,
                       .listHeight = 7215,
                       .listCaptionLeft = 2595,
                       .listCaptionWidth = 10455,
                       .treeCaptionWidth = 2475},
            .panesFollowHeight = panesFollowHeight,
            .treeCaption = QStringLiteral("Folders"),
            .treeCaptionToolTip = QStringLiteral("Click to Refresh"),
            .listCaption = QStringLiteral("Documents"),
            .treeName = QStringLiteral("Folder tree"),
            .listName = QStringLiteral("Document list"),
            .barName = QStringLiteral("Divider")};
}

QString accessibleName(QWidget* widget)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

// Twips round to whole pixels, one at a time: a computed edge may be a pixel off.
bool near(int actual, int expected)
{
    return qAbs(actual - expected) <= 1;
}

// The right edge, in pixels of its parent, of `widget`.
int rightEdge(const QWidget* widget)
{
    return widget->x() + widget->width();
}

// A window holding the frame, at its designed size.
struct FramedWindow
{
    explicit FramedWindow(bool panesFollowHeight) : frame(new ExplorerFrame(&window, design(panesFollowHeight)))
    {
        frame->addList<QTreeWidget>();
        window.resize(frame->designedSize());
        window.show();
    }

    void drag(double twips)
    {
        SplitterBar* bar = frame->bar();
        const QPointF at(Twips::toPixelsX(twips), 10);
        QMouseEvent move(QEvent::MouseMove, at, bar->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &move);
    }

    QWidget window;
    ExplorerFrame* frame;
};

} // namespace

class TestExplorerFrame : public QObject
{
    Q_OBJECT

private slots:
    void controlsCarryTheirNamesAndCaptions();
    void resizingStretchesThePanes_data();
    void resizingStretchesThePanes();
    void barDragSharesTheWidthWithinLimits();
    void tabGoesFromTreeToList();
};

void TestExplorerFrame::controlsCarryTheirNamesAndCaptions()
{
    FramedWindow w(false);
    QWidget& window = w.window;
    QCOMPARE(window.size(), Twips::size(13200, 10000));

    auto* treeCaption = window.findChild<QLabel*>(QStringLiteral("LblClassAndSection"));
    auto* listCaption = window.findChild<QLabel*>(QStringLiteral("LblStudentInformation"));
    auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("TreClassView"));
    auto* list = window.findChild<QTreeWidget*>(QStringLiteral("LstStudenInformation"));
    auto* bar = window.findChild<SplitterBar*>(QStringLiteral("Picture1"));
    QVERIFY(treeCaption && listCaption && tree && list && bar);
    QCOMPARE(treeCaption->text(), QStringLiteral("Folders"));
    QCOMPARE(treeCaption->toolTip(), QStringLiteral("Click to Refresh"));
    QCOMPARE(listCaption->text(), QStringLiteral("Documents"));
    QCOMPARE(accessibleName(treeCaption), QStringLiteral("Folders"));
    QCOMPARE(accessibleName(tree), QStringLiteral("Folder tree"));
    QCOMPARE(accessibleName(list), QStringLiteral("Document list"));
    QCOMPARE(accessibleName(bar), QStringLiteral("Divider"));
    // The list picks one whole row at a time and edits nothing in place.
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);

    QCOMPARE(window.findChild<QMenuBar*>(), w.frame->menuBar());
    auto* status = window.findChild<QStatusBar*>(QStringLiteral("StatusBar1"));
    QVERIFY(status);
    QCOMPARE(w.frame->statusPanels()->panel(StatusPanels::CapsPanel)->parentWidget(), status);

    // The designed places: captions over the panes, the bar between them and above both.
    QCOMPARE(tree->geometry(), Twips::rect(60, 540, 2475, 7215));
    QCOMPARE(treeCaption->geometry(), Twips::rect(60, 120, 2475, 375));
    QCOMPARE(list->x(), Twips::toPixelsX(2595));
    QCOMPARE(listCaption->x(), list->x());
    QCOMPARE(bar->geometry(), Twips::rect(2580, 120, 30, 7635));
    QCOMPARE(bar->parentWidget()->childAt(bar->geometry().center()), bar);
}

void TestExplorerFrame::resizingStretchesThePanes_data()
{
    QTest::addColumn<bool>("panesFollowHeight");
    QTest::newRow("panes follow the height") << true;
    QTest::newRow("panes keep their height") << false;
}

void TestExplorerFrame::resizingStretchesThePanes()
{
    QFETCH(bool, panesFollowHeight);
    FramedWindow w(panesFollowHeight);
    ExplorerFrame* frame = w.frame;
    for (const QSize twips : {QSize(12000, 9000), QSize(15000, 11000)}) {
        w.window.resize(Twips::size(twips.width(), twips.height()));
        const int paneHeight = Twips::toPixelsY(panesFollowHeight ? twips.height() - 1320 : 7215);
        QCOMPARE(frame->tree()->height(), paneHeight);
        QCOMPARE(frame->list()->height(), paneHeight);
        // The list and its caption end 200 twips short of the right edge; the bar runs from
        // the top of the captions to the bottom of the panes.
        const int listEnd = w.window.width() - Twips::toPixelsX(200);
        QVERIFY2(near(rightEdge(frame->list()), listEnd), qPrintable(QString::number(rightEdge(frame->list()))));
        QVERIFY(near(rightEdge(frame->listCaption()), listEnd));
        QVERIFY(near(frame->bar()->geometry().bottom(), frame->tree()->geometry().bottom()));
        // Whole and visible inside the window.
        const QRect area(QPoint(0, 0), frame->list()->parentWidget()->size());
        QVERIFY(area.contains(frame->tree()->geometry()));
        QVERIFY(area.contains(frame->list()->geometry()));
    }
}

void TestExplorerFrame::barDragSharesTheWidthWithinLimits()
{
    FramedWindow w(true);
    ExplorerFrame* frame = w.frame;
    QTreeView* list = frame->list();
    const int treeWidth = frame->tree()->width();
    const int listEnd = rightEdge(list);

    w.drag(600);
    QVERIFY(near(frame->tree()->width(), treeWidth + Twips::toPixelsX(600)));
    QCOMPARE(frame->treeCaption()->width(), frame->tree()->width());
    // The bar sits between the panes (twips round to pixels: it may touch one by a pixel),
    // and the list gives up what the tree gained.
    QVERIFY(frame->bar()->x() + 1 >= rightEdge(frame->tree()));
    QVERIFY(list->x() + 1 >= rightEdge(frame->bar()));
    QVERIFY(near(rightEdge(list), listEnd));
    QCOMPARE(frame->listCaption()->geometry().left(), list->x());
    QCOMPARE(frame->listCaption()->width(), list->width());

    // Past either limit nothing moves: the tree cannot vanish nor the bar reach the right edge.
    const QRect treeBefore = frame->tree()->geometry();
    const QRect listBefore = list->geometry();
    w.drag(-Twips::fromPixelsX(frame->tree()->width()));
    w.drag(Twips::fromPixelsX(w.window.width()));
    QCOMPARE(frame->tree()->geometry(), treeBefore);
    QCOMPARE(list->geometry(), listBefore);

    // Near the limits a drag still applies.
    w.drag(-(Twips::fromPixelsX(frame->tree()->width()) - 100));
    QVERIFY(frame->tree()->width() < treeBefore.width());
    QVERIFY(frame->tree()->width() > 0);
    QVERIFY(near(rightEdge(list), listEnd));
}

void TestExplorerFrame::tabGoesFromTreeToList()
{
    QWidget window;
    auto* frame = new ExplorerFrame(&window, design(true));
    // A control of the window's own, made before the list, comes after the list.
    auto* own = new QLineEdit(&window);
    own->setObjectName(QStringLiteral("txtOwn"));
    QTreeWidget* list = frame->addList<QTreeWidget>();
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    frame->tree()->setFocus();
    QTRY_VERIFY(frame->tree()->hasFocus());
    QTest::keyClick(frame->tree(), Qt::Key_Tab);
    QTRY_VERIFY(list->hasFocus());
    QTest::keyClick(list, Qt::Key_Tab);
    QTRY_VERIFY(own->hasFocus());
}

QTEST_MAIN(TestExplorerFrame)
#include "tst_ExplorerFrame.moc"
