#include "FindWindow.h"

#include "Require.h"
#include "UiSession.h"

#include "clients/ui/frmFindInfo.h"
#include "store/StoreError.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>

namespace {

template <typename T>
T* visibleControl(const QWidget& window, const QString& name)
{
    T* found = window.findChild<T*>(name);
    if (!found || !found->isVisible() || found->width() <= 0 || found->height() <= 0)
        throw StoreError(QStringLiteral("the search dialog shows no %1").arg(name));
    return found;
}

// A person clicks an option on its round mark or its caption, at its left end.
void clickOption(QRadioButton* option)
{
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(std::min(8, option->width() / 2), option->height() / 2));
}

} // namespace

// Types text as the keyboard sends it, also letters beyond ASCII.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

FindWindow::FindWindow() : m_window(std::make_unique<frmFindInfo>())
{
    // Deleted by its owner here, not when it closes.
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_results = m_window->findChild<QTreeWidget*>(QStringLiteral("lstViewResults"));
    if (!m_results)
        throw StoreError(QStringLiteral("the search dialog has no lstViewResults"));
}

FindWindow::~FindWindow() = default;

void FindWindow::showAndWait()
{
    PaintProbe painted(m_window.get());
    painted.arm();
    m_window->show();
    UiSession::waitUntil([&] { return painted.painted(); }, QStringLiteral("the search dialog"));
}

void FindWindow::find(const QString& text, bool content) const
{
    prepare(text, content);
    clickFind();
}

void FindWindow::prepare(const QString& text, bool content) const
{
    clickOption(visibleControl<QRadioButton>(*m_window, content ? QStringLiteral("optSearchSummary_1")
                                                                : QStringLiteral("optSearchSummary_0")));
    clickOption(visibleControl<QRadioButton>(*m_window, QStringLiteral("optSearchClient_0")));
    auto* box = visibleControl<QLineEdit>(*m_window, QStringLiteral("txtSearchString"));
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    typeText(box, text);
    if (!visibleControl<QRadioButton>(*m_window, content ? QStringLiteral("optSearchSummary_1")
                                                         : QStringLiteral("optSearchSummary_0"))
             ->isChecked())
        throw StoreError(QStringLiteral("the search dialog did not take the click on %1")
                             .arg(content ? QStringLiteral("Content") : QStringLiteral("Summary")));
    if (box->text() != text)
        throw StoreError(QStringLiteral("the search box reads \"%1\", not \"%2\"").arg(box->text(), text));
}

void FindWindow::clickFind() const
{
    QTest::mouseClick(visibleControl<QPushButton>(*m_window, QStringLiteral("cmdSearch")), Qt::LeftButton);
}

QStringList FindWindow::column(int column) const
{
    QStringList texts;
    for (int i = 0; i < m_results->topLevelItemCount(); ++i)
        texts.append(m_results->topLevelItem(i)->text(column));
    return texts;
}

void FindWindow::open(int row) const
{
    QTreeWidgetItem* item = m_results->topLevelItem(row);
    if (!item)
        throw StoreError(QStringLiteral("the search found no result %1").arg(row + 1));
    m_results->scrollToItem(item);
    // As the mouse sends it: press, release, the second press as a double click, release.
    const QPoint at = m_results->visualItemRect(item).center();
    QTest::mouseClick(m_results->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(m_results->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(m_results->viewport(), Qt::LeftButton, {}, at);
}

std::vector<double> FindWindow::timeSearches(int samples, const QSet<QString>& expected,
                                             const std::function<void()>& prepare) const
{
    InputProbe probe;
    std::vector<double> times;
    for (int r = 0; r < samples; ++r) {
        if (prepare)
            prepare();
        bool done = false;
        times.push_back(measureAction(
                            probe, nullptr, {},
                            [&] {
                                clickFind();
                                done = true;
                            },
                            [&] { return done; }, QStringLiteral("the content search"))
                            .all());
        const QStringList found = column(1);
        require(
            QSet<QString>(found.begin(), found.end()) == expected && found.size() == expected.size(),
            QStringLiteral("the search found %1 documents, %2 hold the phrase").arg(found.size()).arg(expected.size()));
    }
    return times;
}
