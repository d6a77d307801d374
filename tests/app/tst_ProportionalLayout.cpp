#include "app/frmSplash.h"
#include "widgets/ProportionalLayout.h"
#include "widgets/ProportionalResizer.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

// A 400 x 300 window of placed controls: a 10-point label, a combo box, a frame with a label.
struct Window
{
    Window()
    {
        window.resize(400, 300);
        QFont font = window.font();
        font.setPointSizeF(10);
        label = new QLabel(QStringLiteral("Name"), &window);
        label->setGeometry(100, 50, 200, 30);
        label->setFont(font);
        combo = new QComboBox(&window);
        combo->setEditable(true);
        combo->setGeometry(100, 100, 150, 24);
        comboHeight = combo->height();
        frame = new QGroupBox(QStringLiteral("Frame"), &window);
        frame->setGeometry(20, 150, 300, 100);
        frame->setFont(font);
        inner = new QLabel(QStringLiteral("Inner"), frame);
        inner->setGeometry(10, 20, 80, 20);
    }

    QWidget window;
    QLabel* label = nullptr;
    QComboBox* combo = nullptr;
    QGroupBox* frame = nullptr;
    QLabel* inner = nullptr;
    int comboHeight = 0;
};

} // namespace

class TestProportionalLayout : public QObject
{
    Q_OBJECT

private slots:
    void resizeControls_data();
    void resizeControls();
    void firstResizeAfterLoadIsSkipped();
    void repeatedResizingDoesNotDrift();
    void splashScalesItsControls();
};

void TestProportionalLayout::resizeControls_data()
{
    QTest::addColumn<float>("factorX");
    QTest::addColumn<float>("factorY");
    QTest::addColumn<QRect>("label");
    QTest::addColumn<QRect>("combo");
    QTest::addColumn<QRect>("inner");
    QTest::addColumn<qreal>("pointSize");

    QTest::newRow("width doubled") << 2.0f << 1.0f << QRect(200, 50, 400, 30) << QRect(200, 100, 300, 0)
                                   << QRect(20, 20, 160, 20) << 15.0;
    QTest::newRow("height doubled") << 1.0f << 2.0f << QRect(100, 100, 200, 60) << QRect(100, 200, 150, 0)
                                    << QRect(10, 40, 80, 40) << 15.0;
}

void TestProportionalLayout::resizeControls()
{
    QFETCH(float, factorX);
    QFETCH(float, factorY);
    QFETCH(QRect, label);
    QFETCH(QRect, combo);
    QFETCH(QRect, inner);
    QFETCH(qreal, pointSize);
    Window w;

    ResizeControls(factorX, factorY, &w.window);

    QCOMPARE(w.label->geometry(), label);
    QCOMPARE(w.combo->geometry(), combo.adjusted(0, 0, 0, w.comboHeight)); // keeps its height
    QCOMPARE(w.inner->geometry(), inner);
    QCOMPARE(w.label->font().pointSizeF(), pointSize);
    // Scaled once each, though the inner label takes its font from the frame.
    QCOMPARE(w.frame->font().pointSizeF(), pointSize);
    QCOMPARE(w.inner->font().pointSizeF(), pointSize);
    QCOMPARE(w.window.size(), QSize(400, 300));
    QVERIFY(!ProportionalControls(&w.window).contains(w.combo->lineEdit()));
}

void TestProportionalLayout::firstResizeAfterLoadIsSkipped()
{
    Window w;
    ProportionalResizer resizer;
    resizer.load(&w.window);

    w.window.resize(400, 600);
    resizer.resized(&w.window);
    QVERIFY(ResizeArmed);
    QCOMPARE(w.label->geometry(), QRect(100, 50, 200, 30));

    // Measured against the size at load.
    w.window.resize(800, 600);
    resizer.resized(&w.window);
    QCOMPARE(w.label->geometry(), QRect(200, 100, 400, 60));
    QCOMPARE(w.label->font().pointSizeF(), 20.0);

    // Back to the first size: positions return up to rounding.
    w.window.resize(400, 300);
    resizer.resized(&w.window);
    QCOMPARE(w.label->geometry(), QRect(100, 50, 200, 30));
}

// Every scaling starts from the designed layout: going wide, then tall, then back neither
// compounds the font factors nor drifts.
void TestProportionalLayout::repeatedResizingDoesNotDrift()
{
    Window w;
    ProportionalResizer resizer;
    resizer.load(&w.window);
    w.window.resize(400, 600);
    resizer.resized(&w.window); // the first one, left as designed

    for (int round = 0; round < 3; ++round) {
        w.window.resize(800, 300);
        resizer.resized(&w.window);
        QCOMPARE(w.label->geometry(), QRect(200, 50, 400, 30));
        QCOMPARE(w.label->font().pointSizeF(), 15.0);
        w.window.resize(400, 600);
        resizer.resized(&w.window);
        QCOMPARE(w.label->geometry(), QRect(100, 100, 200, 60));
        QCOMPARE(w.label->font().pointSizeF(), 15.0);
        QCOMPARE(w.inner->font().pointSizeF(), 15.0);
        w.window.resize(400, 300);
        resizer.resized(&w.window);
        QCOMPARE(w.label->geometry(), QRect(100, 50, 200, 30));
        QCOMPARE(w.label->font().pointSizeF(), 10.0);
        QCOMPARE(w.inner->font().pointSizeF(), 10.0);
        QCOMPARE(w.combo->geometry(), QRect(100, 100, 150, w.comboHeight));
    }
}

void TestProportionalLayout::splashScalesItsControls()
{
    frmSplash splash;
    auto* product = splash.findChild<QLabel*>(QStringLiteral("lblProductName"));
    const QRect before = product->geometry();
    const qreal pointSize = product->font().pointSizeF();
    const QSize designed = splash.size();
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QVERIFY(!ResizeArmed); // showing at its own size is no resize

    // The first resize after showing leaves the controls as designed.
    splash.resize(designed.width() * 3, designed.height());
    QTRY_VERIFY(ResizeArmed);
    QCOMPARE(product->geometry(), before);
    QCOMPARE(product->font().pointSizeF(), pointSize);

    splash.resize(designed.width() * 2, designed.height());

    QTRY_COMPARE(product->geometry(), QRect(before.x() * 2, before.y(), before.width() * 2, before.height()));
    QCOMPARE(product->font().pointSizeF(), pointSize * 1.5);
}

QTEST_MAIN(TestProportionalLayout)
#include "tst_ProportionalLayout.moc"
