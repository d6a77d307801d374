#include "EngineChoice.h"

#include "BareSqlite.h"
#include "BenchOptions.h"

#include "store/StoreError.h"

#include <sqlite3.h>

EngineChoice::EngineChoice(const BenchOptions& options) : m_pageKiB(options.pageKiB), m_mmapMiB(options.mmapMiB) {}

void EngineChoice::prepareFile(const QString& path) const
{
    if (m_pageKiB <= 0)
        return;
    const BareSqlite db(path);
    db.execute(QStringLiteral("PRAGMA page_size = %1").arg(m_pageKiB * 1024));
    db.execute(QStringLiteral("VACUUM"));
    BareSqlite::Query check(db, QStringLiteral("PRAGMA page_size"));
    if (!check.step() || check.integer(0) != m_pageKiB * 1024)
        throw StoreError(QStringLiteral("%1 did not take pages of %2 KiB").arg(path).arg(m_pageKiB));
}

void EngineChoice::applyToProcess() const
{
    if (m_mmapMiB <= 0)
        return;
    // The default and the limit of every connection; only taken before the engine starts.
    const sqlite3_int64 bytes = m_mmapMiB * 1024 * 1024;
    sqlite3_shutdown();
    if (sqlite3_config(SQLITE_CONFIG_MMAP_SIZE, bytes, bytes) != SQLITE_OK || sqlite3_initialize() != SQLITE_OK)
        throw StoreError(QStringLiteral("the engine did not take memory-mapped reads of %1 MiB").arg(m_mmapMiB));
}

QString EngineChoice::describe() const
{
    const QString pages = m_pageKiB > 0 ? QStringLiteral("%1 KiB pages").arg(m_pageKiB)
                                        : QStringLiteral("pages as the program makes them");
    const QString reads = m_mmapMiB > 0 ? QStringLiteral("mmap up to %1 MiB").arg(m_mmapMiB)
                                        : QStringLiteral("reads as the program makes them");
    return pages + QStringLiteral(", ") + reads;
}
