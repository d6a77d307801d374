#pragma once

#include <QString>

// The one place where a table or column name goes into SQL text. Names that users
// typed (designed tabs and fields) may contain blanks, quotes or brackets; the
// standard double-quote form keeps them intact.
QString quoteIdentifier(const QString& name);

// Escapes % and _ (and the escape character itself) for a LIKE pattern that uses ESCAPE '\'.
QString escapeLike(const QString& text);
