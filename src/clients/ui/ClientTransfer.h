#pragma once

#include "store/ClientId.h"

#include <QObject>
#include <QString>
#include <vector>

class QWidget;

// The explorer's commands that bring clients in from a file and give them out to one: an
// import from CSV or vCard through the preview dialog, and an export of chosen clients to CSV
// (every field, the designed tabs' too) or to vCard 4.0. Files are chosen through the file
// dialog seam, failures told through the message-box seam.
class ClientTransfer : public QObject
{
    Q_OBJECT

public:
    enum class Format
    {
        Csv,
        VCard
    };

    // `window` is the parent of the dialogs and messages.
    explicit ClientTransfer(QWidget* window);

    // Asks for a file, reads it and opens the preview (window-modal; this returns while it is
    // open). imported() follows when clients were stored.
    void importClients();
    // Writes the clients `ids`, in this order, to a file the user names; no ids: every active
    // client. Returns the number written (0 when cancelled or failed).
    int exportClients(std::vector<ClientId> ids, Format format);

signals:
    void imported(int count);

private:
    QString startFolder() const;

    QWidget* m_window;
    QString m_lastFolder;
};
