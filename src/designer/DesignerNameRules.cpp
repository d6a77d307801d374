#include "designer/DesignerNameRules.h"

namespace {

const QString LineBreak = QStringLiteral("\r\n");

bool isBlank(const QString& name)
{
    return name.trimmed().isEmpty();
}

// A database server keeps names to 63 bytes and cuts longer ones short, so that two long
// names could end up the same. A tab's name also names its client index ("<tab> by client
// NN"), which needs 13 bytes more. Both engines refuse the same names.
constexpr int LongestFieldName = 63;
constexpr int LongestTabName = 50;

std::optional<QString> tooLong(const QString& name, int longest, const QString& another)
{
    if (name.toUtf8().size() <= longest)
        return std::nullopt;
    return QStringLiteral("The name \"%1\" is too long for the database: a name may have %2 characters at most "
                          "(letters other than A to Z count as two or more).")
               .arg(name)
               .arg(longest) +
           another;
}

// Columns every table on a database server has already.
bool isServerColumn(const QString& name)
{
    static const QStringList system = {QStringLiteral("tableoid"), QStringLiteral("xmin"), QStringLiteral("cmin"),
                                       QStringLiteral("xmax"),     QStringLiteral("cmax"), QStringLiteral("ctid")};
    return system.contains(name, Qt::CaseInsensitive);
}

} // namespace

QString DesignerNameRules::withoutBlanks(const QString& name)
{
    QString joined = name;
    joined.remove(QLatin1Char(' '));
    return joined;
}

QString DesignerNameRules::idColumn(const QString& tabName)
{
    return withoutBlanks(tabName + QStringLiteral("Id"));
}

QString DesignerNameRules::dateColumn(const QString& tabName)
{
    return withoutBlanks(tabName + QStringLiteral("Date"));
}

QStringList DesignerNameRules::ownColumns(const QString& tabName)
{
    return {idColumn(tabName), QStringLiteral("PersonalInformationId"), dateColumn(tabName)};
}

std::optional<QString> DesignerNameRules::tabNameProblem(const QString& name, const QStringList& tables,
                                                         const QStringList& tabs)
{
    if (isBlank(name))
        return QStringLiteral("Invalid Tab Name");
    const QString another = LineBreak + QStringLiteral("Please choose another tab name");
    if (tables.contains(name, Qt::CaseInsensitive))
        return QStringLiteral("A table named \"%1\" exists already.").arg(name) + another;
    if (tabs.contains(name, Qt::CaseInsensitive))
        return QStringLiteral("A tab named \"%1\" exists already.").arg(name) + another;
    // The engine keeps names beginning with "sqlite_" for itself, the program those beginning
    // with "orvanta_" (the document text index), and a tab whose key column would be called
    // PersonalInformationId could not have its client column as well.
    const bool engineName = name.startsWith(QStringLiteral("sqlite_"), Qt::CaseInsensitive) ||
                            name.startsWith(QStringLiteral("orvanta_"), Qt::CaseInsensitive);
    const bool clashes = idColumn(name).compare(QStringLiteral("PersonalInformationId"), Qt::CaseInsensitive) == 0;
    if (engineName || clashes)
        return QStringLiteral("The name \"%1\" is reserved by the database.").arg(name) + another;
    return tooLong(name, LongestTabName, another);
}

std::optional<QString> DesignerNameRules::fieldNameProblem(const QString& name, const QString& tabName,
                                                           const QStringList& fields)
{
    if (isBlank(name))
        return QStringLiteral("Invalid Field Name");
    const QString another = LineBreak + QStringLiteral("Please choose another field name");
    if (ownColumns(tabName).contains(name, Qt::CaseInsensitive))
        return QStringLiteral("\"%1\" is one of the columns the tab's table keeps for itself.").arg(name) + another;
    if (fields.contains(name, Qt::CaseInsensitive))
        return QStringLiteral("The tab already has a field named \"%1\".").arg(name) + another;
    if (isServerColumn(name))
        return QStringLiteral("The name \"%1\" is reserved by the database.").arg(name) + another;
    return tooLong(name, LongestFieldName, another);
}
