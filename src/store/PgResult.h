#pragma once

#include <libpq-fe.h>
#include <memory>

// Owns one libpq result and clears it when it goes.
class PgResult
{
public:
    PgResult() = default;
    explicit PgResult(PGresult* result) : m_result(result, &PQclear) {}

    PGresult* get() const { return m_result.get(); }
    explicit operator bool() const { return m_result != nullptr; }
    ExecStatusType status() const { return m_result ? PQresultStatus(m_result.get()) : PGRES_FATAL_ERROR; }
    bool ok() const { return status() == PGRES_COMMAND_OK || status() == PGRES_TUPLES_OK; }
    // The five-character SQLSTATE of a failure, empty when there is none.
    const char* state() const
    {
        const char* code = m_result ? PQresultErrorField(m_result.get(), PG_DIAG_SQLSTATE) : nullptr;
        return code ? code : "";
    }

private:
    std::unique_ptr<PGresult, decltype(&PQclear)> m_result{nullptr, &PQclear};
};
