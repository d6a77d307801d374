#include "RecordWindow.h"

#include "UiSession.h"

#include "clients/ui/DisplayExtendedInformation.h"
#include "store/StoreError.h"

#include <QAction>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTreeView>
#include <QUrl>

namespace {

template <typename T>
T* control(const QWidget& window, const QString& name)
{
    T* found = window.findChild<T*>(name);
    if (!found)
        throw StoreError(QStringLiteral("the record window has no %1").arg(name));
    return found;
}

// A person can only click what is on screen.
void requireVisible(const QWidget* widget, const QString& what)
{
    if (!widget->isVisible() || widget->width() <= 0 || widget->height() <= 0)
        throw StoreError(QStringLiteral("%1 is not on screen").arg(what));
}

} // namespace

RecordWindow::RecordWindow(qint64 client, const QString& caption)
    : m_window(std::make_unique<DisplayExtendedInformation>())
{
    m_window->PersonalInformationId = client;
    m_window->PersonalName = caption;
    m_tabs = control<QTabBar>(*m_window, QStringLiteral("TabStrip1"));
    m_list = control<QTreeView>(*m_window, QStringLiteral("ListView1"));
}

RecordWindow::~RecordWindow() = default;

std::int64_t RecordWindow::showAndWait()
{
    PaintProbe painted(m_window.get());
    painted.arm();
    m_window->show();
    UiSession::waitUntil([&] { return painted.painted(); }, QStringLiteral("the record window"));
    return painted.paintedAt();
}

int RecordWindow::tabIndex(const QString& caption) const
{
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (m_tabs->tabText(i) == caption)
            return i;
    }
    throw StoreError(QStringLiteral("the record window has no tab %1").arg(caption));
}

void RecordWindow::clickTab(const QString& caption) const
{
    requireVisible(m_tabs, QStringLiteral("the tab strip"));
    const QRect tab = m_tabs->tabRect(tabIndex(caption));
    if (!m_tabs->rect().contains(tab.center()))
        throw StoreError(QStringLiteral("the tab %1 is not on screen").arg(caption));
    QTest::mouseClick(m_tabs, Qt::LeftButton, {}, tab.center());
}

QPushButton* RecordWindow::button(const QString& objectName) const
{
    return control<QPushButton>(*m_window, objectName);
}

void RecordWindow::clickButton(const QString& objectName) const
{
    QPushButton* pushed = button(objectName);
    requireVisible(pushed, objectName);
    QTest::mouseClick(pushed, Qt::LeftButton);
}

QLineEdit* RecordWindow::box(const QString& fieldName) const
{
    for (QLineEdit* edit : m_window->findChildren<QLineEdit*>()) {
        if (edit->accessibleName() == fieldName && edit->isVisible())
            return edit;
    }
    throw StoreError(QStringLiteral("the record window shows no field %1").arg(fieldName));
}

int RecordWindow::listCount() const
{
    return m_list->model()->rowCount();
}

QStringList RecordWindow::listNames() const
{
    const QAbstractItemModel* model = m_list->model();
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names.append(model->index(row, 0).data().toString());
    return names;
}

void RecordWindow::select(int row) const
{
    m_list->setCurrentIndex(m_list->model()->index(row, 0));
}

void RecordWindow::trigger(const QString& actionName) const
{
    auto* action = control<QAction>(*m_window, actionName);
    action->trigger();
}

void RecordWindow::drop(const QStringList& paths) const
{
    requireVisible(m_list, QStringLiteral("the list"));
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    const QPoint at = m_list->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_list->viewport(), &enter);
    if (!enter.isAccepted())
        throw StoreError(QStringLiteral("the list does not take the dropped files"));
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_list->viewport(), &drop);
}
