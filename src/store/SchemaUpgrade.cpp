#include "store/SchemaUpgrade.h"

#include "store/Database.h"
#include "store/DocumentTextIndex.h"
#include "store/EngineConnection.h"
#include "store/SchemaCatalog.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

namespace {

// Version 1: the client documents' index also covers the name and version, so that the
// attachment list and the next version number are read from the index alone.
void indexAttachmentsByClientNameAndVersion(const Database& db)
{
    db.execute(QStringLiteral("DROP INDEX IF EXISTS \"AttachmentsClient\""));
    db.execute(QStringLiteral("CREATE INDEX \"AttachmentsClient\" ON Attachments (PersonalInformationId, "
                              "AttachmentsName, AttachmentVersion)"));
}

// Version 2: every designed tab's table is read and written one client at a time (a tab
// click, Edit, Save): each gets an index on PersonalInformationId.
void indexDesignedTabsByClient(const Database& db)
{
    const SchemaCatalog catalog(db);
    const QStringList tables = catalog.tables();
    Statement tabs = db.prepare(QStringLiteral("SELECT DISTINCT TabNam FROM TabInfo WHERE TabNam IS NOT NULL"));
    while (tabs.step()) {
        const QString tab = tabs.value(0).toString();
        for (const QString& table : tables) {
            if (table.compare(tab, Qt::CaseInsensitive) == 0 &&
                catalog.columnNames(table).contains(QStringLiteral("PersonalInformationId"), Qt::CaseInsensitive))
                catalog.ensureClientIndex(table);
        }
    }
}

// Version 3: the text of the documents and its index, for the content search. The documents
// already stored are indexed in the background after the start.
void addDocumentTextIndex(const Database& db)
{
    if (!DocumentTextIndex::current(db))
        DocumentTextIndex::rebuild(db);
}

} // namespace

const std::vector<SchemaUpgrade::Step>& SchemaUpgrade::steps()
{
    static const std::vector<Step> all = {
        {1, indexAttachmentsByClientNameAndVersion},
        {2, indexDesignedTabsByClient},
        {3, addDocumentTextIndex},
    };
    return all;
}

int SchemaUpgrade::currentVersion()
{
    return steps().back().version;
}

int SchemaUpgrade::version(const Database& db)
{
    return db.engine().schemaVersion();
}

void SchemaUpgrade::setVersion(const Database& db, int version)
{
    db.engine().setSchemaVersion(version);
}

int SchemaUpgrade::upgrade(const Database& db, const std::vector<Step>& steps)
{
    const int newest = steps.empty() ? 0 : steps.back().version;
    const auto refuseNewer = [&db, newest](int found) {
        throw StoreError(QStringLiteral("The database %1 was made by a newer version of Orvanta (schema version %2; "
                                        "this program knows versions up to %3).\n\n"
                                        "It has been left as it is. Start it with a newer version of the program.")
                             .arg(db.displayName())
                             .arg(found)
                             .arg(newest));
    };
    const int before = version(db);
    if (before > newest)
        refuseNewer(before);
    if (before == newest)
        return before;
    Transaction transaction(db);
    // Another copy of the program may have upgraded the file while this one waited.
    const int found = version(db);
    if (found > newest)
        refuseNewer(found);
    for (const Step& step : steps) {
        if (step.version > found)
            step.apply(db);
    }
    setVersion(db, newest);
    transaction.commit();
    return found;
}
