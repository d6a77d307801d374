#include "store/DatabaseSchema.h"
#include "store/DocumentTextIndex.h"

#include "store/Database.h"
#include "store/DatabaseLocation.h"
#include "store/EngineConnection.h"
#include "store/SchemaCatalog.h"
#include "store/SchemaUpgrade.h"
#include "store/StoreError.h"
#include "store/Transaction.h"
#include "store/UserLevels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <optional>

namespace {

// The hash of the built-in password, so that creating a database needs no hashing work.
constexpr const char* BuiltInPasswordHash =
    "$argon2id$v=19$m=65536,t=2,p=1$Lx0ss5zEDF2X8nVsSEioow$K5P3M0kLgesSwReRp3W1Vj4jAn4N09YIBtcPKunbtnE";

using Column = SchemaCatalog::ColumnInfo;

// The kinds of column the fixed tables use. Every engine renders them its own way.
Column key(const char* name)
{
    Column column;
    column.name = QString::fromLatin1(name);
    column.type = QStringLiteral("INTEGER");
    column.autoIncrement = true;
    return column;
}

Column plain(const char* name, const char* type = "TEXT", const char* defaultValue = nullptr)
{
    Column column;
    column.name = QString::fromLatin1(name);
    column.type = QString::fromLatin1(type);
    if (defaultValue)
        column.defaultExpression = QString::fromLatin1(defaultValue);
    return column;
}

Column caseless(const char* name)
{
    Column column = plain(name);
    column.caseless = true;
    return column;
}

constexpr const char* Today = "(date('now', 'localtime'))";

struct IndexDefinition
{
    const char* name;
    QStringList columns;
};

struct TableDefinition
{
    const char* name;
    std::vector<Column> columns;
    std::vector<IndexDefinition> indexes;
};

// The fixed tables in creation order. The client table's columns keep their fixed order: the
// explorer takes its sort keys from the positions of the first sixteen. The name columns
// compare without regard to case, so that their indexes serve the explorer's prefix searches.
const std::vector<TableDefinition>& fixedTableDefinitions()
{
    static const std::vector<TableDefinition> tables = {
        {"Security",
         {key("SecurityId"), plain("UserName"), plain("UserPassword"), plain("UserFirstName"), plain("UserMiddleName"),
          plain("UserLastName"), plain("UserEMailAddress"), plain("UserLevel", "INTEGER")},
         {}},
        {"Personal Information",
         {caseless("First Name"), plain("Address One"), plain("Address Two"), plain("City"), plain("State"),
          plain("Zip Code"), plain("Home Phone Number"), plain("Cell Phone Number"), plain("Fax Number"),
          plain("Work Phone Number"), plain("Email Address"), plain("Country"), caseless("Middle Name"),
          caseless("Last Name"), plain("Job Title"), caseless("Company"), key("PersonalInformationId"),
          plain("Active", "INTEGER", "1")},
         {{"PersonalInformationLastName", {QStringLiteral("Last Name"), QStringLiteral("Active")}},
          {"PersonalInformationCompany", {QStringLiteral("Company"), QStringLiteral("Active")}}}},
        {"Attachments",
         {key("AttachmentsId"), plain("PersonalInformationId", "INTEGER"), plain("AttachmentsName"),
          plain("AttachmentVersion", "INTEGER"), plain("AttachmentsDate", "DATE", Today),
          plain("AttachmentDescription"), plain("AttachmentExtension"), plain("Attachments", "BLOB")},
         {{"AttachmentsClient",
           {QStringLiteral("PersonalInformationId"), QStringLiteral("AttachmentsName"),
            QStringLiteral("AttachmentVersion")}},
          {"AttachmentsByName", {QStringLiteral("AttachmentsName")}}}},
        {"ObjectTbl",
         {key("ObjectId"), plain("ObjectIndex", "INTEGER"), plain("ObjectParentIndex", "INTEGER"), plain("ObjectType"),
          plain("ObjectText")},
         {}},
        {"Resources",
         {key("DocumentId"), plain("ObjectIndex", "INTEGER"), plain("DocumentName"),
          plain("DocuemntVersion", "INTEGER"), plain("DocumentDate", "DATE", Today), plain("Document", "BLOB")},
         {{"ResourcesByName", {QStringLiteral("DocumentName")}}}},
        {"ReferenceInfo",
         {plain("DocumentId", "INTEGER"), plain("PersonalInformationId", "INTEGER")},
         {{"ReferenceInfoClient", {QStringLiteral("PersonalInformationId")}}}},
        {"MeetingInfo",
         {plain("PersonalInformationId", "INTEGER"), plain("MeetingDate", "DATE"), plain("MeetingType"),
          plain("MeetingCatagory"), plain("MeetingSubject"), plain("MeetingStartTime", "TIME"),
          plain("MeetingEndTime", "TIME"), plain("MeetingNotes"), plain("MeetingEnteredDate", "DATE", Today)},
         {{"MeetingInfoClient", {QStringLiteral("PersonalInformationId")}}}},
        {"EventInfo", {key("EventId"), plain("EventName"), plain("EventActive", "BOOLEAN", "1")}, {}},
        {"CategoryInfo", {key("CategoryId"), plain("CategoryName"), plain("CategoryActive", "BOOLEAN", "1")}, {}},
        {"TabInfo",
         {key("TabId"), plain("TabNam"), plain("TabDescription"), plain("PersonalInformationId", "INTEGER"),
          plain("TabEdit", "INTEGER", "1")},
         {}},
        {"FieldInfo",
         {plain("TabId", "INTEGER"), plain("FieldName"), plain("FieldDescription"), plain("labelLeft", "INTEGER"),
          plain("labelTop", "INTEGER"), plain("fieldLeft", "INTEGER"), plain("fieldTop", "INTEGER"),
          plain("fieldWidth", "INTEGER"), plain("FieldDisplayOrder", "INTEGER"), plain("FieldEdit", "INTEGER", "1")},
         {}},
        {"NodeInformation", {plain("NodeName"), plain("NodeActive", "INTEGER", "1")}, {}},
    };
    return tables;
}

struct PlacedField
{
    const char* name;
    const char* description;
};

// The client fields of the built-in tab, in two columns of the record window's field frame.
constexpr PlacedField PersonalFields[] = {
    {"First Name", "Given name"},
    {"Middle Name", "Middle name or initial"},
    {"Last Name", "Family name"},
    {"Company", "Company or organisation"},
    {"Job Title", "Position held"},
    {"Address One", "Street address"},
    {"Address Two", "Address, second line"},
    {"City", "City or town"},
    {"State", "State, county or region"},
    {"Zip Code", "Postal code"},
    {"Country", "Country"},
    {"Home Phone Number", "Home telephone"},
    {"Work Phone Number", "Work telephone"},
    {"Cell Phone Number", "Mobile telephone"},
    {"Fax Number", "Fax"},
    {"Email Address", "E-mail address"},
};

constexpr int FieldsPerColumn = 8;
constexpr int FirstTop = 360;
constexpr int RowStep = 600;
constexpr int LabelLefts[] = {240, 6960};
constexpr int FieldLefts[] = {2040, 9120};
constexpr int FieldWidths[] = {4560, 4560};

void insertInstalledRows(const Database& db)
{
    db.execute(QStringLiteral("INSERT INTO Security (UserName, UserPassword, UserFirstName, UserMiddleName, "
                              "UserLastName, UserEMailAddress, UserLevel) VALUES (?, ?, ?, ?, ?, ?, ?)"),
               {QString::fromLatin1(DatabaseSchema::BuiltInUserName), QString::fromLatin1(BuiltInPasswordHash),
                QStringLiteral("System"), QStringLiteral(""), QStringLiteral("Administrator"), QStringLiteral(""),
                UserLevels::BuiltIn});

    db.execute(QStringLiteral("INSERT INTO TabInfo (TabNam, TabDescription, PersonalInformationId, TabEdit) "
                              "VALUES (?, ?, NULL, 0)"),
               {QStringLiteral("Personal Information"), QStringLiteral("Client name, address and telephone")});
    const qint64 tabId = db.lastInsertRowId();
    int order = 0;
    for (const PlacedField& field : PersonalFields) {
        const int column = order / FieldsPerColumn;
        const int top = FirstTop + (order % FieldsPerColumn) * RowStep;
        db.execute(QStringLiteral("INSERT INTO FieldInfo (TabId, FieldName, FieldDescription, labelLeft, labelTop, "
                                  "fieldLeft, fieldTop, fieldWidth, FieldDisplayOrder, FieldEdit) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 0)"),
                   {tabId, QString::fromLatin1(field.name), QString::fromLatin1(field.description), LabelLefts[column],
                    top, FieldLefts[column], top, FieldWidths[column], order + 1});
        ++order;
    }

    for (char letter = 'A'; letter <= 'Z'; ++letter)
        db.execute(QStringLiteral("INSERT INTO NodeInformation (NodeName, NodeActive) VALUES (?, 1)"),
                   {QString(QLatin1Char(letter))});

    for (const char* name : {"Meeting", "Phone Call", "Conference", "Site Visit"})
        db.execute(QStringLiteral("INSERT INTO EventInfo (EventName, EventActive) VALUES (?, 1)"),
                   {QString::fromLatin1(name)});
    for (const char* name : {"General", "Billing", "Legal", "Follow-up"})
        db.execute(QStringLiteral("INSERT INTO CategoryInfo (CategoryName, CategoryActive) VALUES (?, 1)"),
                   {QString::fromLatin1(name)});

    db.execute(QStringLiteral("INSERT INTO ObjectTbl (ObjectIndex, ObjectParentIndex, ObjectType, ObjectText) "
                              "VALUES (0, 0, ?, ?)"),
               {QStringLiteral("Root"), QStringLiteral("Root")});
}

} // namespace

