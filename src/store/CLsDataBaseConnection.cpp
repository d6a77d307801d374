#include "store/CLsDataBaseConnection.h"

#include "store/ApplicationFolder.h"
#include "store/Database.h"
#include "store/DatabaseLocation.h"
#include "store/StoreError.h"

CLsDataBaseConnection::CLsDataBaseConnection() : m_path(databasePath()) {}

CLsDataBaseConnection::CLsDataBaseConnection(const QString& path) : m_path(path) {}

CLsDataBaseConnection::~CLsDataBaseConnection() = default;

QString CLsDataBaseConnection::databasePath()
{
    return DatabaseLocation::current();
}

void CLsDataBaseConnection::open()
{
    m_db = std::make_shared<Database>(m_path);
}

Recordset CLsDataBaseConnection::CreateRecordset(const QString& sql, const QVariantList& params)
{
    if (m_db)
        throw StoreError(QStringLiteral("Operation is not allowed when the object is open."));
    open();
    try {
        return Recordset(m_db, sql, params);
    } catch (...) {
        m_db.reset();
        throw;
    }
}

void CLsDataBaseConnection::DbClose()
{
    if (!m_db)
        throw StoreError(QStringLiteral("Operation is not allowed when the object is closed."));
    // A recordset still held by the caller keeps the file open until it is dropped.
    m_db.reset();
}

int CLsDataBaseConnection::Execute(const QString& sql, const QVariantList& params)
{
    return database().execute(sql, params);
}

Database& CLsDataBaseConnection::database()
{
    if (!m_db)
        open();
    return *m_db;
}

std::shared_ptr<Database> CLsDataBaseConnection::sharedDatabase()
{
    database();
    return m_db;
}
