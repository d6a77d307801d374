#pragma once

#include "clients/ClientDocuments.h"

#include <QObject>
#include <QString>
#include <optional>

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

    // Fills the list with the client's attachments. A database failure is reported and leaves
    // the list empty.
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
};
