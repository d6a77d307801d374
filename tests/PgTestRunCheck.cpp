// Compiled into every test executable (the orvanta_test_pg target). A PostgreSQL run whose
// test server is unavailable ends before its first test, reported as skipped with the reason:
// without the server no test of such a run means anything, including the tests that make
// their database files themselves and would otherwise pass on SQLite under the run's name.

#include "PgTestDatabase.h"

namespace {

[[maybe_unused]] const bool serverChecked = [] {
    if (PgTestDatabase::wanted()) {
        const QString reason = PgTestDatabase::unavailableReason();
        if (!reason.isEmpty())
            PgTestDatabase::skipRun(QLatin1String(PgTestDatabase::UnavailablePrefix) + reason);
    }
    return true;
}();

} // namespace
