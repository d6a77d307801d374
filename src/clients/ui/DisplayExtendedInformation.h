#pragma once

#include "store/ClientId.h"

#include "clients/ClientRecord.h"
#include "clients/EventEntry.h"
#include "clients/RecordState.h"

#include <QMetaObject>
#include <QString>
#include <QWidget>

class AttachmentsPanel;
class EventsPanel;
class FieldsPanel;
class QFrame;
class QGroupBox;
class QPushButton;
class RecordListView;
class RecordTabStrip;
class ResourcesPanel;

// The client record window: one client as a strip of tabs. The data tabs come from the tab
// definitions and show labels and text boxes built from the field definitions; the three
// fixed tabs after them show lists. Shows a client read-only, edits it, creates a new one,
// and retires one (Delete).
//
// The window holds the record's state and its buttons; the strip of tabs (RecordTabStrip),
// the selected data tab's fields (FieldsPanel) and the three lists sharing ListView1
// (AttachmentsPanel, ResourcesPanel, EventsPanel) build and handle their own controls.
//
// The opener sets PersonalInformationId, PersonalName and Mode, then calls load() (or just
// shows the window, which loads it the first time).
class DisplayExtendedInformation : public QWidget
{
    Q_OBJECT

public:
    explicit DisplayExtendedInformation(QWidget* parent = nullptr);
    ~DisplayExtendedInformation() override;

    // The client shown; 0 for a new client until it is saved.
    ClientId PersonalInformationId = NoClient;
    // The window caption.
    QString PersonalName;
    // "" viewing, "Edit" editing an existing client, "New" creating a client.
    QString Mode;

    // Builds the tabs and fields and shows the first tab. Database failures throw StoreError.
    void load();
    bool isLoaded() const { return m_loaded; }

    const ClientRecord& record() const { return m_record; }

    // Refill ListView1 with the client's attachments, assigned resources or events, for
    // the windows that changed them. Each does so only while that list is on screen: the
    // buttons and the shown tab stay as the window's state says, and a list is read again
    // whenever its tab is shown. A database failure is reported in a message and leaves the
    // list empty.
    void PopulateListAtt();
    void PopulateListResources();
    void PopulateListEvents();

    // The attachments are added to ListView1 a slice of `rows` rows per turn of the event
    // loop; the window takes clicks and keys between slices.
    void setListSliceRows(int rows);
    // Whether attachments of the last fill are still to be added to ListView1.
    bool isListFilling() const;

signals:
    // The window became the active one; carries its client's identifier.
    void activated(ClientId id);
    // A client was created, saved or deleted through this window.
    void clientSaved(ClientId id);
    // cmdEdit clicked while it reads "UpLoad", "Add Event" or "Assign Resource". On "UpLoad"
    // the window then asks for the file and stores it itself.
    void uploadRequested();
    void addEventRequested();
    void assignResourceRequested();
    // The user confirmed moving this attachment version to another client; whoever completes
    // the move calls PopulateListAtt() on this window afterwards.
    void reassignRequested(qint64 attachmentsId);
    // A double click on an event of the list: the event to show, dates and times as stored.
    void viewEventRequested(const EventEntry& event);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void applyState();
    void syncMode();
    // Shows the selected tab's fields.
    void LoadTabFields();
    void updateTabOrder();
    // Whether ListView1 is on screen with the list of fixed tab `tab`.
    bool showsList(const QString& tab) const;
    void watchSubWindow();

    void tabChanged();
    void editClicked();
    void deleteClicked();
    void cancelClicked();
    void enterEditing();
    void saveClient();
    void createClient();
    void retireClient();

    ClientRecord m_record;
    RecordState m_state;
    bool m_loaded = false;
    QMetaObject::Connection m_subWindowConnection;

    RecordTabStrip* m_tabs = nullptr;
    QFrame* m_fieldFrame = nullptr;
    FieldsPanel* m_fields = nullptr;
    QGroupBox* m_options = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_cancel = nullptr;
    // ListView1 and the three lists that take turns in it.
    RecordListView* m_list = nullptr;
    AttachmentsPanel* m_attachments = nullptr;
    ResourcesPanel* m_resources = nullptr;
    EventsPanel* m_events = nullptr;
};
