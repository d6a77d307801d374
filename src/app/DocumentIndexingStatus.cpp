#include "app/DocumentIndexingStatus.h"

#include "store/CLsDataBaseConnection.h"

#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QStatusBar>

namespace {

// The panel is told how far the indexing has got at most this often.
constexpr qint64 ShowEveryMs = 200;

} // namespace

DocumentIndexingStatus::DocumentIndexingStatus(QStatusBar* bar) : QObject(bar)
{
    m_panel = new QLabel(bar);
    m_panel->setObjectName(QStringLiteral("panelIndexing"));
    m_panel->setAccessibleName(QStringLiteral("Indexing documents"));
    bar->addWidget(m_panel);
    m_panel->hide();
}

DocumentIndexingStatus::~DocumentIndexingStatus()
{
    stop();
}

QString DocumentIndexingStatus::progressText(qint64 done, qint64 total)
{
    const QLocale locale;
    return QStringLiteral("Indexing documents: %1 of %2").arg(locale.toString(done), locale.toString(total));
}

void DocumentIndexingStatus::start()
{
    m_running = true;
    m_shown.invalidate();
    const QPointer<DocumentIndexingStatus> self(this);
    m_indexer.start(
        CLsDataBaseConnection::databasePath(),
        [this, self](qint64 done, qint64 total) {
            // Called on the indexing thread: the panel is told through the event loop.
            if (total > 0 && (!m_shown.isValid() || m_shown.elapsed() >= ShowEveryMs || done == total)) {
                m_shown.start();
                QMetaObject::invokeMethod(this, [self, done, total] {
                    if (self)
                        self->show(done, total);
                });
            }
            return true;
        },
        [this, self](const QString& error) {
            QMetaObject::invokeMethod(this, [self, error] {
                if (self)
                    self->end(error);
            });
        });
}

void DocumentIndexingStatus::stop()
{
    m_indexer.stop();
}

void DocumentIndexingStatus::show(qint64 done, qint64 total)
{
    if (!m_running)
        return;
    m_panel->setText(progressText(done, total));
    m_panel->setVisible(done < total);
}

void DocumentIndexingStatus::end(const QString& error)
{
    m_running = false;
    m_panel->hide();
    emit finished(error);
}
