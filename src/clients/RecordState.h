#pragma once

#include <QString>
#include <QStringList>

// The record window's states and what its buttons, text boxes and fixed tabs look like in
// each. The window applies these values to its controls after every transition.
//
// | state      | Edit button              | Delete button   | Close     | Cancel | boxes    | fixed tabs |
// | viewing    | "Edit", or the list verb | "Delete" (data) | "&Close"  | hidden | locked   | present    |
// | editing    | hidden                   | "Save"          | hidden    | shown  | unlocked | removed    |
// | new client | "Save"                   | hidden          | "Cancel"  | hidden | unlocked | never      |
class RecordState
{
public:
    enum class Mode
    {
        Viewing,
        Editing,
        NewClient
    };

    // What a click of the multi-purpose Edit button means.
    enum class EditAction
    {
        None,
        EnterEditing,
        CreateClient,
        Upload,
        AddEvent,
        AssignResource
    };

    // What a click of the multi-purpose Delete button means.
    enum class DeleteAction
    {
        None,
        Save,
        Retire
    };

    static Mode modeFromText(const QString& mode); // "", "Edit", "New"
    static QString modeText(Mode mode);

    // The tabs that show lists, in the order a loading window adds them.
    static const QStringList& fixedTabs();
    // The order in which they come back after editing.
    static const QStringList& fixedTabsAfterEditing();
    static bool isFixedTab(const QString& caption);
    // The Edit button's caption while a fixed tab shows its list ("" for a data tab).
    static QString listCaption(const QString& tab);

    // Loading the window in `mode`.
    void start(Mode mode);
    // The user moved to `tab`.
    void showTab(const QString& tab);
    // The list of a fixed tab has been filled.
    void listFilled(const QString& tab);
    EditAction clickEdit();
    DeleteAction clickDelete() const;
    void enterEditing();
    // Back to viewing after a successful save.
    void saved();
    void cancel();

    Mode mode() const { return m_mode; }
    QString editCaption() const { return m_editCaption; }
    bool editVisible() const { return m_editVisible; }
    QString deleteCaption() const { return m_deleteCaption; }
    bool deleteVisible() const { return m_deleteVisible; }
    QString closeCaption() const { return m_closeCaption; }
    bool closeVisible() const { return m_closeVisible; }
    bool cancelVisible() const { return m_cancelVisible; }
    bool locked() const { return m_locked; }
    bool fixedTabsPresent() const { return m_fixedTabsPresent; }
    bool checkVisible() const { return m_checkVisible; }
    bool listVisible() const { return m_listVisible; }

private:
    void backToViewing();

    Mode m_mode = Mode::Viewing;
    QString m_editCaption = QStringLiteral("&Edit");
    bool m_editVisible = true;
    QString m_deleteCaption = QStringLiteral("&Delete");
    bool m_deleteVisible = true;
    QString m_closeCaption = QStringLiteral("&Close");
    bool m_closeVisible = true;
    bool m_cancelVisible = false;
    bool m_locked = true;
    bool m_fixedTabsPresent = true;
    bool m_checkVisible = false;
    bool m_listVisible = false;
};
