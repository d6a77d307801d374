#pragma once

#include <QObject>
#include <QString>

class QMenu;
class QPoint;
class RecordListView;

// The library documents assigned to the client, on the record window's "Resources" tab:
// fills the list, offers the resource menu (View, Remove from Client) and refills the list
// after a removal. Assigning is done in the library, which the window opens on request.
class ResourcesPanel : public QObject
{
    Q_OBJECT

public:
    // The fixed tab whose list this is.
    static QString tab() { return QStringLiteral("Resources"); }

    explicit ResourcesPanel(RecordListView& list);

    QMenu* menu() const { return m_menu; }

    // Fills the list with the client's assigned resources; a client without any shows one
    // empty row. A database failure is reported and leaves the list empty.
    void fill();
    // cmdEdit "Assign Resource": asks for the library to be opened for this client.
    void assign();

signals:
    void assignResourceRequested();

private:
    void createMenu();
    void showMenu(const QPoint& position);
    void view();
    void removeFromClient();

    RecordListView& m_list;
    QMenu* m_menu = nullptr;
};
