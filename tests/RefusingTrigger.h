#pragma once

// A trigger that makes a write to a table fail with a message, for tests of how a failed write
// is reported: SQLite's RAISE(ABORT), or on PostgreSQL a trigger function that raises.

#include "PgTestDatabase.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"

#include <QString>

namespace RefusingTrigger {

// Refuses each `event` ("INSERT" or "UPDATE") on `table` for which `condition` (SQL over NEW,
// e.g. "NEW.FieldName = 'x'") holds, with `message`. `name` is a plain word.
inline void add(const QString& name, const QString& event, const QString& table, const QString& message,
                const QString& condition = QStringLiteral("1 = 1"))
{
    Database db(CLsDataBaseConnection::databasePath());
    const QString quotedMessage = QString(message).replace(QLatin1Char('\''), QStringLiteral("''"));
    if (!PgTestDatabase::wanted()) {
        db.execute(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON \"%3\" WHEN %4 BEGIN SELECT RAISE(ABORT, '%5'); END")
                       .arg(name, event, table, condition, quotedMessage));
        return;
    }
    db.executeScript(QStringLiteral("CREATE FUNCTION %1_refusal() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF %4 "
                                    "THEN RAISE EXCEPTION '%5'; END IF; RETURN NEW; END $$; "
                                    "CREATE TRIGGER %1 BEFORE %2 ON \"%3\" FOR EACH ROW EXECUTE FUNCTION %1_refusal()")
                         .arg(name.toLower(), event, table, condition, quotedMessage));
}

inline void drop(const QString& name, const QString& table)
{
    Database db(CLsDataBaseConnection::databasePath());
    if (!PgTestDatabase::wanted()) {
        db.execute(QStringLiteral("DROP TRIGGER %1").arg(name));
        return;
    }
    db.executeScript(
        QStringLiteral("DROP TRIGGER %1 ON \"%2\"; DROP FUNCTION %1_refusal()").arg(name.toLower(), table));
}

} // namespace RefusingTrigger
