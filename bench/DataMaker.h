#pragma once

#include <QByteArray>
#include <QString>
#include <array>

class Database;

// Deterministic test data: document sizes and texts, and clients with realistic initials.
class DataMaker
{
public:
    explicit DataMaker(quint64 seed);

    quint64 next();
    // A whole number in [low, high].
    qint64 between(qint64 low, qint64 high);

    // Text of about `bytes` bytes in lines of words; with a phrase, it is placed once, in
    // the case given, somewhere in the text.
    QByteArray text(qsizetype bytes, const QByteArray& phrase = {});

    // Adds `count` clients to the client table in one transaction; about one in twenty is
    // retired (Active 0). Returns, per initial A-Z of the last name, the active clients.
    std::array<qint64, 26> addClients(const Database& db, qint64 count);

    // Makes `folder` the application folder, creates its database with the program's own
    // code and adds one client to hold documents; returns that client's identifier.
    static qint64 createFolderWithClient(const QString& folder);

private:
    QByteArray word();
    QByteArray name(char initial);
    char initial();

    quint64 m_state;
};
