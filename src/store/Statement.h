#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <memory>

class EngineStatement;

// A prepared statement, released when it goes out of scope. Made by Database::prepare().
class Statement
{
public:
    explicit Statement(std::unique_ptr<EngineStatement> statement);
    ~Statement();

    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;

    // Binds a value to the 1-based parameter `index`. A null QVariant binds NULL,
    // an empty string binds '' (not NULL); dates and times bind as ISO 8601 text.
    void bind(int index, const QVariant& value);
    void bindAll(const QVariantList& values);
    // The same, except that long-binary values are not copied: the engine reads them where
    // `values` holds them, so `values` must outlive every use of the statement until reset.
    void bindAllBorrowed(const QVariantList& values);
    // Binds a zero-filled long-binary value of `size` bytes, to be written in pieces afterwards.
    void bindZeroBlob(int index, qint64 size);
    void clearBindings();

    // Advances to the next row; false when the statement is done.
    bool step();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    // Declared type of a result column that comes straight from a table column ("" otherwise).
    QString columnDeclaredType(int column) const;
    // Table a result column comes from ("" for an expression).
    QString columnTableName(int column) const;
    QString columnOriginName(int column) const;

    // Value of a column of the current row: null, qint64, double, QString or QByteArray.
    QVariant value(int column) const;
    bool isNull(int column) const;
    // Text of a column of the current row as UTF-8, the same text value(column).toString()
    // gives, without building a QString: empty for null. The bytes stay valid until the next
    // step(), reset() or utf8() call.
    QByteArrayView utf8(int column) const;

    QString sql() const;

private:
    void bindAll(const QVariantList& values, bool borrowBytes);

    std::unique_ptr<EngineStatement> m_statement;
};
