#pragma once

#include "store/EngineStatement.h"
#include "store/PgConnection.h"
#include "store/PgResult.h"

#include <memory>
#include <vector>

// A statement on a PostgreSQL server. Its text is checked and described when it is made;
// it runs at the first step() with the values bound then, and its rows arrive whole.
class PgStatement final : public EngineStatement
{
public:
    PgStatement(std::shared_ptr<PgConnection> connection, const QString& sql);

    int parameterCount() const override { return m_parameterCount; }
    void bind(int index, const QVariant& value, bool borrowBytes) override;
    void bindZeroBlob(int index, qint64 size) override;
    void clearBindings() override;
    bool step() override;
    void reset() override;
    int columnCount() const override;
    QString columnName(int column) const override;
    QString columnDeclaredType(int column) const override;
    QString columnTableName(int column) const override;
    QString columnOriginName(int column) const override;
    QVariant value(int column) const override;
    bool isNull(int column) const override;
    QByteArrayView utf8(int column) const override;
    QString sql() const override { return m_sql; }

private:
    const PGresult* described() const;
    PgConnection::ColumnOrigin originOf(int column) const;
    void requireRow(int column) const;

    std::shared_ptr<PgConnection> m_connection;
    QString m_sql;
    QString m_translated;
    QString m_returningKey;
    int m_parameterCount = 0;
    std::vector<PgConnection::Value> m_values;
    PgResult m_description;
    PgResult m_result;
    int m_row = -1;
    bool m_done = false;
    mutable QByteArray m_text; // utf8() of values whose text is not the server's
};
