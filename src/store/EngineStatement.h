#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

// One prepared statement of one engine. Statement is its owner and the only user.
class EngineStatement
{
public:
    virtual ~EngineStatement() = default;

    virtual int parameterCount() const = 0;
    // `borrowBytes`: long-binary values may be read where `value` holds them until reset().
    virtual void bind(int index, const QVariant& value, bool borrowBytes) = 0;
    virtual void bindZeroBlob(int index, qint64 size) = 0;
    virtual void clearBindings() = 0;

    virtual bool step() = 0;
    virtual void reset() = 0;

    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual QString columnDeclaredType(int column) const = 0;
    virtual QString columnTableName(int column) const = 0;
    virtual QString columnOriginName(int column) const = 0;

    virtual QVariant value(int column) const = 0;
    virtual bool isNull(int column) const = 0;
    virtual QByteArrayView utf8(int column) const = 0;
    virtual QString sql() const = 0;
};
