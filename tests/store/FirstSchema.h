#pragma once

// The tables of the program's first release, as its statements created them: test data for
// the schema upgrade, which must bring such a file up to the current schema. Never edit it
// to follow a later schema; a later change is an upgrade step, tested from this file.
constexpr const char* FirstSchemaTables = R"sql(
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
CREATE INDEX AttachmentsClient ON Attachments (PersonalInformationId);
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
