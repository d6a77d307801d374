#pragma once

// A fresh application folder with a database created by the program's own code, for one
// test. Needs only the store, so that the tests of the rules never link the windowing code.

#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/DatabaseSchema.h"

#include <QTemporaryDir>

class TestDatabaseFolder
{
public:
    explicit TestDatabaseFolder(bool createDatabase = true)
    {
        ApplicationFolder::setPath(m_dir.path());
        if (createDatabase)
            DatabaseSchema::ensure(CLsDataBaseConnection::databasePath());
    }

    TestDatabaseFolder(const TestDatabaseFolder&) = delete;
    TestDatabaseFolder& operator=(const TestDatabaseFolder&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};
