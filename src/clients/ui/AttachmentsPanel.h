#pragma once

#include "clients/ClientDocuments.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>
#include <vector>

class QCheckBox;
class QEvent;
class QMenu;
class QMimeData;
class QPoint;
class QWidget;
class RecordListView;

// The client's documents on the record window's "Attachments" tab: fills the list with every
// version or the latest of each name ("Show current version only", Check1), uploads a chosen
// file, stores files dropped onto the list whatever list it shows, and offers the attachment
// menu (SaveAs, View, Delete, Reassign To). Refills the list after each change it makes.
//
// A long list is added a slice of rows per turn of the event loop, so that the window takes
// clicks and keys while it comes; the rows shown meanwhile can be selected and acted on. Any
// panel starting to fill the list ends the fill that runs: nothing of it is added afterwards.
class AttachmentsPanel : public QObject
{
    Q_OBJECT

public:
    // The fixed tab whose list this is.
    static QString tab() { return QStringLiteral("Attachments"); }

    // Check1 goes into `options`, the window's frame of buttons, hidden.
    AttachmentsPanel(RecordListView& list, QWidget* options);

    QCheckBox* currentVersionOnly() const { return m_currentVersionOnly; }
    QMenu* menu() const { return m_menu; }

    // Rows added per turn of the event loop (at least 1); applies to fills started afterwards.
    void setSliceRows(int rows);
    int sliceRows() const { return m_sliceRows; }
    // Whether rows of the last fill are still to be added to the list.
    bool isFilling() const { return m_nextSlice.isActive(); }

    // Fills the list with the client's attachments: the rows are read at once and the first
    // slice of them is shown before this returns; the others follow between events. A
    // database failure is reported and leaves the list empty.
    void fill();
    // Asks for a file and stores it as a new version of the client's attachment of its name.
    void upload();

signals:
    // The user confirmed moving this attachment version to another client.
    void reassignRequested(qint64 attachmentsId);

protected:
    // Files dropped onto the list from a file manager.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int DefaultSliceRows = 1000;

    // Adds the next slice of the rows read to the list, and asks for a turn for the next one.
    void addSlice();
    void stopFilling();
    // The client's documents, kept while the client stays the same, so that documents
    // copied one after another are read through one connection.
    const ClientDocuments& documents();
    void createMenu();
    void showMenu(const QPoint& position);
    // Stores dropped files in the order given; anything but local files is refused.
    void dropFiles(const QMimeData* data);
    void view();
    void saveAs();
    void remove();
    void reassign();

    RecordListView& m_list;
    QCheckBox* m_currentVersionOnly = nullptr;
    QMenu* m_menu = nullptr;
    // The list's viewport, which brings the drops. Kept, since events still reach the filter
    // while the list is being destroyed, when it can no longer be asked for its viewport.
    QObject* m_viewport = nullptr;
    // The file dialog keeps the title and filter of the last upload for "SaveAs".
    QString m_dialogTitle;
    QString m_dialogFilter;
    std::optional<ClientDocuments> m_documents;

    // The rows of the fill that runs, and the first of them not yet in the list.
    std::vector<ClientDocuments::Attachment> m_rows;
    size_t m_nextRow = 0;
    int m_sliceRows = DefaultSliceRows;
    QTimer m_nextSlice;
};
