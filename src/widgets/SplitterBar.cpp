#include "widgets/SplitterBar.h"

#include "widgets/Twips.h"

#include <QMouseEvent>

SplitterBar::SplitterBar(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Picture1"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setCursor(Qt::SizeHorCursor);
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        emit dragged(Twips::fromPixelsX(qRound(event->position().x())));
    QFrame::mouseMoveEvent(event);
}
