#include "clients/ui/RecordTabStrip.h"

#include "clients/RecordState.h"

#include <QSignalBlocker>
#include <QTabBar>

namespace {

// Tab strips take "&" as a keyboard mnemonic; tab names show it as it is.
QString shownAsIs(QString name)
{
    return name.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

RecordTabStrip::RecordTabStrip(QWidget* window, const QRect& area, int frameTop) : QObject(window)
{
    m_bar = new QTabBar(window);
    m_bar->setObjectName(QStringLiteral("TabStrip1"));
    m_bar->setAccessibleName(QStringLiteral("Tabs"));
    m_bar->setExpanding(false);
    m_bar->setDrawBase(true);
    // The strip's headers take the top of its area, down to the field frame; a tab bar
    // stretches its tabs to its own height, so it is given the headers' height alone.
    QRect strip = area;
    const int sample = m_bar->addTab(QStringLiteral("Personal Information"));
    const int headerHeight = m_bar->sizeHint().height();
    m_bar->removeTab(sample);
    strip.setHeight(qMax(frameTop - strip.top(), headerHeight));
    m_bar->setGeometry(strip);
}

QString RecordTabStrip::tabName(int index) const
{
    return m_bar->tabText(index).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

QString RecordTabStrip::selected() const
{
    return tabName(m_bar->currentIndex());
}

void RecordTabStrip::showTabs(const std::vector<ClientRecord::Tab>& tabs, bool withFixedTabs)
{
    const QSignalBlocker blocker(m_bar);
    while (m_bar->count() > 0)
        m_bar->removeTab(m_bar->count() - 1);
    for (const ClientRecord::Tab& tab : tabs) {
        const int index = m_bar->addTab(shownAsIs(tab.name));
        m_bar->setTabData(index, tab.description);
    }
    if (withFixedTabs)
        appendFixedTabs(RecordState::fixedTabs());
    m_bar->setCurrentIndex(m_bar->count() > 0 ? 0 : -1);
}

void RecordTabStrip::appendFixedTabs(const QStringList& tabs)
{
    const QSignalBlocker blocker(m_bar);
    for (const QString& tab : tabs)
        m_bar->addTab(tab);
}

void RecordTabStrip::removeFixedTabs()
{
    const QSignalBlocker blocker(m_bar);
    for (int i = 0; i < RecordState::fixedTabs().size() && m_bar->count() > 0; ++i) {
        if (!RecordState::isFixedTab(tabName(m_bar->count() - 1)))
            break;
        m_bar->removeTab(m_bar->count() - 1);
    }
}
