#include "store/SqliteFile.h"

#include "store/Database.h"
#include "store/SqliteConnection.h"
#include "store/SqliteTrigramTokenizer.h"
#include "store/StoreError.h"

#include <QDir>
#include <memory>
#include <sqlite3.h>

namespace {

struct StatementCloser
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementCloser>;

struct BackupCloser
{
    void operator()(sqlite3_backup* backup) const { sqlite3_backup_finish(backup); }
};

} // namespace

SqliteFile::SqliteFile(const QString& path, Mode mode) : m_path(path)
{
    const int flags = (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(QDir::toNativeSeparators(path).toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw StoreError(QStringLiteral("Cannot open the database %1: %2").arg(QDir::toNativeSeparators(path), message),
                         SqliteConnection::errorKind(rc));
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, Database::busyTimeout());
    // The engine's checks of the document text index need its word splitter.
    SqliteTrigramTokenizer::registerOn(m_db);
}

SqliteFile::~SqliteFile()
{
    sqlite3_close_v2(m_db);
}

void SqliteFile::fail(int rc, const QString& what) const
{
    if (m_stopped && (rc & 0xff) == SQLITE_INTERRUPT)
        throw StoreError(QStringLiteral("Cancelled."), StoreError::Kind::Cancelled);
    const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
    throw StoreError(what.isEmpty() ? message : QStringLiteral("%1: %2").arg(what, message),
                     SqliteConnection::errorKind(rc));
}

void SqliteFile::watch(std::function<bool()> stop)
{
    m_stop = std::move(stop);
    m_stopped = false;
    if (!m_stop) {
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
        return;
    }
    sqlite3_progress_handler(
        m_db, 1000,
        [](void* context) -> int {
            auto* self = static_cast<SqliteFile*>(context);
            if (self->m_stop && self->m_stop())
                self->m_stopped = true;
            return self->m_stopped ? 1 : 0;
        },
        this);
}

QStringList SqliteFile::column(const QString& sql)
{
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &raw, nullptr);
    const StatementHandle statement(raw);
    if (rc != SQLITE_OK)
        fail(rc, {});
    QStringList rows;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
        rows.append(text ? QString::fromUtf8(text, sqlite3_column_bytes(raw, 0)) : QString());
    }
    if (rc != SQLITE_DONE)
        fail(rc, {});
    return rows;
}

QVariant SqliteFile::value(const QString& sql)
{
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &raw, nullptr);
    const StatementHandle statement(raw);
    if (rc != SQLITE_OK)
        fail(rc, {});
    rc = sqlite3_step(raw);
    if (rc == SQLITE_DONE)
        return {};
    if (rc != SQLITE_ROW)
        fail(rc, {});
    switch (sqlite3_column_type(raw, 0)) {
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(sqlite3_column_int64(raw, 0));
    case SQLITE_NULL:
        return {};
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)),
                                 sqlite3_column_bytes(raw, 0));
    }
}

void SqliteFile::execute(const QString& sql)
{
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, {});
}

void SqliteFile::execute(const QString& sql, const QString& parameter)
{
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &raw, nullptr);
    const StatementHandle statement(raw);
    if (rc != SQLITE_OK)
        fail(rc, {});
    const QByteArray text = parameter.toUtf8();
    rc = sqlite3_bind_text64(raw, 1, text.constData(), static_cast<sqlite3_uint64>(text.size()), SQLITE_TRANSIENT,
                             SQLITE_UTF8);
    if (rc != SQLITE_OK)
        fail(rc, {});
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        fail(rc, {});
}

qint64 SqliteFile::dataVersion()
{
    return value(QStringLiteral("PRAGMA data_version")).toLongLong();
}

qint64 SqliteFile::backupTo(SqliteFile& target, int pagesPerStep, const WorkProgress& progress, int restarts)
{
    const std::unique_ptr<sqlite3_backup, BackupCloser> backup(sqlite3_backup_init(target.m_db, "main", m_db, "main"));
    if (!backup)
        target.fail(sqlite3_errcode(target.m_db), QStringLiteral("Cannot start the backup"));
    // The data version before a step: if that step finishes the copy without starting again,
    // no other connection committed in between (a commit restarts the copy).
    qint64 version = dataVersion();
    int lastDone = 0;
    for (;;) {
        const int rc = sqlite3_backup_step(backup.get(), pagesPerStep);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_OK && (rc & 0xff) != SQLITE_BUSY && (rc & 0xff) != SQLITE_LOCKED) {
            const QString message = QString::fromUtf8(sqlite3_errstr(rc));
            throw StoreError(QStringLiteral("The backup failed: %1").arg(message), SqliteConnection::errorKind(rc));
        }
        if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
            sqlite3_sleep(20);
        version = dataVersion();
        const int total = sqlite3_backup_pagecount(backup.get());
        const int remaining = sqlite3_backup_remaining(backup.get());
        // A copy started again is no further on after a step that could copy.
        if (rc == SQLITE_OK && total - remaining <= lastDone && --restarts < 0)
            return -1;
        lastDone = total - remaining;
        if (progress && !progress(total - remaining, total))
            throw StoreError(QStringLiteral("Cancelled."), StoreError::Kind::Cancelled);
    }
    return version;
}
