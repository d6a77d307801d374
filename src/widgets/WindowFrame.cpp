#include "widgets/WindowFrame.h"

#include "widgets/StatusPanels.h"

#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

WindowFrame::WindowFrame(QWidget* window)
{
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menuBar = new QMenuBar(window);
    m_menuBar->setNativeMenuBar(false);
    layout->setMenuBar(m_menuBar);
    m_area = new QWidget(window);
    layout->addWidget(m_area, 1);
    m_statusBar = new QStatusBar(window);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    layout->addWidget(m_statusBar);
    m_statusPanels = new StatusPanels(m_statusBar, StatusPanels::Placement::Shared);
}
