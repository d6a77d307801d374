#include "TestSupport.h"
#include "WindowChecks.h"
#include "app/BackgroundWork.h"

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <stdexcept>

class TestBackgroundWork : public QObject
{
    Q_OBJECT

private slots:
    void workRunsBehindTheProgressDialog_data();
    void workRunsBehindTheProgressDialog();
};

void TestBackgroundWork::workRunsBehindTheProgressDialog_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("cancelled");

    QTest::newRow("done") << "done" << QString() << false;
    QTest::newRow("cancelled") << "cancel" << QStringLiteral("Cancelled.") << true;
    QTest::newRow("store failure") << "store" << QStringLiteral("The disk is full.") << false;
    QTest::newRow("other failure") << "other" << QStringLiteral("bad allocation") << false;
}

// The work runs on a thread of its own while the user-interface thread goes on: the dialog
// shows how far the work has got, and Cancel reaches the work.
void TestBackgroundWork::workRunsBehindTheProgressDialog()
{
    QFETCH(QString, ending);
    QFETCH(QString, message);
    QFETCH(bool, cancelled);
    TestAppFolder folder;
    QMainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QPointer<QProgressDialog> shown;
    QString caption;
    Qt::WindowModality modality = Qt::NonModal;
    // What the user-interface thread saw while the work waited for it: a bar half full, then
    // (for the cancelled work) a busy indicator.
    std::atomic<bool> sawHalf{false};
    std::atomic<bool> sawBusy{false};
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!shown)
            return;
        const auto* bar = shown->findChild<QProgressBar*>();
        if (bar->maximum() > 0 && bar->value() == bar->maximum() / 2)
            sawHalf = true;
        if (sawHalf && bar->maximum() == 0 && !sawBusy) {
            sawBusy = true;
            if (ending == QLatin1String("cancel"))
                WindowChecks::clickVisible(shown->findChild<QPushButton*>(QStringLiteral("cmdCancel")));
        }
    });
    BackgroundWork::setShownHook([&](QProgressDialog* dialog) {
        shown = dialog;
        caption = dialog->findChild<QLabel*>()->text();
        modality = dialog->windowModality();
        watch.start();
    });
    const auto unhook = qScopeGuard([] { BackgroundWork::setShownHook({}); });

    QThread* workThread = nullptr;
    const std::optional<StoreError> failure =
        BackgroundWork(&window, QStringLiteral("Doing the work...")).run([&](const WorkProgress& progress) {
            workThread = QThread::currentThread();
            progress(5, 10);
            while (!sawHalf)
                QThread::yieldCurrentThread();
            if (ending == QLatin1String("store"))
                throw StoreError(QStringLiteral("The disk is full."));
            if (ending == QLatin1String("other"))
                throw std::runtime_error("bad allocation");
            if (ending == QLatin1String("cancel")) {
                while (progress(0, 0))
                    QThread::yieldCurrentThread();
                throw StoreError(QStringLiteral("Cancelled."), StoreError::Kind::Cancelled);
            }
        });

    QVERIFY(workThread && workThread != QThread::currentThread());
    QCOMPARE(caption, QStringLiteral("Doing the work..."));
    QCOMPARE(modality, Qt::WindowModal);
    QVERIFY(sawHalf);
    QCOMPARE(sawBusy.load(), cancelled);
    QCOMPARE(failure.has_value(), !message.isEmpty());
    if (failure) {
        QCOMPARE(failure->message(), message);
        QCOMPARE(failure->isCancelled(), cancelled);
    }
    QVERIFY(!shown); // gone with the work
    QVERIFY(folder.messages->shown().isEmpty());
}

QTEST_MAIN(TestBackgroundWork)
#include "tst_BackgroundWork.moc"
