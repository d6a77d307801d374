#pragma once

#include "clients/SortClause.h"

#include <QString>
#include <vector>

class Database;

// The groups of the explorer's tree and the statements behind the tree and the list.
//
// A group is a name prefix from NodeInformation. A client belongs to every active group whose
// name begins its last name (or company name); a user to every group whose name begins the
// user's last name. Group names are bound as LIKE patterns with their wildcards escaped, so a
// name holding '%', '_' or a quote means itself; the name columns compare without regard to
// case and are indexed, so the prefix search reads only the matching part of the index.
class ClientGroups
{
public:
    struct Group
    {
        QString name;
        qint64 count = 0; // active clients in the group (client mode only)
    };

    struct User
    {
        QString key;  // UserLastName followed by the user's position in its group
        QString text; // "Last, First Middle"
        qint64 securityId = 0;
    };

    struct UserGroup
    {
        QString name;
        std::vector<User> users;
    };

    // The active groups, by name.
    static QString groupStatement();
    // Counts the active clients of one group; the pattern is the one parameter.
    static QString countStatement(bool byCompany);
    // The identifier and the list columns of the active clients of one group, in `sort` order.
    static QString clientListStatement(bool byCompany, const SortClause& sort);
    // The identifiers of the active clients of one group in the order of the group's index
    // (name, then identifier), read from the index alone; the pattern is the one parameter.
    static QString clientIdStatement(bool byCompany);
    // The identifier and the list columns of the clients whose identifiers are the first
    // `count` parameters while they are active clients of the group (the next parameter, the
    // pattern). Several at once: on a server each statement costs a round trip.
    static QString clientRowsStatement(bool byCompany, int count);
    // The list columns of the users of one group, in `sort` order, else in the order they
    // were added.
    static QString userListStatement(const SortClause& sort);
    // SecurityId and the name parts of the users of one group, in the order they were added.
    static QString userNodeStatement();

    // The LIKE pattern of the names that begin with `name`.
    static QString pattern(const QString& name);
    // "M     (12)" when the group has clients, "M" when it has none.
    static QString nodeText(const QString& name, qint64 count);
    static QString userText(const QString& last, const QString& first, const QString& middle);

    // Every active group with its count of active clients.
    static std::vector<Group> clientGroups(const Database& db, bool byCompany);
    // Every active group with its users.
    static std::vector<UserGroup> userGroups(const Database& db);
};