const QStringList& DatabaseSchema::fixedTables()
{
    static const QStringList tables = [] {
        QStringList names;
        for (const TableDefinition& table : fixedTableDefinitions())
            names.append(QString::fromLatin1(table.name));
        return names;
    }();
    return tables;
}

void DatabaseSchema::createContent(const Database& db)
{
    const SchemaCatalog catalog(db);
    for (const TableDefinition& table : fixedTableDefinitions()) {
        catalog.createTable(QString::fromLatin1(table.name), table.columns);
        for (const IndexDefinition& index : table.indexes)
            catalog.createIndex(QString::fromLatin1(index.name), QString::fromLatin1(table.name), index.columns);
    }
    insertInstalledRows(db);
    DocumentTextIndex::create(db);
    SchemaUpgrade::setVersion(db, SchemaUpgrade::currentVersion());
}

void DatabaseSchema::install(const Database& db)
{
    db.engine().prepareEmptyDatabase();
    Transaction transaction(db);
    createContent(db);
    transaction.commit();
}

void DatabaseSchema::ensureOnServer(const QString& location)
{
    // Connection failures already name the server and the database.
    Database db(location);
    const SchemaCatalog catalog(db);
    if (catalog.tables().isEmpty()) {
        db.engine().prepareEmptyDatabase();
        Transaction transaction(db);
        // Another desk may have set it up while this one waited for the writer's place.
        if (catalog.tables().isEmpty())
            createContent(db);
        transaction.commit();
    }
    try {
        verify(db);
    } catch (const StoreError& error) {
        throw StoreError(QStringLiteral("The %1 is not a database of this program.\n\n%2\n\n"
                                        "It has been left as it is. Name an empty database, or one Orvanta made.")
                             .arg(db.displayName(), error.message()));
    }
    SchemaUpgrade::upgrade(db);
}

