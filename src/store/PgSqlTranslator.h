#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// Turns the SQL the program writes, which SQLite reads, into SQL that means the same on
// PostgreSQL:
// - `?` placeholders become $1, $2, …;
// - names are matched without regard to case, as SQLite matches them, quoted or not, and
//   written quoted in the case the database holds them; `[x]` quoting becomes "x";
// - LIKE ignores the case of A to Z, as SQLite's does (ILIKE in byte-order collation);
// - columns that compare without regard to case (SQLite's NOCASE) are compared and sorted
//   through lower(), which the expression indexes on them serve;
// - an INSERT into a table with an integer key returns the key it gave;
// - a lone `?` that INSERT or SET writes into a long-binary column becomes a large object made
//   of the bytes bound, as SQLite stores bytes bound there.
// It reads the SQL as tokens: literals and comments are left as they are.
class PgSqlTranslator
{
public:
    struct Names
    {
        QHash<QString, QStringList> spellings; // a table's or column's name in lower case → as stored
        QSet<QString> caselessColumns;         // "table.column" and "column", in lower case
        QHash<QString, QString> keyOf;         // a table's name in lower case → its integer key
        QSet<QString> longBinaryColumns;       // "table.column" and "column", in lower case
    };

    struct Result
    {
        QString sql;
        int parameters = 0;
        QString returningKey; // the key column an INSERT returns, when one was added
    };

    static Result translate(const QString& sql, const Names& names, bool addReturning = true);
    static QString quote(const QString& name);
};
