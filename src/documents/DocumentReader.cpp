#include "documents/DocumentReader.h"

#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/DatabaseLocation.h"
#include "store/ReadTransaction.h"

#include <QFile>
#include <sys/stat.h>

namespace {

// Which file stands at `path` now: its device and inode, or nothing when there is none.
struct FileIdentity
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;

    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const QString& path)
{
    // A database on a server stays the one its name says.
    if (DatabaseLocation::isServer(path))
        return {true, 0, 0};
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {true, status.st_dev, status.st_ino};
}

} // namespace

struct DocumentReader::Connection
{
    explicit Connection(const QString& path, const FileIdentity& identity) : path(path), identity(identity), db(path) {}

    const QString path;
    const FileIdentity identity; // of the file when it was opened
    const Database db;
};

DocumentReader::DocumentReader() = default;

DocumentReader::~DocumentReader() = default;

void DocumentReader::read(const std::function<void(const Database&)>& work)
{
    const QString path = CLsDataBaseConnection::databasePath();
    const FileIdentity identity = identityOf(path);
    // The connection reads the file it opened; another file at the name is another database.
    if (m_connection && (m_connection->path != path || m_connection->identity != identity || !identity.exists))
        m_connection.reset();
    if (!m_connection)
        m_connection = std::make_unique<Connection>(path, identity);
    // However the read ends, the connection is left holding no lock: one that is still in a
    // transaction after it (the engine could not end it) is closed.
    struct Release
    {
        std::unique_ptr<Connection>& connection;
        ~Release()
        {
            if (connection && connection->db.inTransaction())
                connection.reset();
        }
    } release{m_connection};
    const ReadTransaction transaction(m_connection->db);
    work(m_connection->db);
}
