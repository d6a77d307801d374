#include "clients/RecordState.h"

namespace {

const QString Resources = QStringLiteral("Resources");
const QString Attachments = QStringLiteral("Attachments");
const QString Meetings = QStringLiteral("Conferences/Meetings");

const QString UpLoad = QStringLiteral("UpLoad");
const QString AssignResource = QStringLiteral("Assign Resource");
const QString AddEvent = QStringLiteral("Add Event");

} // namespace

RecordState::Mode RecordState::modeFromText(const QString& mode)
{
    if (mode == QLatin1String("New"))
        return Mode::NewClient;
    if (mode == QLatin1String("Edit"))
        return Mode::Editing;
    return Mode::Viewing;
}

QString RecordState::modeText(Mode mode)
{
    switch (mode) {
    case Mode::NewClient:
        return QStringLiteral("New");
    case Mode::Editing:
        return QStringLiteral("Edit");
    case Mode::Viewing:
        break;
    }
    return QString();
}

const QStringList& RecordState::fixedTabs()
{
    static const QStringList tabs = {Resources, Attachments, Meetings};
    return tabs;
}

const QStringList& RecordState::fixedTabsAfterEditing()
{
    static const QStringList tabs = {Attachments, Resources, Meetings};
    return tabs;
}

bool RecordState::isFixedTab(const QString& caption)
{
    return fixedTabs().contains(caption, Qt::CaseSensitive);
}

QString RecordState::listCaption(const QString& tab)
{
    if (tab == Resources)
        return AssignResource;
    if (tab == Attachments)
        return UpLoad;
    if (tab == Meetings)
        return AddEvent;
    return QString();
}

void RecordState::start(Mode mode)
{
    m_mode = mode;
    m_locked = mode != Mode::NewClient;
    m_cancelVisible = false;
    m_fixedTabsPresent = mode != Mode::NewClient;
    m_checkVisible = false;
    m_listVisible = false;
    if (mode == Mode::NewClient) {
        m_deleteVisible = false;
        m_closeCaption = QStringLiteral("Cancel");
        m_editCaption = QStringLiteral("Save");
    }
}

void RecordState::showTab(const QString& tab)
{
    m_checkVisible = tab == Attachments;
    if (isFixedTab(tab)) {
        listFilled(tab);
        return;
    }
    if (m_mode != Mode::NewClient) {
        m_listVisible = false;
        m_editCaption = QStringLiteral("Edit");
        m_deleteVisible = true;
    }
}

void RecordState::listFilled(const QString& tab)
{
    m_listVisible = true;
    m_editCaption = listCaption(tab);
    m_deleteVisible = false;
    m_cancelVisible = false;
}

RecordState::EditAction RecordState::clickEdit()
{
    // Creating a client either closes the window or, on failure, leaves it as it was.
    if (m_mode == Mode::NewClient)
        return EditAction::CreateClient;
    // Any other click shows Cancel, which then only locks the boxes and hides itself again.
    m_cancelVisible = true;
    if (m_editCaption == UpLoad)
        return EditAction::Upload;
    if (m_editCaption == AddEvent)
        return EditAction::AddEvent;
    if (m_editCaption == AssignResource)
        return EditAction::AssignResource;
    if (m_mode == Mode::Viewing)
        return EditAction::EnterEditing;
    return EditAction::None;
}

RecordState::DeleteAction RecordState::clickDelete() const
{
    switch (m_mode) {
    case Mode::Editing:
        return DeleteAction::Save;
    case Mode::Viewing:
        return DeleteAction::Retire;
    case Mode::NewClient:
        break;
    }
    return DeleteAction::None;
}

void RecordState::enterEditing()
{
    m_mode = Mode::Editing;
    m_deleteCaption = QStringLiteral("Save");
    m_editVisible = false;
    m_closeVisible = false;
    m_locked = false;
    m_fixedTabsPresent = false;
    m_cancelVisible = true;
}

void RecordState::backToViewing()
{
    m_mode = Mode::Viewing;
    m_editVisible = true;
    m_closeVisible = true;
    m_deleteCaption = QStringLiteral("Delete");
    m_fixedTabsPresent = true;
}

void RecordState::saved()
{
    backToViewing();
    m_locked = true;
    m_cancelVisible = false;
}

void RecordState::cancel()
{
    if (m_mode == Mode::Editing)
        backToViewing();
    m_locked = true;
    m_cancelVisible = false;
}
