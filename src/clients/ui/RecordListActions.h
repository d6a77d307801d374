#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <utility>

class QAction;
class StoreError;
class QMenu;
class QMimeData;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// What the record window's list offers on a client's attachments and assigned resources:
// the two context menus (SaveAs, View, Delete, Reassign; View, Remove from Client), the
// upload of a chosen file and the storing of dropped files. Messages and dialogs belong to
// the record window; the window refills its list when told that a list changed.
class RecordListActions : public QObject
{
    Q_OBJECT

public:
    // What a list item carries besides its texts.
    static constexpr int TagRole = Qt::UserRole;         // the record's identifier, when it has one
    static constexpr int VersionRole = Qt::UserRole + 1; // an attachment's stored version

    // `window` owns the menus and shows the messages; `list` is its list; `clientId` gives
    // the client the window shows.
    RecordListActions(QWidget* window, QTreeWidget* list, std::function<qint64()> clientId);

    QMenu* attachmentMenu() const { return m_attachmentMenu; }
    QMenu* resourceMenu() const { return m_resourceMenu; }

    // Asks for a file and stores it as a new version of the client's attachment of its name.
    void upload();
    // Stores dropped files in the order given; anything but local files is refused.
    void dropFiles(const QMimeData* data);

signals:
    void attachmentsChanged();
    void resourcesChanged();
    // The user confirmed moving this attachment version to another client.
    void reassignRequested(qint64 attachmentsId);

private:
    QAction* addMenuAction(QMenu* menu, const QString& name, const QString& caption);
    void createMenus();
    QTreeWidgetItem* selectedItem() const;
    void nothingSelected();
    // A copy of a stored document that could not be made.
    void copyFailed(const StoreError& error);
    void viewAttachment();
    void saveAttachmentAs();
    void deleteAttachment();
    void reassignAttachment();
    void viewResource();
    void removeResource();

    QWidget* m_window = nullptr;
    QTreeWidget* m_list = nullptr;
    std::function<qint64()> m_clientId;
    QMenu* m_attachmentMenu = nullptr;
    QMenu* m_resourceMenu = nullptr;
    // The file dialog keeps the title and filter of the last upload for "SaveAs".
    QString m_dialogTitle;
    QString m_dialogFilter;
};
