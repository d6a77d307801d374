#include "widgets/StatusPanels.h"

#include "widgets/Twips.h"

#include <QDate>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QStatusBar>
#include <QTime>
#include <QTimer>

StatusPanels::StatusPanels(QStatusBar* bar, Placement placement) : QObject(bar)
{
    static const QString Names[PanelCount] = {QStringLiteral("panelCaps"), QStringLiteral("panelNum"),
                                              QStringLiteral("panelInsert"), QStringLiteral("panelTime"),
                                              QStringLiteral("panelDate")};
    for (int i = 0; i < PanelCount; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(Names[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setAlignment(Qt::AlignCenter);
        if (placement == Placement::Shared) {
            bar->addWidget(panel, 1);
        } else {
            panel->setMinimumWidth(Twips::toPixelsX(900));
            bar->addPermanentWidget(panel);
        }
        m_panels[i] = panel;
    }
    m_panels[CapsPanel]->setText(QStringLiteral("CAPS"));
    m_panels[NumPanel]->setText(QStringLiteral("NUM"));
    m_panels[InsertPanel]->setText(QStringLiteral("INS"));

    m_clock = new QTimer(this);
    m_clock->setSingleShot(true);
    connect(m_clock, &QTimer::timeout, this, &StatusPanels::updateClock);
    updateClock();
}

void StatusPanels::trackKeys()
{
    m_tracking = true;
    updateKeyPanels();
}

void StatusPanels::keyEvent(const QEvent* event)
{
    if (!m_tracking || event->type() != QEvent::KeyPress)
        return;
    switch (static_cast<const QKeyEvent*>(event)->key()) {
    case Qt::Key_CapsLock:
        m_capsLock = !m_capsLock;
        break;
    case Qt::Key_NumLock:
        m_numLock = !m_numLock;
        break;
    case Qt::Key_Insert:
        m_insert = !m_insert;
        break;
    default:
        return;
    }
    updateKeyPanels();
}

void StatusPanels::updateKeyPanels()
{
    // A disabled panel shows its text in grey.
    m_panels[CapsPanel]->setEnabled(m_capsLock);
    m_panels[NumPanel]->setEnabled(m_numLock);
    m_panels[InsertPanel]->setEnabled(m_insert);
}

void StatusPanels::updateClock()
{
    const QLocale locale;
    const QTime now = QTime::currentTime();
    m_panels[TimePanel]->setText(locale.toString(now, QLocale::ShortFormat));
    m_panels[DatePanel]->setText(locale.toString(QDate::currentDate(), QLocale::ShortFormat));
    // The panels show minutes: wake at the start of the next one.
    constexpr int Minute = 60 * 1000;
    m_clock->start(Minute - now.msecsSinceStartOfDay() % Minute + 20);
}
