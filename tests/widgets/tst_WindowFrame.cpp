#include "widgets/ChildWindow.h"
#include "widgets/PaneLayout.h"
#include "widgets/SplitterBar.h"
#include "widgets/StatusPanels.h"
#include "widgets/Twips.h"
#include "widgets/WindowFrame.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

class TestWindowFrame : public QObject
{
    Q_OBJECT

private slots:
    void frameHoldsMenuAreaAndPanels();
    void panelsFollowTheLockKeys();
    void permanentPanelsKeepTheirWidth();
    void splitterDragRule();
    void splitterReportsLeftButtonDrags();
    void closesTheChildWindow();
    void closesAWindowOnItsOwn();
};

void TestWindowFrame::frameHoldsMenuAreaAndPanels()
{
    QWidget window;
    const WindowFrame frame(&window);
    QCOMPARE(frame.menuBar()->parentWidget(), &window);
    QVERIFY(!frame.menuBar()->isNativeMenuBar());
    QCOMPARE(frame.area()->parentWidget(), &window);
    QCOMPARE(window.findChild<QStatusBar*>(QStringLiteral("StatusBar1")), frame.statusBar());
    QCOMPARE(frame.statusPanels()->panel(StatusPanels::CapsPanel)->text(), QStringLiteral("CAPS"));
    QCOMPARE(frame.statusPanels()->panel(StatusPanels::NumPanel)->text(), QStringLiteral("NUM"));
    QCOMPARE(frame.statusPanels()->panel(StatusPanels::InsertPanel)->text(), QStringLiteral("INS"));
    QVERIFY(!frame.statusPanels()->panel(StatusPanels::TimePanel)->text().isEmpty());
    QVERIFY(!frame.statusPanels()->panel(StatusPanels::DatePanel)->text().isEmpty());
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("panelDate")),
             frame.statusPanels()->panel(StatusPanels::DatePanel));
}

void TestWindowFrame::panelsFollowTheLockKeys()
{
    QStatusBar bar;
    StatusPanels panels(&bar, StatusPanels::Placement::Shared);
    QKeyEvent caps(QEvent::KeyPress, Qt::Key_CapsLock, Qt::NoModifier);
    QKeyEvent insert(QEvent::KeyPress, Qt::Key_Insert, Qt::NoModifier);

    // Until tracking starts the panels only show the keys' names.
    panels.keyEvent(&caps);
    QVERIFY(panels.panel(StatusPanels::CapsPanel)->isEnabled());

    panels.trackKeys();
    QVERIFY(!panels.panel(StatusPanels::CapsPanel)->isEnabled());
    QVERIFY(!panels.panel(StatusPanels::NumPanel)->isEnabled());
    QVERIFY(panels.panel(StatusPanels::InsertPanel)->isEnabled());
    panels.keyEvent(&caps);
    panels.keyEvent(&insert);
    QVERIFY(panels.panel(StatusPanels::CapsPanel)->isEnabled());
    QVERIFY(!panels.panel(StatusPanels::InsertPanel)->isEnabled());
}

void TestWindowFrame::permanentPanelsKeepTheirWidth()
{
    QStatusBar bar;
    StatusPanels panels(&bar, StatusPanels::Placement::Permanent);
    for (int i = 0; i < StatusPanels::PanelCount; ++i)
        QCOMPARE(panels.panel(StatusPanels::Panel(i))->minimumWidth(), Twips::toPixelsX(900));
}

void TestWindowFrame::splitterDragRule()
{
    PaneLayout layout{.treeWidth = 2475,
                      .treeHeight = 7215,
                      .barLeft = 2580,
                      .barHeight = 7635,
                      .listLeft = 2595,
                      .listWidth = 10455,
                      .listHeight = 7215,
                      .listCaptionLeft = 2595,
                      .listCaptionWidth = 10455,
                      .treeCaptionWidth = 2475};
    QVERIFY(layout.drag(300, 13200));
    QCOMPARE(layout.treeWidth, 2775.0);
    QCOMPARE(layout.barLeft, 2820.0);
    QCOMPARE(layout.listLeft, 2875.0);
    QCOMPARE(layout.listWidth, 13200.0 - 3075.0);
    QCOMPARE(layout.listCaptionLeft, 2875.0);
    QCOMPARE(layout.listCaptionWidth, 13200.0 - 3075.0);
    QCOMPARE(layout.treeCaptionWidth, 2775.0);

    // Too narrow a tree, or the bar too near the right edge: nothing moves.
    QVERIFY(!layout.drag(-2750, 13200));
    QVERIFY(!layout.drag(20000, 13200));
    QCOMPARE(layout.treeWidth, 2775.0);
    QCOMPARE(layout.listLeft, 2875.0);
}

void TestWindowFrame::splitterReportsLeftButtonDrags()
{
    SplitterBar bar;
    QCOMPARE(bar.objectName(), QStringLiteral("Picture1"));
    QCOMPARE(bar.cursor().shape(), Qt::SizeHorCursor);
    QSignalSpy spy(&bar, &SplitterBar::dragged);
    const QPointF at(Twips::toPixelsX(300), 10);
    QMouseEvent hover(QEvent::MouseMove, at, bar.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &hover);
    QCOMPARE(spy.count(), 0);
    QMouseEvent drag(QEvent::MouseMove, at, bar.mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &drag);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toDouble(), Twips::fromPixelsX(Twips::toPixelsX(300)));
}

void TestWindowFrame::closesTheChildWindow()
{
    QMdiArea area;
    area.show();
    auto* window = new QWidget;
    QMdiSubWindow* child = area.addSubWindow(window);
    child->setAttribute(Qt::WA_DeleteOnClose);
    child->show();
    ChildWindow::resize(window, QSize(300, 200));
    QCOMPARE(window->size(), QSize(300, 200));

    QPointer<QMdiSubWindow> guard(child);
    ChildWindow::close(window);
    QTRY_VERIFY(!guard);
}

void TestWindowFrame::closesAWindowOnItsOwn()
{
    QWidget window;
    window.show();
    ChildWindow::resize(&window, QSize(320, 240));
    QCOMPARE(window.size(), QSize(320, 240));
    ChildWindow::close(&window);
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(TestWindowFrame)
#include "tst_WindowFrame.moc"
