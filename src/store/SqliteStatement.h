#pragma once

#include "store/EngineStatement.h"

#include <QByteArray>

struct sqlite3;
struct sqlite3_stmt;

// A statement of an SQLite database file, finalized when destroyed.
class SqliteStatement final : public EngineStatement
{
public:
    SqliteStatement(sqlite3* db, const QString& sql);
    ~SqliteStatement() override;

    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    int parameterCount() const override;
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
    QString sql() const override;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    mutable QByteArray m_number; // the text of a floating-point value handed out by utf8()
};
