#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

class QAbstractItemView;
class QApplication;
class QWidget;
class RecordingFileOpener;
class ScriptedFileDialog;
class ScriptedMessageBox;

// What a measurement that drives the program's windows needs in its own process: an
// offscreen application that knows how deeply event handling is nested at any moment, the
// platform doubles (message boxes answered at once, file dialogs answered from a script,
// files "opened" by recording their path), and ways to wait for what the user waits for.
//
// One per process, made before any window; it shows a first window of its own and closes it,
// as the program has shown others before the one measured.
class UiSession
{
public:
    UiSession();
    ~UiSession();
    UiSession(const UiSession&) = delete;
    UiSession& operator=(const UiSession&) = delete;

    ScriptedFileDialog& fileDialog() const { return *m_fileDialog; }
    RecordingFileOpener& fileOpener() const { return *m_fileOpener; }
    ScriptedMessageBox& messageBox() const { return *m_messageBox; }

    // Events being handled at this moment, one inside another: 0 between events.
    static int depth();

    // Runs events until `done` holds; throws StoreError naming `what` after `timeoutSeconds`.
    static void waitUntil(const std::function<bool()>& done, const QString& what, double timeoutSeconds = 120);
    // Runs the events already waiting, and those they cause, without waiting for more.
    static void settle();

private:
    static void warmUp();

    int m_argc = 1;
    char m_arg0[14] = "orvanta-bench";
    char* m_argv[2] = {m_arg0, nullptr};
    std::unique_ptr<QApplication> m_application;
    ScriptedFileDialog* m_fileDialog = nullptr;
    RecordingFileOpener* m_fileOpener = nullptr;
    ScriptedMessageBox* m_messageBox = nullptr;
};

// When the window thread is next free to take the user's input after a click.
//
// A helper thread posts a probe event every millisecond once armed. A probe counts when it
// is handled on its own, not from inside the handling of another event: a click handler that
// runs a nested event loop (to paint a first screen, or to wait for a helper thread with user
// input held back) still holds back whatever the user does meanwhile, so a probe handled
// there does not count. The time is the moment the first probe that counts was handled.
class InputProbe : public QObject
{
public:
    InputProbe();
    ~InputProbe() override;

    // From now on; clears an earlier result.
    void arm();
    bool accepted() const { return m_acceptedAt != 0; }
    // Monotonic nanoseconds (Stopwatch::now()) of the probe that counted.
    std::int64_t acceptedAt() const { return m_acceptedAt; }

protected:
    bool event(QEvent* event) override;

private:
    void post();

    std::atomic<bool> m_armed{false};
    std::atomic<bool> m_stop{false};
    std::int64_t m_acceptedAt = 0;
    std::thread m_thread;
};

// Notes the first paint of a widget, or of any widget inside it, after it was armed, for which
// a condition holds (such as "the list shows rows"); the time is taken when the paint begins.
class PaintProbe : public QObject
{
public:
    explicit PaintProbe(QWidget* widget, std::function<bool()> condition = {});
    ~PaintProbe() override;

    void arm();
    bool painted() const { return m_paintedAt != 0; }
    std::int64_t paintedAt() const { return m_paintedAt; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_widget;
    std::function<bool()> m_condition;
    bool m_armed = false;
    std::int64_t m_paintedAt = 0;
};

// What a person waits for after an action (a click, a drop), in seconds after it began: the
// first paint of a widget that shows its result, the window taking input again, and the
// whole result being there.
struct ActionWaits
{
    double painted = 0;
    double accepted = 0;
    double complete = 0;
    // Until all three.
    double all() const;
};

// Runs `action` and the events after it until `shown` (unless null) has been painted while
// `showsIt` held, the probe was taken and `complete` holds. `nudge`, when given, runs whenever the events ran
// dry before completion (as a person scrolls a list that reads more rows as it is scrolled).
ActionWaits measureAction(InputProbe& probe, QWidget* shown, const std::function<bool()>& showsIt,
                          const std::function<void()>& action, const std::function<bool()>& complete,
                          const QString& what, const std::function<void()>& nudge = {});

// A nudge for measureAction() on a list that reads more rows as it is scrolled: whenever its
// rows stopped growing and its model has more, it goes to the list's end with Ctrl+End, as a
// person would. A list filled otherwise is left alone.
std::function<void()> scrollToEnd(QAbstractItemView* view);
