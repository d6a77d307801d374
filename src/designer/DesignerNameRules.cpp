#include "designer/DesignerNameRules.h"

namespace {

const QString LineBreak = QStringLiteral("\r\n");

bool isBlank(const QString& name)
{
    return name.trimmed().isEmpty();
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
    // The engine keeps names beginning with "sqlite_" for itself, and a tab whose key column
    // would be called PersonalInformationId could not have its client column as well.
    const bool engineName = name.startsWith(QStringLiteral("sqlite_"), Qt::CaseInsensitive);
    const bool clashes = idColumn(name).compare(QStringLiteral("PersonalInformationId"), Qt::CaseInsensitive) == 0;
    if (engineName || clashes)
        return QStringLiteral("The name \"%1\" is reserved by the database.").arg(name) + another;
    return std::nullopt;
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
    return std::nullopt;
}