void DatabaseSchema::ensure(const QString& path)
{
    if (DatabaseLocation::isServer(path)) {
        ensureOnServer(path);
        return;
    }
    if (!QFileInfo::exists(path)) {
        // Build the file under a temporary name, so that a failed start never leaves
        // a half-made database behind that the next start would take for a real one.
        const QString building = path + QStringLiteral(".new");
        QFile::remove(building);
        try {
            // The clients' documents are readable by their owner only, whatever the umask;
            // the engine gives its journal the mode of the database.
            QFile file(building);
            if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
                !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
                throw StoreError(QStringLiteral("Cannot create the database %1: %2")
                                     .arg(QDir::toNativeSeparators(building), file.errorString()));
            file.close();
            Database db(building, true);
            install(db);
        } catch (const StoreError&) {
            QFile::remove(building);
            throw;
        }
        if (!QFile::rename(building, path)) {
            QFile::remove(building);
            throw StoreError(QStringLiteral("Cannot create the database %1").arg(path));
        }
        return;
    }
    // Held locked by another program past the wait: the data is fine and must not be
    // called damaged (moving the file away would lose it); the caller may try again.
    const auto inUse = [&path] {
        return StoreError(
            QStringLiteral("Another program is using the database %1.").arg(QDir::toNativeSeparators(path)),
            StoreError::Kind::Busy);
    };
    // One connection for the check and the upgrade: the start opens the file once.
    // A database the engine finds damaged is told apart from a file of another kind: it is
    // this program's, and a backup of it may be restored.
    const auto damaged = [&path](const StoreError& error) {
        return StoreError(
            QStringLiteral("The database %1 is damaged: %2").arg(QDir::toNativeSeparators(path), error.message()),
            StoreError::Kind::Damaged);
    };
    std::optional<Database> db;
    try {
        db.emplace(path);
        verify(*db);
    } catch (const StoreError& error) {
        if (error.isBusy())
            throw inUse();
        if (error.isDamaged())
            throw damaged(error);
        throw StoreError(QStringLiteral("The file %1 is not a database of this program.\n\n%2\n\n"
                                        "It has been left as it is. Move it away to start with a new database.")
                             .arg(QDir::toNativeSeparators(path), error.message()));
    }
    try {
        SchemaUpgrade::upgrade(*db);
    } catch (const StoreError& error) {
        if (error.isBusy())
            throw inUse();
        if (error.isDamaged())
            throw damaged(error);
        throw;
    }
}

void DatabaseSchema::verify(const Database& db)
{
    const QStringList present = SchemaCatalog(db).tables();
    QStringList missing;
    for (const QString& table : fixedTables()) {
        if (!present.contains(table, Qt::CaseInsensitive))
            missing.append(table);
    }
    if (!missing.isEmpty())
        throw StoreError(QStringLiteral("Missing tables: %1").arg(missing.join(QStringLiteral(", "))));
}
