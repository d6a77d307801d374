#include "widgets/ChildWindow.h"

#include <QMdiSubWindow>
#include <QSize>
#include <QWidget>

void ChildWindow::close(QWidget* window)
{
    if (auto* child = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        child->close();
    else
        window->close();
}

void ChildWindow::resize(QWidget* window, const QSize& size)
{
    window->resize(size);
    if (auto* child = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        child->adjustSize();
}
