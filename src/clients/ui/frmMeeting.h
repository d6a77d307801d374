#pragma once

#include "store/ClientId.h"

#include <QString>
#include <QWidget>
#include <functional>

class EventEntry;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The event dialog: records one client event (entry mode) or shows a stored one (view mode),
// whose note it can print or save as a PDF file. Without a client, Save hands the event to a
// new client picker.
//
// The opener sets the public members, then calls load() or just shows the window, which
// loads it the first time. Caption "Client Meeting Notes" unless the opener sets another.
class frmMeeting : public QWidget
{
    Q_OBJECT

public:
    explicit frmMeeting(QWidget* parent = nullptr);

    // The client's identifier as decimal text; empty when no client is known.
    ClientId PersonalInformationId = NoClient;
    // True: entry mode, a new event. False: view mode, the seven texts below.
    bool AddView = true;
    // The stored event shown in view mode.
    QString EventType;
    QString EventDate;
    QString EventCategory;
    QString EventPurpose;
    QString EventStartTime;
    QString EventEndTime;
    QString EventNotes;

    // Opens a sibling window (the client picker), taking ownership of it; the main window
    // sets it to show the window as one of its children. Unset, the window is shown on its own.
    std::function<void(QWidget*)> openWindow;

    // Sets the seven event members from a stored event.
    void setEvent(const EventEntry& event);

    // Fills the lists and boxes for the mode. Reports a database failure in a message.
    void load();
    bool isLoaded() const { return m_loaded; }

    void setVisible(bool visible) override;

signals:
    // The event was written for this client (not emitted for a hand-over to the picker).
    void eventSaved(ClientId clientId);

private:
    void createControls();
    void loadForEntry();
    void loadForView();
    void setStartTimeNow();
    void setEndTimeNow();
    void clear();
    void save();
    void handOver(const EventEntry& entry);
    void print();
    void savePdf();
    EventEntry currentEntry() const;
    void stop(const QString& message);

    bool m_loaded = false;

    QListWidget* m_eventType = nullptr;
    QListWidget* m_category = nullptr;
    QLineEdit* m_date = nullptr;
    QLineEdit* m_purpose = nullptr;
    QLineEdit* m_startTime = nullptr;
    QLineEdit* m_endTime = nullptr;
    QPlainTextEdit* m_notes = nullptr;
    QPushButton* m_startNow = nullptr;
    QPushButton* m_endNow = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_savePdf = nullptr;
    QPushButton* m_cancel = nullptr;
};
