#pragma once

#include "store/ClientId.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QFrame;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// The record window's one list view (ListView1), which the attachments, resources and
// events panels take turns to fill. Knows which of them it shows, and gives them what they
// share: the client the window shows, the selected item, and the questions and messages of
// their actions.
class RecordListView : public QObject
{
    Q_OBJECT

public:
    // What a list item carries besides its texts.
    static constexpr int TagRole = Qt::UserRole;         // the record's identifier, when it has one
    static constexpr int VersionRole = Qt::UserRole + 1; // an attachment's stored version

    // Builds the list inside `fieldFrame` of `window`, hidden; `clientId` gives the client the
    // window shows when a panel needs it.
    RecordListView(QWidget* window, QFrame* fieldFrame, std::function<ClientId()> clientId);

    QTreeWidget* view() const { return m_view; }
    QWidget* window() const { return m_window; }
    ClientId clientId() const { return m_clientId(); }

    // Whether the list holds the rows of the panel of fixed tab `tab`.
    bool shows(const QString& tab) const { return m_shown == tab; }

    // Empties the list and sets the columns of `tab`'s rows: headers and widths in twips
    // (a column without a width gets the list's default one). Emits filling().
    void startFilling(const QString& tab, const QStringList& headers, const QList<double>& widths);
    // A fill that failed: the list stays empty and the user reads why.
    void fillFailed(const QString& message);

    QTreeWidgetItem* selectedItem() const;
    // An action needs a selected item (or one that stands for a record) and had none.
    void nothingSelected() const;
    // An action that failed: the message says what (a file that could not be read or
    // written, and why; a document no longer stored), with the critical icon.
    void failed(const QString& message) const;
    // Asks `warning` + "Do you want to continue" with Yes and No; true on Yes.
    bool confirm(const QString& warning) const;
    // Tells the user what was done, or why nothing was (the information icon).
    void inform(const QString& done) const;

    // A date as stored, as the lists show it; empty when Null.
    static QString shownDate(const QString& stored);
    // Adds the entry `caption` named `name` to a panel's menu.
    static QAction* addMenuAction(QMenu* menu, const QString& name, const QString& caption);

signals:
    // The list now holds `tab`'s columns and is about to receive its rows.
    void filling(const QString& tab);

private:
    QWidget* m_window = nullptr;
    QTreeWidget* m_view = nullptr;
    std::function<ClientId()> m_clientId;
    QString m_shown;
};
