#pragma once

#include "store/EngineBlob.h"

class PgConnection;

// A large object on a PostgreSQL server, read and written in pieces by its number. Each
// piece is a statement of its own, so that no descriptor has to outlive a transaction.
class PgBlob final : public EngineBlob
{
public:
    // `size` as the server gave it with the object's number.
    PgBlob(PgConnection& connection, unsigned int object, qint64 size);

    qint64 size() const override { return m_size; }
    void read(char* buffer, int length, qint64 offset) const override;
    void write(const char* buffer, int length, qint64 offset) override;

private:
    PgConnection& m_connection;
    unsigned int m_object;
    qint64 m_size = 0;
};
