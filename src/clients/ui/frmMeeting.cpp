#include "clients/ui/frmMeeting.h"

#include "clients/EventEntry.h"
#include "clients/EventListTable.h"
#include "clients/EventNotesPdf.h"
#include "clients/EventTime.h"
#include "clients/ui/SaveReport.h"
#include "clients/ui/frmSelectClient.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/TextPrinter.h"
#include "store/StoreError.h"
#include "widgets/ChildWindow.h"
#include "widgets/Twips.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

namespace {

const QString Title = QStringLiteral("Orvanta");

template <typename Control>
Control* place(Control* control, const QString& name, const QRect& geometry)
{
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

// A label for `buddy`; its caption is also the control's accessible name.
void label(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry, QWidget* buddy)
{
    place(new QLabel(caption, parent), name, geometry)->setBuddy(buddy);
    buddy->setAccessibleName(caption);
}

QString selectedText(const QListWidget* list)
{
    const QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void fill(QListWidget* list, const QStringList& names)
{
    list->clear();
    list->addItems(names);
    if (list->count() > 0)
        list->setCurrentRow(0);
}

} // namespace

frmMeeting::frmMeeting(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMeeting"));
    setWindowTitle(QStringLiteral("Client Meeting Notes"));
    // The dialog keeps its designed size.
    setFixedSize(Twips::size(9435, 7875));
    createControls();
}

void frmMeeting::createControls()
{
    m_eventType = place(new QListWidget(this), QStringLiteral("lstEventType"), Twips::rect(120, 360, 4455, 1335));
    m_category = place(new QListWidget(this), QStringLiteral("lstCategory"), Twips::rect(4800, 360, 4455, 1335));
    m_date = place(new QLineEdit(this), QStringLiteral("txtEventDate"), Twips::rect(1440, 1830, 2535, 315));
    m_purpose = place(new QLineEdit(this), QStringLiteral("txtEventPurpose"), Twips::rect(1440, 2250, 7815, 315));
    m_startTime = place(new QLineEdit(this), QStringLiteral("txtEventStartTime"), Twips::rect(1440, 2670, 2535, 315));
    m_startNow = place(new QPushButton(QStringLiteral("..."), this), QStringLiteral("cmdStartTime"),
                       Twips::rect(4035, 2670, 435, 315));
    m_endTime = place(new QLineEdit(this), QStringLiteral("txtEventEndTime"), Twips::rect(6000, 2670, 2535, 315));
    m_endNow = place(new QPushButton(QStringLiteral("..."), this), QStringLiteral("cmdEndTime"),
                     Twips::rect(8595, 2670, 435, 315));
    m_notes = place(new QPlainTextEdit(this), QStringLiteral("txtEventNotes"), Twips::rect(120, 3360, 9135, 3195));
    m_notes->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_notes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_notes->setTabChangesFocus(true);
    m_save = place(new QPushButton(QStringLiteral("Save"), this), QStringLiteral("cmdSave"),
                   Twips::rect(120, 6720, 1335, 375));
    m_clear = place(new QPushButton(QStringLiteral("Clear"), this), QStringLiteral("cmdClear"),
                    Twips::rect(1560, 6720, 1335, 375));
    m_print = place(new QPushButton(QStringLiteral("Print"), this), QStringLiteral("cmdPrint"),
                    Twips::rect(3000, 6720, 1335, 375));
    m_savePdf = place(new QPushButton(QStringLiteral("Save as &PDF..."), this), QStringLiteral("cmdSavePdf"),
                      Twips::rect(4440, 6720, 1815, 375));
    m_cancel = place(new QPushButton(QStringLiteral("Cancel"), this), QStringLiteral("cmdCancel"),
                     Twips::rect(7920, 6720, 1335, 375));

    label(this, QStringLiteral("lblEventType"), QStringLiteral("Event Type"), Twips::rect(120, 120, 4455, 240),
          m_eventType);
    label(this, QStringLiteral("lblCategory"), QStringLiteral("Category"), Twips::rect(4800, 120, 4455, 240),
          m_category);
    label(this, QStringLiteral("lblEventDate"), QStringLiteral("Event Date"), Twips::rect(120, 1860, 1275, 285),
          m_date);
    label(this, QStringLiteral("lblEventPurpose"), QStringLiteral("Event Title"), Twips::rect(120, 2280, 1275, 285),
          m_purpose);
    label(this, QStringLiteral("lblEventStartTime"), QStringLiteral("Start Time"), Twips::rect(120, 2700, 1275, 285),
          m_startTime);
    label(this, QStringLiteral("lblEventEndTime"), QStringLiteral("End Time"), Twips::rect(4800, 2700, 1155, 285),
          m_endTime);
    label(this, QStringLiteral("lblEventNotes"), QStringLiteral("Notes"), Twips::rect(120, 3090, 1275, 255), m_notes);
    m_startNow->setAccessibleName(QStringLiteral("Start Time now"));
    m_endNow->setAccessibleName(QStringLiteral("End Time now"));

    const QList<QWidget*> order{m_eventType, m_category, m_date, m_purpose, m_startTime, m_startNow, m_endTime,
                                m_endNow,    m_notes,    m_save, m_clear,   m_print,     m_savePdf,  m_cancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    connect(m_startNow, &QPushButton::clicked, this, &frmMeeting::setStartTimeNow);
    connect(m_endNow, &QPushButton::clicked, this, &frmMeeting::setEndTimeNow);
    connect(m_clear, &QPushButton::clicked, this, &frmMeeting::clear);
    connect(m_save, &QPushButton::clicked, this, &frmMeeting::save);
    connect(m_print, &QPushButton::clicked, this, &frmMeeting::print);
    connect(m_savePdf, &QPushButton::clicked, this, &frmMeeting::savePdf);
    connect(m_cancel, &QPushButton::clicked, this, [this] { ChildWindow::close(this); });
}

void frmMeeting::setEvent(const EventEntry& event)
{
    EventType = event.EventType;
    EventDate = event.EventDate;
    EventCategory = event.EventCategory;
    EventPurpose = event.EventPurpose;
    EventStartTime = event.EventStartTime;
    EventEndTime = event.EventEndTime;
    EventNotes = event.EventNotes;
}

void frmMeeting::setVisible(bool visible)
{
    if (visible && !m_loaded)
        load();
    QWidget::setVisible(visible);
}

void frmMeeting::load()
{
    m_loaded = true;
    if (AddView)
        loadForEntry();
    else
        loadForView();
}

void frmMeeting::loadForEntry()
{
    try {
        fill(m_eventType, EventListTable::eventTypes().activeNames());
        fill(m_category, EventListTable::categories().activeNames());
    } catch (const StoreError& error) {
        MessageBox::inform(this, Title, error.message(), MessageBox::Critical);
    }
    const QDateTime now = EventTime::now();
    m_date->setText(EventTime::dateText(now.date()));
    m_startTime->setText(EventTime::timeText(now.time()));
    m_print->setEnabled(false);
    m_savePdf->setEnabled(false);
}

void frmMeeting::loadForView()
{
    // The lists hold the stored names only, neither of them selected.
    m_eventType->clear();
    m_eventType->addItem(EventType);
    m_category->clear();
    m_category->addItem(EventCategory);
    m_date->setText(EventTime::shownDate(EventDate));
    m_purpose->setText(EventPurpose);
    m_startTime->setText(EventTime::shownTime(EventStartTime));
    m_endTime->setText(EventTime::shownTime(EventEndTime));
    m_notes->setPlainText(EventNotes);

    for (QPushButton* button : {m_clear, m_save, m_startNow, m_endNow})
        button->setEnabled(false);
    m_print->setEnabled(true);
    m_savePdf->setEnabled(true);
    for (QLineEdit* box : {m_date, m_purpose, m_startTime, m_endTime})
        box->setReadOnly(true);
    m_notes->setReadOnly(true);
}

void frmMeeting::setStartTimeNow()
{
    m_startTime->setText(EventTime::timeText(EventTime::now().time()));
}

void frmMeeting::setEndTimeNow()
{
    m_endTime->setText(EventTime::timeText(EventTime::now().time()));
}

void frmMeeting::clear()
{
    const QDateTime now = EventTime::now();
    m_purpose->clear();
    m_date->setText(EventTime::dateText(now.date()));
    m_endTime->clear();
    m_notes->clear();
    m_startTime->setText(EventTime::timeText(now.time()));
}

EventEntry frmMeeting::currentEntry() const
{
    EventEntry entry;
    entry.EventType = selectedText(m_eventType);
    entry.EventDate = m_date->text();
    entry.EventCategory = selectedText(m_category);
    entry.EventPurpose = m_purpose->text();
    entry.EventStartTime = m_startTime->text();
    entry.EventEndTime = m_endTime->text();
    entry.EventNotes = m_notes->toPlainText();
    return entry;
}

void frmMeeting::save()
{
    EventEntry entry = currentEntry();
    if (const QString missing = entry.missingText(); !missing.isEmpty()) {
        stop(missing);
        return;
    }
    if (entry.EventEndTime.isEmpty()) {
        setEndTimeNow();
        entry.EventEndTime = m_endTime->text();
    }
    if (const QString unreadable = entry.unreadableText(); !unreadable.isEmpty()) {
        stop(unreadable);
        return;
    }

    if (PersonalInformationId == NoClient) {
        handOver(entry);
        ChildWindow::close(this);
        return;
    }
    const ClientId clientId = PersonalInformationId;
    try {
        entry.store(clientId);
    } catch (const StoreError& error) {
        // Nothing was written; the dialog stays open with what was typed.
        SaveReport::failure(this, error, error.message());
        return;
    }
    emit eventSaved(clientId);
    ChildWindow::close(this);
}

void frmMeeting::handOver(const EventEntry& entry)
{
    auto picker = std::make_unique<frmSelectClient>();
    picker->EventDate = entry.EventDate;
    picker->EventType = entry.EventType;
    picker->EventStartTime = entry.EventStartTime;
    picker->EventEndTime = entry.EventEndTime;
    picker->EventPurpose = entry.EventPurpose;
    picker->EventCategory = entry.EventCategory;
    picker->EventNotes = entry.EventNotes;
    if (openWindow) {
        openWindow(picker.release());
        return;
    }
    picker->setAttribute(Qt::WA_DeleteOnClose);
    picker.release()->show();
}

void frmMeeting::print()
{
    TextPrinter::instance().printLines(this, currentEntry().printLines());
}

void frmMeeting::savePdf()
{
    const EventEntry entry = currentEntry();
    QString client;
    try {
        client = EventNotesPdf::clientName(PersonalInformationId);
    } catch (const StoreError&) {
        // The name only helps the suggestion; the file is suggested without it.
    }
    const QString chosen = FileDialog::instance().getSaveFileName(
        this, QStringLiteral("Save Notes as PDF"),
        EventNotesPdf::suggestedPath(client, entry.EventDate, entry.EventPurpose), EventNotesPdf::filter());
    if (chosen.isEmpty())
        return;
    // The dialog asked about replacing the name as typed, not the one with ".pdf" added.
    const QString path = EventNotesPdf::withExtension(chosen);
    const QString shown = QDir::toNativeSeparators(path);
    if (path != chosen && QFileInfo::exists(path) &&
        MessageBox::ask(this, Title, QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(shown),
                        MessageBox::YesNoDefaultNo, MessageBox::Warning) != MessageBox::Yes)
        return;
    const QString failure = TextPrinter::instance().printLinesToPdf(entry.EventPurpose, entry.printLines(), path);
    if (!failure.isEmpty()) {
        stop(QStringLiteral("The notes could not be saved as %1.\n\n%2").arg(shown, failure));
        return;
    }
    EventNotesPdf::remember(path);
}

void frmMeeting::stop(const QString& message)
{
    MessageBox::inform(this, Title, message, MessageBox::Critical);
}
