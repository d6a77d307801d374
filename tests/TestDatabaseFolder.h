#pragma once

// A fresh application folder with a database created by the program's own code, for one
// test. Needs only the store, so that the tests of the rules never link the windowing code.
// In a PostgreSQL run (PgTestDatabase::wanted()) the database is a fresh one on the test
// server, named by the folder's Database.conf.

#include "PgTestDatabase.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/DatabaseSchema.h"

#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <stdexcept>

class TestDatabaseFolder
{
public:
    explicit TestDatabaseFolder(bool createDatabase = true) : m_pg(createDatabase ? postgreSqlDatabase() : nullptr)
    {
        ApplicationFolder::setPath(m_dir.path());
        if (m_pg) {
            QFile conf(m_dir.filePath(QStringLiteral("Database.conf")));
            if (!conf.open(QIODevice::WriteOnly) || conf.write(m_pg->uri().toUtf8() + '\n') < 0)
                throw std::runtime_error("cannot write " + conf.fileName().toStdString());
        }
        if (createDatabase)
            DatabaseSchema::ensure(location());
    }

    TestDatabaseFolder(const TestDatabaseFolder&) = delete;
    TestDatabaseFolder& operator=(const TestDatabaseFolder&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // Where the database is: the file in the folder, or the PostgreSQL database's URI.
    QString location() const { return m_pg ? m_pg->uri() : CLsDataBaseConnection::databasePath(); }

private:
    static std::unique_ptr<PgTestDatabase> postgreSqlDatabase()
    {
        if (!PgTestDatabase::wanted())
            return {};
        // A run without its server has ended before its first test (PgTestRunCheck.cpp).
        return std::make_unique<PgTestDatabase>();
    }

    // First, so that a skipped run leaves no folder behind, and the database outlives the folder.
    std::unique_ptr<PgTestDatabase> m_pg;
    QTemporaryDir m_dir;
};
