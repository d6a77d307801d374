#include "clients/SearchStatement.h"

#include "store/Identifier.h"

SearchStatement SearchStatement::build(const Options& options)
{
    SearchStatement statement;
    statement.sql = QStringLiteral("SELECT * FROM Attachments");
    bool hasWhere = false;
    const auto condition = [&](const QString& fragment, const QVariant& value) {
        statement.sql += (hasWhere ? QStringLiteral(" AND ") : QStringLiteral(" WHERE ")) + fragment;
        statement.params.append(value);
        hasWhere = true;
    };

    // The summary is compared without regard to case, for every letter as the content
    // search does: both sides are folded by the connection's casefold().
    if (!options.content) {
        if (options.exactPhrase)
            condition(QStringLiteral("casefold(AttachmentDescription) = casefold(?)"), options.text);
        else
            condition(QStringLiteral("casefold(AttachmentDescription) like casefold(?) ESCAPE '\\'"),
                      QLatin1Char('%') + escapeLike(options.text) + QLatin1Char('%'));
    }
    if (options.scope != ClientScope::All)
        condition(QStringLiteral("PersonalInformationId = ?"), options.clientId);
    if (!options.fileType.isEmpty())
        condition(QStringLiteral("AttachmentExtension = ?"), options.fileType);
    if (options.specifyVersion)
        condition(QStringLiteral("AttachmentVersion = ?"), options.version);

    // One client's hits come by name, then version; every client's in the order they were
    // stored, except when the contents of every type are searched: then by client, name and
    // version. Missing values come first; otherwise equal hits keep the order they were stored in.
    if (options.scope != ClientScope::All)
        statement.sql += QStringLiteral(" ORDER BY AttachmentsName NULLS FIRST, AttachmentVersion NULLS FIRST, "
                                        "AttachmentsId");
    else if (options.content && options.fileType.isEmpty())
        statement.sql += QStringLiteral(" ORDER BY PersonalInformationId NULLS FIRST, AttachmentsName NULLS FIRST, "
                                        "AttachmentVersion NULLS FIRST, AttachmentsId");
    else
        statement.sql += QStringLiteral(" ORDER BY AttachmentsId");
    return statement;
}

bool SearchStatement::parseVersion(const QString& text, int& version)
{
    bool ok = false;
    version = text.trimmed().toInt(&ok);
    return ok;
}
