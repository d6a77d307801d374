#include "store/DatabaseSchema.h"

#include "store/Database.h"
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

// Columns of the client table in their fixed order: the explorer takes its sort keys
// from the positions of the first sixteen. The name columns compare without regard to
// case, so that their indexes serve the explorer's prefix searches.
constexpr const char* Tables = R"sql(
CREATE TABLE Security (
    SecurityId INTEGER PRIMARY KEY AUTOINCREMENT,
    UserName TEXT,
    UserPassword TEXT,
    UserFirstName TEXT,
    UserMiddleName TEXT,
    UserLastName TEXT,
    UserEMailAddress TEXT,
    UserLevel INTEGER
);
CREATE TABLE "Personal Information" (
    "First Name" TEXT COLLATE NOCASE,
    "Address One" TEXT,
    "Address Two" TEXT,
    City TEXT,
    State TEXT,
    "Zip Code" TEXT,
    "Home Phone Number" TEXT,
    "Cell Phone Number" TEXT,
    "Fax Number" TEXT,
    "Work Phone Number" TEXT,
    "Email Address" TEXT,
    Country TEXT,
    "Middle Name" TEXT COLLATE NOCASE,
    "Last Name" TEXT COLLATE NOCASE,
    "Job Title" TEXT,
    Company TEXT COLLATE NOCASE,
    PersonalInformationId INTEGER PRIMARY KEY AUTOINCREMENT,
    Active INTEGER DEFAULT 1
);
CREATE INDEX PersonalInformationLastName ON "Personal Information" ("Last Name", Active);
CREATE INDEX PersonalInformationCompany ON "Personal Information" (Company, Active);
CREATE TABLE Attachments (
    AttachmentsId INTEGER PRIMARY KEY AUTOINCREMENT,
    PersonalInformationId INTEGER,
    AttachmentsName TEXT,
    AttachmentVersion INTEGER,
    AttachmentsDate DATE DEFAULT (date('now', 'localtime')),
    AttachmentDescription TEXT,
    AttachmentExtension TEXT,
    Attachments BLOB
);
CREATE INDEX AttachmentsClient ON Attachments (PersonalInformationId, AttachmentsName, AttachmentVersion);
CREATE INDEX AttachmentsByName ON Attachments (AttachmentsName);
CREATE TABLE ObjectTbl (
    ObjectId INTEGER PRIMARY KEY AUTOINCREMENT,
    ObjectIndex INTEGER,
    ObjectParentIndex INTEGER,
    ObjectType TEXT,
    ObjectText TEXT
);
CREATE TABLE Resources (
    DocumentId INTEGER PRIMARY KEY AUTOINCREMENT,
    ObjectIndex INTEGER,
    DocumentName TEXT,
    DocuemntVersion INTEGER,
    DocumentDate DATE DEFAULT (date('now', 'localtime')),
    Document BLOB
);
CREATE INDEX ResourcesByName ON Resources (DocumentName);
CREATE TABLE ReferenceInfo (
    DocumentId INTEGER,
    PersonalInformationId INTEGER
);
CREATE INDEX ReferenceInfoClient ON ReferenceInfo (PersonalInformationId);
CREATE TABLE MeetingInfo (
    PersonalInformationId INTEGER,
    MeetingDate DATE,
    MeetingType TEXT,
    MeetingCatagory TEXT,
    MeetingSubject TEXT,
    MeetingStartTime TIME,
    MeetingEndTime TIME,
    MeetingNotes TEXT,
    MeetingEnteredDate DATE DEFAULT (date('now', 'localtime'))
);
CREATE INDEX MeetingInfoClient ON MeetingInfo (PersonalInformationId);
CREATE TABLE EventInfo (
    EventId INTEGER PRIMARY KEY AUTOINCREMENT,
    EventName TEXT,
    EventActive BOOLEAN DEFAULT 1
);
CREATE TABLE CategoryInfo (
    CategoryId INTEGER PRIMARY KEY AUTOINCREMENT,
    CategoryName TEXT,
    CategoryActive BOOLEAN DEFAULT 1
);
CREATE TABLE TabInfo (
    TabId INTEGER PRIMARY KEY AUTOINCREMENT,
    TabNam TEXT,
    TabDescription TEXT,
    PersonalInformationId INTEGER,
    TabEdit INTEGER DEFAULT 1
);
CREATE TABLE FieldInfo (
    TabId INTEGER,
    FieldName TEXT,
    FieldDescription TEXT,
    labelLeft INTEGER,
    labelTop INTEGER,
    fieldLeft INTEGER,
    fieldTop INTEGER,
    fieldWidth INTEGER,
    FieldDisplayOrder INTEGER,
    FieldEdit INTEGER DEFAULT 1
);
CREATE TABLE NodeInformation (
    NodeName TEXT,
    NodeActive INTEGER DEFAULT 1
);
)sql";

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
    static const QStringList tables = {
        QStringLiteral("Security"),     QStringLiteral("Personal Information"),
        QStringLiteral("Attachments"),  QStringLiteral("ObjectTbl"),
        QStringLiteral("Resources"),    QStringLiteral("ReferenceInfo"),
        QStringLiteral("MeetingInfo"),  QStringLiteral("EventInfo"),
        QStringLiteral("CategoryInfo"), QStringLiteral("TabInfo"),
        QStringLiteral("FieldInfo"),    QStringLiteral("NodeInformation"),
    };
    return tables;
}

void DatabaseSchema::install(const Database& db)
{
    db.executeScript(QStringLiteral("PRAGMA page_size = 65536"));
    Transaction transaction(db);
    db.executeScript(QString::fromLatin1(Tables));
    insertInstalledRows(db);
    SchemaUpgrade::setVersion(db, SchemaUpgrade::currentVersion());
    transaction.commit();
}

void DatabaseSchema::ensure(const QString& path)
{
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
    std::optional<Database> db;
    try {
        db.emplace(path);
        verify(*db);
    } catch (const StoreError& error) {
        if (error.isBusy())
            throw inUse();
        throw StoreError(QStringLiteral("The file %1 is not a database of this program, or it is damaged.\n\n%2\n\n"
                                        "It has been left as it is. Move it away to start with a new database.")
                             .arg(QDir::toNativeSeparators(path), error.message()));
    }
    try {
        SchemaUpgrade::upgrade(*db);
    } catch (const StoreError& error) {
        if (error.isBusy())
            throw inUse();
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
