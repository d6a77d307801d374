#include "clients/ui/DisplayExtendedInformation.h"

#include "clients/ui/AttachmentsPanel.h"
#include "clients/ui/EventsPanel.h"
#include "clients/ui/FieldsPanel.h"
#include "clients/ui/RecordListView.h"
#include "clients/ui/RecordTabStrip.h"
#include "clients/ui/ResourcesPanel.h"
#include "clients/ui/SaveReport.h"
#include "platform/MessageBox.h"
#include "store/StoreError.h"
#include "widgets/ChildWindow.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>

namespace {

// The window's designed size and its controls' places, in twips.
constexpr double WindowWidth = 14340;
constexpr double WindowHeight = 8295;

struct Place
{
    double left;
    double top;
    double width;
    double height;
};

constexpr Place TabStripPlace{60, 120, 14115, 6975};
constexpr Place FieldFramePlace{180, 480, 13935, 6495};
constexpr Place OptionsPlace{60, 7140, 14115, 735};
constexpr Place ClosePlace{4028, 240, 1515, 375};
constexpr Place EditPlace{5588, 240, 1515, 375};
constexpr Place DeletePlace{7148, 240, 1515, 375};
constexpr Place CancelPlace{8708, 240, 1515, 375};

QRect twipsRect(const Place& place)
{
    return Twips::rect(place.left, place.top, place.width, place.height);
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const Place& place)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(twipsRect(place));
    return button;
}

const QString Title = QStringLiteral("Orvanta");

} // namespace

DisplayExtendedInformation::DisplayExtendedInformation(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DisplayExtendedInformation"));
    setFixedSize(Twips::size(WindowWidth, WindowHeight));
    createControls();
}

DisplayExtendedInformation::~DisplayExtendedInformation() = default;

