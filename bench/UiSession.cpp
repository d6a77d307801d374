#include "UiSession.h"

#include "Stopwatch.h"

#include "platform/Platform.h"
#include "platform/RecordingFileOpener.h"
#include "platform/ScriptedFileDialog.h"
#include "platform/ScriptedMessageBox.h"
#include "store/StoreError.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>

namespace {

int nesting = 0;

// Counts how deeply the events being handled are nested.
class CountingApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        ++nesting;
        struct Leave
        {
            ~Leave() { --nesting; }
        } leave;
        return QApplication::notify(receiver, event);
    }
};

// The offscreen platform's complaints about what it cannot do say nothing about the program.
QtMessageHandler previousHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("propagateSizeHints")) || message.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

const QEvent::Type ProbeType = static_cast<QEvent::Type>(QEvent::registerEventType());

} // namespace

UiSession::UiSession()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(quietHandler);
    m_application = std::make_unique<CountingApplication>(m_argc, m_argv);
    auto messageBox = std::make_unique<ScriptedMessageBox>();
    m_messageBox = messageBox.get();
    Platform::install(std::move(messageBox));
    auto fileDialog = std::make_unique<ScriptedFileDialog>();
    m_fileDialog = fileDialog.get();
    Platform::install(std::move(fileDialog));
    auto fileOpener = std::make_unique<RecordingFileOpener>();
    m_fileOpener = fileOpener.get();
    Platform::install(std::move(fileOpener));
    warmUp();
}

void UiSession::warmUp()
{
    // In the program other windows were shown before the one measured (the login, the main
    // window): fonts, the style and the backing store are loaded by then. A window with the
    // usual controls is shown and painted once, so that no measurement pays for that.
    QWidget window;
    window.resize(400, 300);
    auto* tabs = new QTabBar(&window);
    tabs->addTab(QStringLiteral("Personal Information"));
    auto* edit = new QLineEdit(QStringLiteral("text"), &window);
    edit->move(0, 40);
    auto* tree = new QTreeWidget(&window);
    tree->setGeometry(0, 80, 400, 200);
    new QTreeWidgetItem(tree, QStringList{QStringLiteral("item"), QStringLiteral("1")});
    PaintProbe painted(tree->viewport());
    painted.arm();
    window.show();
    waitUntil([&] { return painted.painted(); }, QStringLiteral("a first window"));
    settle();
}

UiSession::~UiSession()
{
    Platform::install(std::unique_ptr<MessageBox>());
    Platform::install(std::unique_ptr<FileDialog>());
    Platform::install(std::unique_ptr<FileOpener>());
}

int UiSession::depth()
{
    return nesting;
}

void UiSession::waitUntil(const std::function<bool()>& done, const QString& what, double timeoutSeconds)
{
    const Stopwatch watch;
    // The thread sleeps while no event comes, so that it takes no core from the program's
    // helper threads; the timer wakes it at least every 5 ms to look at the condition.
    QTimer wake;
    wake.start(5);
    while (!done()) {
        if (watch.seconds() > timeoutSeconds)
            throw StoreError(QStringLiteral("waited %1 s in vain for %2").arg(timeoutSeconds).arg(what));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void UiSession::settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

InputProbe::InputProbe() : m_thread([this] { post(); }) {}

InputProbe::~InputProbe()
{
    m_stop = true;
    m_thread.join();
    QCoreApplication::removePostedEvents(this);
}

void InputProbe::arm()
{
    m_acceptedAt = 0;
    m_armed = true;
}

void InputProbe::post()
{
    while (!m_stop) {
        if (m_armed)
            QCoreApplication::postEvent(this, new QEvent(ProbeType));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool InputProbe::event(QEvent* event)
{
    if (event->type() != ProbeType)
        return QObject::event(event);
    // 1: this probe alone is being handled; more: it was reached from inside another handler.
    if (m_armed && UiSession::depth() == 1) {
        m_acceptedAt = Stopwatch::now();
        m_armed = false;
    }
    return true;
}

PaintProbe::PaintProbe(QWidget* widget, std::function<bool()> condition)
    : m_widget(widget), m_condition(std::move(condition))
{
    // Every paint of the application passes here: a change may repaint only the widgets inside.
    QCoreApplication::instance()->installEventFilter(this);
}

PaintProbe::~PaintProbe()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

void PaintProbe::arm()
{
    m_paintedAt = 0;
    m_armed = true;
}

bool PaintProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (m_armed && event->type() == QEvent::Paint && m_widget && watched->isWidgetType()) {
        auto* painted = static_cast<QWidget*>(watched);
        if ((painted == m_widget || m_widget->isAncestorOf(painted)) && (!m_condition || m_condition())) {
            m_paintedAt = Stopwatch::now();
            m_armed = false;
        }
    }
    return QObject::eventFilter(watched, event);
}

double ActionWaits::all() const
{
    return std::max({painted, accepted, complete});
}

ActionWaits measureAction(InputProbe& probe, QWidget* shown, const std::function<bool()>& showsIt,
                          const std::function<void()>& action, const std::function<bool()>& complete,
                          const QString& what, const std::function<void()>& nudge)
{
    // An action that changes nothing on screen (a copy written to a file) is not waited on to paint.
    std::optional<PaintProbe> paint;
    if (shown) {
        paint.emplace(shown, showsIt);
        paint->arm();
    }
    const std::int64_t start = Stopwatch::now();
    probe.arm();
    action();
    std::int64_t completeAt = 0;
    UiSession::waitUntil(
        [&] {
            if (completeAt == 0 && complete())
                completeAt = Stopwatch::now();
            else if (completeAt == 0 && nudge)
                nudge();
            return completeAt != 0 && (!paint || paint->painted()) && probe.accepted();
        },
        what);
    const auto since = [start](std::int64_t end) { return static_cast<double>(end - start) / 1e9; };
    return {paint ? since(paint->paintedAt()) : 0.0, since(probe.acceptedAt()), since(completeAt)};
}

std::function<void()> scrollToEnd(QAbstractItemView* view)
{
    auto lastCount = std::make_shared<int>(-1);
    return [view, lastCount] {
        QAbstractItemModel* model = view->model();
        const int count = model->rowCount();
        if (count == *lastCount && model->canFetchMore(QModelIndex()))
            QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        *lastCount = count;
    };
}
