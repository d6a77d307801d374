#include "clients/ui/frmSelectClient.h"

#include "clients/ClientPicker.h"
#include "clients/EventEntry.h"
#include "clients/ui/SaveReport.h"
#include "platform/MessageBox.h"
#include "store/StoreError.h"
#include "widgets/ChildWindow.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>

namespace {

const QString Title = QStringLiteral("Orvanta");

} // namespace

frmSelectClient::frmSelectClient(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmSelectClient"));
    setWindowTitle(QStringLiteral("Select Client"));
    // The window keeps its designed size.
    setFixedSize(Twips::size(4800, 5025));

    m_clients = new QListWidget(this);
    m_clients->setObjectName(QStringLiteral("lstClient"));
    m_clients->setGeometry(Twips::rect(120, 120, 4440, 3855));
    m_clients->setAccessibleName(QStringLiteral("Clients"));
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setGeometry(Twips::rect(1680, 4110, 1335, 375));
    setTabOrder(m_clients, m_ok);

    connect(m_ok, &QPushButton::clicked, this, &frmSelectClient::choose);
    connect(m_clients, &QListWidget::itemDoubleClicked, this, &frmSelectClient::choose);
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, &frmSelectClient::choose);
    }
}

void frmSelectClient::setVisible(bool visible)
{
    if (visible && !m_loaded)
        load();
    QWidget::setVisible(visible);
}

void frmSelectClient::load()
{
    m_loaded = true;
    m_clients->clear();
    m_clientIds.clear();
    try {
        for (const ClientPicker::Client& client : ClientPicker::activeClients()) {
            m_clientIds.push_back(client.id);
            m_clients->addItem(client.text);
        }
    } catch (const StoreError& error) {
        MessageBox::inform(this, Title, error.message(), MessageBox::Critical);
    }
    if (m_clients->count() > 0)
        m_clients->setCurrentRow(0);
}

ClientId frmSelectClient::clientIdAt(int row) const
{
    return row >= 0 && static_cast<size_t>(row) < m_clientIds.size() ? m_clientIds[static_cast<size_t>(row)] : 0;
}

void frmSelectClient::choose()
{
    const QListWidgetItem* item = m_clients->currentItem();
    if (m_clientIds.empty() || !item || !item->isSelected()) {
        MessageBox::inform(this, Title,
                           m_clientIds.empty() ? QStringLiteral("There is no active client to choose.")
                                               : QStringLiteral("Choose a client from the list."),
                           MessageBox::Information);
        return;
    }
    const ClientId clientId = clientIdAt(m_clients->currentRow());
    if (SetDocumentId != 0) {
        try {
            ClientPicker::reassignAttachment(SetDocumentId, clientId);
        } catch (const StoreError& error) {
            SaveReport::failure(this, error, error.message(), SaveReport::busyChoiceText());
            return;
        }
        if (PopulateListAtt)
            PopulateListAtt();
        emit attachmentReassigned(SetDocumentId, clientId);
    } else if (!storeEvent(clientId)) {
        return;
    }
    m_done = true;
    ChildWindow::close(this);
}

bool frmSelectClient::storeEvent(ClientId clientId)
{
    const EventEntry entry = handedOverEvent();
    if (const QString problem = entry.problem(); !problem.isEmpty()) {
        MessageBox::inform(this, Title, problem, MessageBox::Critical);
        return false;
    }
    try {
        entry.store(clientId);
    } catch (const StoreError& error) {
        SaveReport::failure(this, error, error.message(), SaveReport::busyChoiceText());
        return false;
    }
    emit eventSaved(clientId);
    return true;
}

EventEntry frmSelectClient::handedOverEvent() const
{
    EventEntry entry;
    entry.EventType = EventType;
    entry.EventDate = EventDate;
    entry.EventCategory = EventCategory;
    entry.EventPurpose = EventPurpose;
    entry.EventStartTime = EventStartTime;
    entry.EventEndTime = EventEndTime;
    entry.EventNotes = EventNotes;
    return entry;
}

bool frmSelectClient::eventPending() const
{
    return !m_done && SetDocumentId == 0 && !handedOverEvent().isEmpty();
}

void frmSelectClient::closeEvent(QCloseEvent* event)
{
    if (eventPending() && MessageBox::ask(this, Title, QStringLiteral("The event has not been saved. Close anyway?"),
                                          MessageBox::YesNo, MessageBox::Question) != MessageBox::Yes) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
