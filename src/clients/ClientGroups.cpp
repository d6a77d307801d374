#include "clients/ClientGroups.h"

#include "clients/ClientListModel.h"
#include "store/Database.h"
#include "store/Identifier.h"
#include "store/Statement.h"

#include <QStringList>

namespace {

QString groupColumn(bool byCompany)
{
    return quoteIdentifier(byCompany ? QStringLiteral("Company") : QStringLiteral("Last Name"));
}

QString columnList(const QList<ClientListModel::Column>& columns)
{
    QStringList names;
    for (const ClientListModel::Column& column : columns)
        names.append(quoteIdentifier(column.field));
    return names.join(QStringLiteral(", "));
}

const QString ClientTable = QStringLiteral("Personal Information");
const QString UserTable = QStringLiteral("Security");
const QString Like = QStringLiteral(" LIKE ? ESCAPE '\\'");

// Position of NodeName in the rows of the group statement.
int nameColumn(const Statement& nodes)
{
    for (int i = 0; i < nodes.columnCount(); ++i) {
        if (nodes.columnName(i).compare(QLatin1String("NodeName"), Qt::CaseInsensitive) == 0)
            return i;
    }
    return 0;
}

} // namespace

QString ClientGroups::groupStatement()
{
    // The installed groups are the letters A to Z, stored in that order.
    return QStringLiteral("select * from NodeInformation Where NodeActive = 1 ORDER BY NodeName NULLS FIRST");
}

QString ClientGroups::countStatement(bool byCompany)
{
    return QStringLiteral("SELECT count(*) FROM ") + quoteIdentifier(ClientTable) + QStringLiteral(" WHERE ") +
           groupColumn(byCompany) + Like + QStringLiteral(" AND Active = 1");
}

QString ClientGroups::clientListStatement(bool byCompany, const SortClause& sort)
{
    return QStringLiteral("SELECT PersonalInformationId, ") + columnList(ClientListModel::clientColumns()) +
           QStringLiteral(" FROM ") + quoteIdentifier(ClientTable) + QStringLiteral(" WHERE ") +
           groupColumn(byCompany) + Like + QStringLiteral(" AND Active = 1") + sort.text();
}

QString ClientGroups::clientIdStatement(bool byCompany)
{
    // "+Active" keeps the engine from taking Active = 1 for a bound of the index, which
    // would make it sort the identifiers again although the index holds them in this order.
    return QStringLiteral("SELECT PersonalInformationId FROM ") + quoteIdentifier(ClientTable) +
           QStringLiteral(" WHERE ") + groupColumn(byCompany) + Like + QStringLiteral(" AND +Active = 1 ORDER BY ") +
           groupColumn(byCompany) + QStringLiteral(", Active, PersonalInformationId");
}

QString ClientGroups::clientRowsStatement(bool byCompany, int count)
{
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks.append(QStringLiteral("?"));
    return QStringLiteral("SELECT PersonalInformationId, ") + columnList(ClientListModel::clientColumns()) +
           QStringLiteral(" FROM ") + quoteIdentifier(ClientTable) +
           QStringLiteral(" WHERE PersonalInformationId IN (") + marks.join(QStringLiteral(", ")) +
           QStringLiteral(") AND ") + groupColumn(byCompany) + Like + QStringLiteral(" AND Active = 1");
}

QString ClientGroups::userListStatement(const SortClause& sort)
{
    // Users of equal values keep the order in which they were added.
    return QStringLiteral("SELECT ") + columnList(ClientListModel::userColumns()) + QStringLiteral(" FROM ") +
           quoteIdentifier(UserTable) + QStringLiteral(" WHERE UserLastName") + Like +
           (sort.isEmpty() ? QStringLiteral(" ORDER BY SecurityId") : sort.text() + QStringLiteral(", SecurityId"));
}

QString ClientGroups::userNodeStatement()
{
    return QStringLiteral("SELECT SecurityId, UserLastName, UserFirstName, UserMiddleName FROM ") +
           quoteIdentifier(UserTable) + QStringLiteral(" WHERE UserLastName") + Like +
           QStringLiteral(" ORDER BY SecurityId");
}

QString ClientGroups::pattern(const QString& name)
{
    return escapeLike(name) + QLatin1Char('%');
}

QString ClientGroups::nodeText(const QString& name, qint64 count)
{
    if (count <= 0)
        return name;
    return name + QStringLiteral("     (") + QString::number(count) + QLatin1Char(')');
}

QString ClientGroups::userText(const QString& last, const QString& first, const QString& middle)
{
    return last + QStringLiteral(", ") + first + QLatin1Char(' ') + middle;
}

std::vector<ClientGroups::Group> ClientGroups::clientGroups(const Database& db, bool byCompany)
{
    std::vector<Group> groups;
    Statement nodes = db.prepare(groupStatement());
    const int name = nameColumn(nodes);
    while (nodes.step())
        groups.push_back({nodes.value(name).toString(), 0});

    // One prepared count, bound again for each group.
    Statement count = db.prepare(countStatement(byCompany));
    for (Group& group : groups) {
        count.reset();
        count.bind(1, pattern(group.name));
        if (count.step())
            group.count = count.value(0).toLongLong();
    }
    return groups;
}

std::vector<ClientGroups::UserGroup> ClientGroups::userGroups(const Database& db)
{
    std::vector<UserGroup> groups;
    Statement nodes = db.prepare(groupStatement());
    const int name = nameColumn(nodes);
    while (nodes.step())
        groups.push_back({nodes.value(name).toString(), {}});

    Statement users = db.prepare(userNodeStatement());
    for (UserGroup& group : groups) {
        users.reset();
        users.bind(1, pattern(group.name));
        int counter = 0;
        while (users.step()) {
            const QString last = users.value(1).toString();
            group.users.push_back({last + QString::number(counter++),
                                   userText(last, users.value(2).toString(), users.value(3).toString()),
                                   users.value(0).toLongLong()});
        }
    }
    return groups;
}