void DisplayExtendedInformation::createControls()
{
    m_tabs = new RecordTabStrip(this, twipsRect(TabStripPlace), twipsRect(FieldFramePlace).top());
    const QRect strip = m_tabs->bar()->geometry();

    m_fieldFrame = new QFrame(this);
    m_fieldFrame->setObjectName(QStringLiteral("Frame1"));
    m_fieldFrame->setFrameShape(QFrame::StyledPanel);
    // Where the style draws taller headers than designed, the frame starts below them, so
    // that no header is hidden under it, and keeps clear of the options frame below.
    QRect frame = twipsRect(FieldFramePlace);
    frame.moveTop(qMax(frame.top(), strip.bottom() + 1));
    frame.setBottom(qMin(frame.bottom(), twipsRect(OptionsPlace).top() - 1));
    m_fieldFrame->setGeometry(frame);
    m_fields = new FieldsPanel(m_fieldFrame, m_record);

    m_list = new RecordListView(this, m_fieldFrame, [this] { return PersonalInformationId; });

    m_options = new QGroupBox(QStringLiteral("Record Options"), this);
    m_options->setObjectName(QStringLiteral("Frame2"));
    m_options->setGeometry(twipsRect(OptionsPlace));

    m_attachments = new AttachmentsPanel(*m_list, m_options);
    m_resources = new ResourcesPanel(*m_list);
    m_events = new EventsPanel(*m_list);

    m_close = makeButton(m_options, QStringLiteral("cmdClose"), QStringLiteral("&Close"), ClosePlace);
    m_edit = makeButton(m_options, QStringLiteral("cmdEdit"), QStringLiteral("&Edit"), EditPlace);
    m_delete = makeButton(m_options, QStringLiteral("cmdDelete"), QStringLiteral("&Delete"), DeletePlace);
    m_cancel = makeButton(m_options, QStringLiteral("cmdCancel"), QStringLiteral("C&ancel"), CancelPlace);
    m_cancel->hide();

    // Whichever panel fills the list sets the Edit button's verb and shows the list.
    connect(m_list, &RecordListView::filling, this, [this](const QString& tab) {
        m_state.listFilled(tab);
        applyState();
    });
    connect(m_attachments, &AttachmentsPanel::reassignRequested, this, &DisplayExtendedInformation::reassignRequested);
    connect(m_resources, &ResourcesPanel::assignResourceRequested, this,
            &DisplayExtendedInformation::assignResourceRequested);
    connect(m_events, &EventsPanel::addEventRequested, this, &DisplayExtendedInformation::addEventRequested);
    connect(m_events, &EventsPanel::viewEventRequested, this, &DisplayExtendedInformation::viewEventRequested);

    connect(m_tabs->bar(), &QTabBar::currentChanged, this, [this] { tabChanged(); });
    connect(m_close, &QPushButton::clicked, this, [this] { ChildWindow::close(this); });
    connect(m_edit, &QPushButton::clicked, this, [this] { editClicked(); });
    connect(m_delete, &QPushButton::clicked, this, [this] { deleteClicked(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { cancelClicked(); });
    updateTabOrder();
}

void DisplayExtendedInformation::load()
{
    m_loaded = true;
    setFixedSize(Twips::size(WindowWidth, WindowHeight));
    m_state.start(RecordState::modeFromText(Mode));
    setWindowTitle(PersonalName);

    m_record = ClientRecord(PersonalInformationId);
    m_record.load();
    m_tabs->showTabs(m_record.tabs(), m_state.fixedTabsPresent());
    LoadTabFields();
    applyState();
}

void DisplayExtendedInformation::showEvent(QShowEvent* event)
{
    if (!m_loaded)
        load();
    QWidget::showEvent(event);
}

bool DisplayExtendedInformation::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        watchSubWindow();
        break;
    case QEvent::WindowActivate:
        // Inside a child window, activation comes from the child window's state instead.
        if (isWindow())
            emit activated(PersonalInformationId);
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void DisplayExtendedInformation::watchSubWindow()
{
    disconnect(m_subWindowConnection);
    auto* subWindow = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!subWindow)
        return;
    m_subWindowConnection = connect(subWindow, &QMdiSubWindow::windowStateChanged, this,
                                    [this](Qt::WindowStates oldState, Qt::WindowStates newState) {
                                        if (newState.testFlag(Qt::WindowActive) && !oldState.testFlag(Qt::WindowActive))
                                            emit activated(PersonalInformationId);
                                    });
}

void DisplayExtendedInformation::syncMode()
{
    Mode = RecordState::modeText(m_state.mode());
}

void DisplayExtendedInformation::applyState()
{
    syncMode();
    m_edit->setText(m_state.editCaption());
    m_edit->setVisible(m_state.editVisible());
    m_delete->setText(m_state.deleteCaption());
    m_delete->setVisible(m_state.deleteVisible());
    m_close->setText(m_state.closeCaption());
    m_close->setVisible(m_state.closeVisible());
    m_cancel->setVisible(m_state.cancelVisible());
    m_attachments->currentVersionOnly()->setVisible(m_state.checkVisible());
    m_list->view()->setVisible(m_state.listVisible());
    m_fields->setLocked(m_state.locked());
}

void DisplayExtendedInformation::LoadTabFields()
{
    m_fields->show(m_tabs->selected(), m_state.mode() == RecordState::Mode::Viewing, m_state.locked());
    updateTabOrder();
}

void DisplayExtendedInformation::updateTabOrder()
{
    QList<QWidget*> chain{m_tabs->bar()};
    chain.append(m_fields->boxes());
    chain << m_list->view() << m_attachments->currentVersionOnly() << m_close << m_edit << m_delete << m_cancel;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}

void DisplayExtendedInformation::tabChanged()
{
    // The boxes on screen still belong to the tab being left: keep what was typed in them.
    m_fields->keepTypedValues();
    LoadTabFields();
    const QString tab = m_tabs->selected();
    m_state.showTab(tab);
    applyState();
    if (tab == AttachmentsPanel::tab())
        m_attachments->fill();
    else if (tab == ResourcesPanel::tab())
        m_resources->fill();
    else if (tab == EventsPanel::tab())
        m_events->fill();
}

bool DisplayExtendedInformation::showsList(const QString& tab) const
{
    return m_list->shows(tab) && RecordState::isFixedTab(m_tabs->selected());
}

// A refill asked for from outside (the client picker after moving a document, the event
// dialog after saving an event, the library after assigning a resource) reads the list on
// screen again and nothing else: while the user is on a data tab, editing, or on another
// list, the buttons and the shown tab stay as they are; the list is read again when its
// tab is shown.
void DisplayExtendedInformation::PopulateListAtt()
{
    if (showsList(AttachmentsPanel::tab()))
        m_attachments->fill();
}

void DisplayExtendedInformation::PopulateListResources()
{
    if (showsList(ResourcesPanel::tab()))
        m_resources->fill();
}

void DisplayExtendedInformation::PopulateListEvents()
{
    if (showsList(EventsPanel::tab()))
        m_events->fill();
}

void DisplayExtendedInformation::setListSliceRows(int rows)
{
    m_attachments->setSliceRows(rows);
}

bool DisplayExtendedInformation::isListFilling() const
{
    return m_attachments->isFilling();
}

void DisplayExtendedInformation::editClicked()
{
    const RecordState::EditAction action = m_state.clickEdit();
    applyState();
    switch (action) {
    case RecordState::EditAction::EnterEditing:
        enterEditing();
        break;
    case RecordState::EditAction::CreateClient:
        createClient();
        break;
    case RecordState::EditAction::Upload:
        emit uploadRequested();
        m_attachments->upload();
        break;
    case RecordState::EditAction::AddEvent:
        m_events->add();
        break;
    case RecordState::EditAction::AssignResource:
        m_resources->assign();
        break;
    case RecordState::EditAction::None:
        break;
    }
}

void DisplayExtendedInformation::enterEditing()
{
    m_state.enterEditing();
    m_tabs->removeFixedTabs();
    m_record.loadStoredValues();
    // The selected tab shows the values just loaded.
    LoadTabFields();
    applyState();
}

void DisplayExtendedInformation::deleteClicked()
{
    switch (m_state.clickDelete()) {
    case RecordState::DeleteAction::Save:
        saveClient();
        break;
    case RecordState::DeleteAction::Retire:
        retireClient();
        break;
    case RecordState::DeleteAction::None:
        break;
    }
}

void DisplayExtendedInformation::saveClient()
{
    m_fields->keepTypedValues();
    ClientRecord::SaveOutcome outcome;
    try {
        outcome = m_record.save();
    } catch (const StoreError& error) {
        // Nothing was written; the window stays in editing.
        SaveReport::failure(this, error, SaveReport::saveFailedText());
        return;
    }
    if (!outcome.saved()) {
        // Nothing was written; what was typed stays until the user loads the record again.
        SaveReport::changedElsewhere(this, outcome.changedElsewhere);
        return;
    }
    m_state.saved();
    m_tabs->appendFixedTabs(RecordState::fixedTabsAfterEditing());
    applyState();
    emit clientSaved(PersonalInformationId);
}

void DisplayExtendedInformation::createClient()
{
    m_fields->keepTypedValues();
    qint64 id = 0;
    try {
        id = m_record.create();
    } catch (const StoreError& error) {
        // No part of the client was stored; the window stays as it was.
        SaveReport::failure(this, error, SaveReport::saveFailedText());
        return;
    }
    PersonalInformationId = id;
    emit clientSaved(id);
    ChildWindow::close(this);
}

void DisplayExtendedInformation::retireClient()
{
    const QString question = QStringLiteral("You are about to delete this client from the database") +
                             QLatin1Char('\n') + QStringLiteral("Do you want to continue");
    if (MessageBox::ask(this, Title, question, MessageBox::YesNo, MessageBox::NoIcon) != MessageBox::Yes)
        return;
    try {
        m_record.retire();
    } catch (const StoreError& error) {
        SaveReport::failure(this, error, SaveReport::saveFailedText(), SaveReport::busyDeleteText());
        return;
    }
    emit clientSaved(PersonalInformationId);
    ChildWindow::close(this);
}

void DisplayExtendedInformation::cancelClicked()
{
    const bool wasEditing = m_state.mode() == RecordState::Mode::Editing;
    m_state.cancel();
    if (wasEditing)
        m_tabs->appendFixedTabs(RecordState::fixedTabsAfterEditing());
    // Typed text stays on screen; showing a tab again reads the stored row.
    applyState();
}
