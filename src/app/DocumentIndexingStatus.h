#pragma once

#include "documents/DocumentIndexer.h"

#include <QElapsedTimer>
#include <QObject>

class QLabel;
class QStatusBar;

// Indexes the documents' text in the background after the start, and shows how far it has got
// in a panel of the status bar ("Indexing documents: 120 of 4,500"), hidden when there is
// nothing to do. The program stays usable meanwhile; what is not indexed yet is searched by
// its bytes.
class DocumentIndexingStatus : public QObject
{
    Q_OBJECT

public:
    // Adds the panel, named panelIndexing, to `bar`.
    explicit DocumentIndexingStatus(QStatusBar* bar);
    ~DocumentIndexingStatus() override;

    // Starts indexing the application's database.
    void start();
    // Stops it; what is indexed so far stays.
    void stop();

    QLabel* panel() const { return m_panel; }

    // The panel's text for `done` of `total` documents.
    static QString progressText(qint64 done, qint64 total);

signals:
    void finished(const QString& error);

private:
    void show(qint64 done, qint64 total);
    void end(const QString& error);

    QLabel* m_panel = nullptr;
    DocumentIndexer m_indexer;
    QElapsedTimer m_shown;  // on the indexing thread: since the panel was last told
    bool m_running = false; // from start() until the indexing has ended
};
