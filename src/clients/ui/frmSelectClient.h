#pragma once

#include "store/ClientId.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

class EventEntry;
class QListWidget;
class QPushButton;

// The client picker: lists the active clients and finishes one pending operation for the
// one chosen. Either it stores an event handed over by the event dialog (the seven event
// members), or it moves one attachment version to the chosen client (SetDocumentId) and
// has its opener reload its attachment list (PopulateListAtt).
//
// The opener sets the members, then calls load() or just shows the window, which loads it
// the first time. OK or a double click on a client does the operation and closes the window;
// when the database refuses it (another program holding it locked, say), the window stays
// open with the client still chosen, so that OK can be tried again.
class frmSelectClient : public QWidget
{
    Q_OBJECT

public:
    explicit frmSelectClient(QWidget* parent = nullptr);

    // The handed-over event, as the event dialog's boxes and lists held it.
    QString EventType;
    QString EventDate;
    QString EventCategory;
    QString EventPurpose;
    QString EventStartTime;
    QString EventEndTime;
    QString EventNotes;

    // The AttachmentsId of the attachment to move; 0 when the window stores an event.
    qint64 SetDocumentId = 0;
    // Called after an attachment was moved, to reload the opener's attachment list. The
    // opener should capture itself guarded (QPointer): it may close before the user chooses.
    std::function<void()> PopulateListAtt;

    // Fills the client list and selects its first entry. Reports a database failure in a message.
    void load();
    bool isLoaded() const { return m_loaded; }
    // The client shown at `row` of lstClient; 0 outside the list.
    ClientId clientIdAt(int row) const;

    void setVisible(bool visible) override;

signals:
    // The handed-over event was written for this client.
    void eventSaved(ClientId clientId);
    // The attachment version was given to this client.
    void attachmentReassigned(qint64 attachmentId, ClientId clientId);

protected:
    // While a handed-over event is unsaved, closing asks first: it exists nowhere else.
    void closeEvent(QCloseEvent* event) override;

private:
    void choose();
    bool storeEvent(ClientId clientId);
    EventEntry handedOverEvent() const;
    bool eventPending() const;

    bool m_loaded = false;
    bool m_done = false;
    std::vector<ClientId> m_clientIds; // the identifier of each list row, in list order

    QListWidget* m_clients = nullptr;
    QPushButton* m_ok = nullptr;
};
