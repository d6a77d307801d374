#include "app/BackgroundWork.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

namespace {

// How often the dialog is told how far the work has got.
constexpr int ShowEveryMs = 100;
// The bar's steps when the work knows its total.
constexpr int BarSteps = 1000;

std::function<void(QProgressDialog*)>& shownHook()
{
    static std::function<void(QProgressDialog*)> hook;
    return hook;
}

// What the work's thread tells the user-interface thread, and the other way round.
struct SharedState
{
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> cancelled{false};
};

// Cancel (its button, Escape, the title bar's close button) asks the work to stop; the dialog
// stays until the work has stopped, so that the window it blocks is not given back to the user
// while the work still runs.
class ProgressDialog : public QProgressDialog
{
public:
    ProgressDialog(QWidget* parent, const QString& caption) : QProgressDialog(parent)
    {
        setObjectName(QStringLiteral("dlgProgress"));
        setWindowTitle(QStringLiteral("Orvanta"));
        setLabelText(caption);
        setAccessibleName(caption);
        setAutoReset(false);
        setAutoClose(false);
        setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
        // The bar is set directly: the dialog's own setValue() processes events when modal.
        m_bar = new QProgressBar(this);
        m_bar->setObjectName(QStringLiteral("barProgress"));
        m_bar->setAccessibleName(caption);
        setBar(m_bar);
        m_bar->setRange(0, 0);
        m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
        m_cancel->setObjectName(QStringLiteral("cmdCancel"));
        setCancelButton(m_cancel);
        // Cancelling must not hide the dialog (the base class resets and hides it).
        disconnect(this, &QProgressDialog::canceled, this, nullptr);
        connect(this, &QProgressDialog::canceled, this, [this] {
            m_cancel->setEnabled(false);
            setLabelText(QStringLiteral("Cancelling..."));
        });
    }

    void showProgress(qint64 done, qint64 total)
    {
        if (total <= 0) {
            m_bar->setRange(0, 0); // a busy indicator: the work cannot say how much is left
            return;
        }
        m_bar->setRange(0, BarSteps);
        const qint64 part = std::clamp<qint64>(done, 0, total);
        m_bar->setValue(static_cast<int>(static_cast<double>(part) / static_cast<double>(total) * BarSteps));
    }

    void reject() override { emit canceled(); }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        emit canceled();
    }

private:
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace

BackgroundWork::BackgroundWork(QWidget* parent, const QString& caption) : m_parent(parent), m_caption(caption) {}

void BackgroundWork::setShownHook(std::function<void(QProgressDialog*)> hook)
{
    shownHook() = std::move(hook);
}

std::optional<StoreError> BackgroundWork::run(const Work& work) const
{
    SharedState state;
    ProgressDialog dialog(m_parent, m_caption);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&state] { state.cancelled = true; });
    dialog.show();
    if (shownHook())
        shownHook()(&dialog);

    QEventLoop loop;
    std::optional<StoreError> failure;
    std::thread worker([&state, &work, &failure, &loop] {
        const WorkProgress progress = [&state](qint64 done, qint64 total) {
            state.done = done;
            state.total = total;
            return !state.cancelled;
        };
        try {
            // Cancelled before it began (the dialog shows before the thread starts).
            if (state.cancelled)
                throw StoreError(QStringLiteral("Cancelled."), StoreError::Kind::Cancelled);
            work(progress);
        } catch (const StoreError& error) {
            failure = error;
        } catch (const std::exception& error) {
            failure = StoreError(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            failure = StoreError(QStringLiteral("An unexpected error occurred."));
        }
        // Queued: the loop ends even when the work ended before the loop began.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    QTimer poll;
    poll.setInterval(ShowEveryMs);
    QObject::connect(&poll, &QTimer::timeout, &dialog,
                     [&state, &dialog] { dialog.showProgress(state.done, state.total); });
    poll.start();
    loop.exec();
    worker.join();
    return failure;
}
