#include "designer/ui/DesignerToolbar.h"

#include <QAction>
#include <QPainter>
#include <QPixmap>

namespace {

// The pictures of the toolbar buttons, drawn rather than shipped as files.
enum class Picture
{
    Lock,
    Unlock,
    AlignTop,
    AlignLeft,
    SameWidth
};

QIcon drawIcon(Picture picture)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 1));
    switch (picture) {
    case Picture::Lock:
    case Picture::Unlock:
        painter.fillRect(QRect(3, 8, 10, 7), Qt::darkYellow);
        painter.drawRect(QRect(3, 8, 10, 7));
        painter.drawArc(QRect(picture == Picture::Lock ? 5 : 9, 2, 6, 10), 0, 180 * 16);
        break;
    case Picture::AlignTop:
        painter.drawLine(1, 1, 14, 1);
        painter.fillRect(QRect(2, 3, 4, 11), Qt::darkBlue);
        painter.fillRect(QRect(9, 3, 4, 6), Qt::darkBlue);
        break;
    case Picture::AlignLeft:
        painter.drawLine(1, 1, 1, 14);
        painter.fillRect(QRect(3, 2, 11, 4), Qt::darkBlue);
        painter.fillRect(QRect(3, 9, 6, 4), Qt::darkBlue);
        break;
    case Picture::SameWidth:
        painter.fillRect(QRect(2, 2, 12, 4), Qt::darkBlue);
        painter.fillRect(QRect(2, 9, 12, 4), Qt::darkBlue);
        break;
    }
    return QIcon(pixmap);
}

} // namespace

DesignerToolbar::DesignerToolbar(QWidget* parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("Toolbar1"));
    setAccessibleName(QStringLiteral("Layout tools"));
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);

    // Buttons by position; positions 3 and 6 are separators.
    const auto addButton = [this](int position, Picture picture, const QString& tip) {
        QAction* action = addAction(drawIcon(picture), tip);
        action->setObjectName(QStringLiteral("Toolbar1_%1").arg(position));
        action->setToolTip(tip);
        return action;
    };
    QAction* lock = addButton(1, Picture::Lock, QStringLiteral("Lock Objects"));
    QAction* unlock = addButton(2, Picture::Unlock, QStringLiteral("Unlock Objects"));
    addSeparator();
    QAction* alignTop = addButton(4, Picture::AlignTop, QStringLiteral("Align Top"));
    QAction* alignLeft = addButton(5, Picture::AlignLeft, QStringLiteral("Align Left"));
    addSeparator();
    QAction* sameWidth = addButton(7, Picture::SameWidth, QStringLiteral("Same Width"));

    connect(lock, &QAction::triggered, this, [this] { emit lockRequested(true); });
    connect(unlock, &QAction::triggered, this, [this] { emit lockRequested(false); });
    connect(alignTop, &QAction::triggered, this, [this] { emit alignRequested(DesignerCanvasModel::Alignment::Top); });
    connect(alignLeft, &QAction::triggered, this,
            [this] { emit alignRequested(DesignerCanvasModel::Alignment::Left); });
    connect(sameWidth, &QAction::triggered, this,
            [this] { emit alignRequested(DesignerCanvasModel::Alignment::Width); });
}
