#include "store/PgSqlTranslator.h"

#include <vector>

namespace {

enum class Kind
{
    Space,
    Word,
    Quoted,
    Param,
    String,
    Other
};

struct Token
{
    Kind kind;
    QString text; // as written
    QString name; // Word and Quoted: the name it stands for
};

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isWordPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// Reads up to the closing `close`; a doubled closing character stands for itself.
int readQuoted(const QString& sql, int start, QChar close, QString& inner)
{
    int i = start + 1;
    while (i < sql.size()) {
        if (sql.at(i) == close) {
            if (close != QLatin1Char(']') && i + 1 < sql.size() && sql.at(i + 1) == close) {
                inner += close;
                i += 2;
                continue;
            }
            return i + 1;
        }
        inner += sql.at(i++);
    }
    return i;
}

std::vector<Token> tokenize(const QString& sql)
{
    std::vector<Token> tokens;
    int i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        const int start = i;
        if (c.isSpace()) {
            while (i < sql.size() && sql.at(i).isSpace())
                ++i;
            tokens.push_back({Kind::Space, sql.mid(start, i - start), {}});
        } else if (c == QLatin1Char('-') && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < sql.size() && sql.at(i) != QLatin1Char('\n'))
                ++i;
            tokens.push_back({Kind::Space, sql.mid(start, i - start), {}});
        } else if (c == QLatin1Char('/') && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('*')) {
            const int end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? int(sql.size()) : end + 2;
            tokens.push_back({Kind::Space, sql.mid(start, i - start), {}});
        } else if (c == QLatin1Char('\'')) {
            QString inner;
            i = readQuoted(sql, i, c, inner);
            tokens.push_back({Kind::String, sql.mid(start, i - start), {}});
        } else if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[')) {
            QString inner;
            i = readQuoted(sql, i, c == QLatin1Char('[') ? QLatin1Char(']') : c, inner);
            tokens.push_back({Kind::Quoted, sql.mid(start, i - start), inner});
        } else if (c == QLatin1Char('?')) {
            ++i;
            tokens.push_back({Kind::Param, QStringLiteral("?"), {}});
        } else if (isWordStart(c)) {
            while (i < sql.size() && isWordPart(sql.at(i)))
                ++i;
            const QString word = sql.mid(start, i - start);
            tokens.push_back({Kind::Word, word, word});
        } else if (c.isDigit()) {
            while (i < sql.size() && (sql.at(i).isLetterOrNumber() || sql.at(i) == QLatin1Char('.')))
                ++i;
            tokens.push_back({Kind::Other, sql.mid(start, i - start), {}});
        } else {
            // Two-character operators stay together, so that "!=" is not read as "!" "=".
            static const QStringList pairs = {QStringLiteral("<>"), QStringLiteral("!="), QStringLiteral("<="),
                                              QStringLiteral(">="), QStringLiteral("=="), QStringLiteral("||")};
            const QString two = sql.mid(i, 2);
            i += pairs.contains(two) ? 2 : 1;
            tokens.push_back({Kind::Other, sql.mid(start, i - start), {}});
        }
    }
    return tokens;
}

bool isKeyword(const QString& word)
{
    static const QSet<QString> keywords = [] {
        QSet<QString> set;
        for (const char* k :
             {"ADD",       "ALL",    "ALTER",   "AND",     "AS",      "ASC",       "BEGIN",       "BETWEEN",
              "BY",        "CASE",   "CAST",    "CHECK",   "COLLATE", "COLUMN",    "COMMIT",      "CONSTRAINT",
              "CREATE",    "CROSS",  "DEFAULT", "DELETE",  "DESC",    "DISTINCT",  "DROP",        "ELSE",
              "END",       "ESCAPE", "EXCEPT",  "EXISTS",  "FALSE",   "FIRST",     "FROM",        "FULL",
              "GROUP",     "HAVING", "IF",      "ILIKE",   "IN",      "INDEX",     "INNER",       "INSERT",
              "INTERSECT", "INTO",   "IS",      "ISNULL",  "JOIN",    "KEY",       "LAST",        "LEFT",
              "LIKE",      "LIMIT",  "NOT",     "NOTNULL", "NULL",    "NULLS",     "OFFSET",      "ON",
              "OR",        "ORDER",  "OUTER",   "PRIMARY", "RELEASE", "RETURNING", "RIGHT",       "ROLLBACK",
              "SAVEPOINT", "SELECT", "SET",     "TABLE",   "THEN",    "TO",        "TRANSACTION", "TRUE",
              "UNION",     "UNIQUE", "UPDATE",  "USING",   "VALUES",  "WHEN",      "WHERE",       "WITH"})
            set.insert(QString::fromLatin1(k));
        return set;
    }();
    return keywords.contains(word.toUpper());
}

class Translation
{
public:
    Translation(const QString& sql, const PgSqlTranslator::Names& names) : m_tokens(tokenize(sql)), m_names(names) {}

    PgSqlTranslator::Result run(bool addReturning)
    {
        PgSqlTranslator::Result result;
        int depth = 0;
        int orderDepth = -1; // paren depth of the ORDER BY being read, -1 outside one
        int setDepth = -1;   // paren depth of the SET list being read, -1 outside one
        bool termStart = false;
        bool assignment = false; // the next name is a column SET assigns to, not compares
        const int count = static_cast<int>(m_tokens.size());
        for (int i = 0; i < count; ++i) {
            const Token& token = m_tokens[static_cast<size_t>(i)];
            switch (token.kind) {
            case Kind::Space:
            case Kind::String:
                m_out += token.text;
                continue;
            case Kind::Param:
                m_out += valueParameter(i, depth);
                termStart = false;
                continue;
            case Kind::Other:
                if (token.text == QLatin1String("(")) {
                    ++depth;
                    if (depth == 1 && m_insertColumnsOpen == 0 && m_insertTableIndex >= 0 &&
                        nextIndex(m_insertTableIndex) == i)
                        m_insertColumnsOpen = 1;
                    else if (m_valuesDepth >= 0 && depth == m_valuesDepth + 1)
                        m_valuePosition = 0;
                } else if (token.text == QLatin1String(",") && m_valuesDepth >= 0 && depth == m_valuesDepth + 1) {
                    ++m_valuePosition;
                } else if (token.text == QLatin1String(")")) {
                    if (depth == 1 && m_insertColumnsOpen == 1)
                        m_insertColumnsOpen = 2;
                    if (--depth < orderDepth)
                        orderDepth = -1;
                } else if (token.text == QLatin1String(";"))
                    orderDepth = setDepth = -1;
                m_out += token.text == QLatin1String("==") ? QStringLiteral("=") : token.text;
                termStart = orderDepth == depth && token.text == QLatin1String(",");
                assignment = setDepth == depth && token.text == QLatin1String(",");
                continue;
            case Kind::Word:
            case Kind::Quoted:
                break;
            }
            if (token.kind == Kind::Word && isKeyword(token.text)) {
                const QString upper = token.text.toUpper();
                if (upper == QLatin1String("LIKE"))
                    m_out += QStringLiteral("ILIKE");
                else
                    m_out += token.text;
                if (upper == QLatin1String("BY") &&
                    previousWord(i).compare(QLatin1String("ORDER"), Qt::CaseInsensitive) == 0) {
                    orderDepth = depth;
                    termStart = true;
                } else {
                    if (upper == QLatin1String("LIMIT") || upper == QLatin1String("OFFSET"))
                        orderDepth = -1;
                    termStart = false;
                }
                if (upper == QLatin1String("VALUES") && m_insertColumnsOpen == 2)
                    m_valuesDepth = depth;
                else if (upper == QLatin1String("INTO") &&
                         previousWord(i).compare(QLatin1String("INSERT"), Qt::CaseInsensitive) == 0) {
                    const int table = nextIndex(i);
                    if (table >= 0 && isName(table)) {
                        m_insertTable = m_tokens[static_cast<size_t>(table)].name.toLower();
                        m_insertTableIndex = table;
                    }
                }
                if (upper == QLatin1String("SET")) {
                    setDepth = depth;
                    assignment = true;
                } else {
                    if (depth == setDepth && (upper == QLatin1String("WHERE") || upper == QLatin1String("FROM") ||
                                              upper == QLatin1String("RETURNING")))
                        setDepth = -1;
                    assignment = false;
                }
                continue;
            }
            if (token.kind == Kind::Word && nextText(i) == QLatin1String("(") && !namesTable(i)) {
                m_out += token.text; // a function's name
                termStart = assignment = false;
                continue;
            }
            if (m_insertColumnsOpen == 1 && depth == 1)
                m_insertColumns.append(m_tokens[static_cast<size_t>(i)].name.toLower());
            i = column(i, termStart, assignment);
            termStart = assignment = false;
        }
        result.sql = m_out;
        result.parameters = m_parameters;
        if (addReturning)
            addReturningKey(result);
        return result;
    }

private:
    // A name, or a qualified name, starting at `i`: written in its stored spelling, through
    // lower() when it is a caseless column that is compared or sorted here. Returns the index
    // of the last token used. A column SET assigns to is written as it is.
    int column(int i, bool orderTerm, bool assigned)
    {
        int last = i;
        QString written = spelled(i);
        QString key = m_tokens[static_cast<size_t>(i)].name.toLower();
        const int dot = nextIndex(i);
        if (dot >= 0 && m_tokens[static_cast<size_t>(dot)].text == QLatin1String(".")) {
            const int second = nextIndex(dot);
            if (second >= 0 && isName(second)) {
                written += QLatin1Char('.') + spelled(second);
                key += QLatin1Char('.') + m_tokens[static_cast<size_t>(second)].name.toLower();
                last = second;
            }
        }
        if (assigned && m_names.longBinaryColumns.contains(key)) {
            const int equals = nextIndex(last);
            const int operand = equals < 0 ? -1 : nextIndex(equals);
            if (operand >= 0 && m_tokens[static_cast<size_t>(equals)].text == QLatin1String("=") &&
                m_tokens[static_cast<size_t>(operand)].kind == Kind::Param && isLoneValue(operand)) {
                m_out += written + QStringLiteral(" = ") + longBinaryParameter();
                return operand;
            }
        }
        if (assigned || !m_names.caselessColumns.contains(key)) {
            m_out += written;
            return last;
        }
        const int after = nextIndex(last);
        const QString following = after < 0 ? QString() : m_tokens[static_cast<size_t>(after)].text.toUpper();
        static const QStringList comparisons = {QStringLiteral("LIKE"), QStringLiteral("="), QStringLiteral("=="),
                                                QStringLiteral("<>"), QStringLiteral("!=")};
        if (comparisons.contains(following)) {
            const int operand = nextIndex(after);
            if (operand >= 0 && (m_tokens[static_cast<size_t>(operand)].kind == Kind::Param ||
                                 m_tokens[static_cast<size_t>(operand)].kind == Kind::String)) {
                m_out += QStringLiteral("lower(") + written + QStringLiteral(") ") +
                         (following == QLatin1String("==") ? QStringLiteral("=") : following) +
                         QStringLiteral(" lower(");
                m_out += (m_tokens[static_cast<size_t>(operand)].kind == Kind::Param)
                             ? QStringLiteral("$") + QString::number(++m_parameters)
                             : m_tokens[static_cast<size_t>(operand)].text;
                m_out += QLatin1Char(')');
                return operand;
            }
        }
        if (orderTerm) {
            static const QStringList ends = {QString(),
                                             QStringLiteral(","),
                                             QStringLiteral(")"),
                                             QStringLiteral(";"),
                                             QStringLiteral("ASC"),
                                             QStringLiteral("DESC"),
                                             QStringLiteral("NULLS"),
                                             QStringLiteral("LIMIT"),
                                             QStringLiteral("OFFSET")};
            if (ends.contains(following)) {
                m_out += QStringLiteral("lower(") + written + QLatin1Char(')');
                return last;
            }
        }
        m_out += written;
        return last;
    }

    QString longBinaryParameter() { return QStringLiteral("lo_from_bytea(0, $%1)").arg(++m_parameters); }

    // Whether the parameter at `i` is a whole value: between "(" or "," and "," or ")".
    bool isLoneValue(int i) const
    {
        const QString after = nextText(i);
        return after.isEmpty() || after == QLatin1String(",") || after == QLatin1String(")") ||
               after == QLatin1String(";") || after.compare(QLatin1String("WHERE"), Qt::CaseInsensitive) == 0;
    }

    // A parameter: written into a long-binary column by INSERT … VALUES, it makes a large object.
    QString valueParameter(int i, int depth)
    {
        if (m_valuesDepth >= 0 && depth == m_valuesDepth + 1 && m_valuePosition < m_insertColumns.size()) {
            const QString before = previousWord(i);
            const QString after = nextText(i);
            if ((before == QLatin1String("(") || before == QLatin1String(",")) &&
                (after == QLatin1String(",") || after == QLatin1String(")")) &&
                m_names.longBinaryColumns.contains(m_insertTable + QLatin1Char('.') +
                                                   m_insertColumns.at(m_valuePosition)))
                return longBinaryParameter();
        }
        return QLatin1Char('$') + QString::number(++m_parameters);
    }

    // Whether the word before a "(" is a table's name ("INSERT INTO t (…)"), not a function's.
    bool namesTable(int i) const
    {
        static const QStringList before = {QStringLiteral("INTO"), QStringLiteral("TABLE"), QStringLiteral("ON"),
                                           QStringLiteral("REFERENCES"), QStringLiteral("EXISTS")};
        return before.contains(previousWord(i).toUpper());
    }

    bool isName(int i) const
    {
        const Token& token = m_tokens[static_cast<size_t>(i)];
        return token.kind == Kind::Quoted || (token.kind == Kind::Word && !isKeyword(token.text));
    }

    // The stored spelling of a name, quoted; a bare name nobody stored stays as written.
    QString spelled(int i) const
    {
        const Token& token = m_tokens[static_cast<size_t>(i)];
        const QStringList spellings = m_names.spellings.value(token.name.toLower());
        if (spellings.contains(token.name))
            return PgSqlTranslator::quote(token.name);
        if (!spellings.isEmpty())
            return PgSqlTranslator::quote(spellings.first());
        return token.kind == Kind::Quoted ? PgSqlTranslator::quote(token.name) : token.text;
    }

    int nextIndex(int i) const
    {
        for (int k = i + 1; k < static_cast<int>(m_tokens.size()); ++k) {
            if (m_tokens[static_cast<size_t>(k)].kind != Kind::Space)
                return k;
        }
        return -1;
    }

    QString nextText(int i) const
    {
        const int k = nextIndex(i);
        return k < 0 ? QString() : m_tokens[static_cast<size_t>(k)].text;
    }

    QString previousWord(int i) const
    {
        for (int k = i - 1; k >= 0; --k) {
            if (m_tokens[static_cast<size_t>(k)].kind != Kind::Space)
                return m_tokens[static_cast<size_t>(k)].text;
        }
        return {};
    }

    void addReturningKey(PgSqlTranslator::Result& result) const
    {
        int first = nextIndex(-1);
        if (first < 0 ||
            m_tokens[static_cast<size_t>(first)].text.compare(QLatin1String("INSERT"), Qt::CaseInsensitive))
            return;
        const int into = nextIndex(first);
        if (into < 0 || m_tokens[static_cast<size_t>(into)].text.compare(QLatin1String("INTO"), Qt::CaseInsensitive))
            return;
        const int table = nextIndex(into);
        if (table < 0 || !isName(table))
            return;
        for (const Token& token : m_tokens) {
            if (token.kind == Kind::Word && token.text.compare(QLatin1String("RETURNING"), Qt::CaseInsensitive) == 0)
                return;
        }
        const QString key = m_names.keyOf.value(m_tokens[static_cast<size_t>(table)].name.toLower());
        if (key.isEmpty())
            return;
        QString sql = result.sql.trimmed();
        while (sql.endsWith(QLatin1Char(';')))
            sql.chop(1);
        result.sql = sql + QStringLiteral(" RETURNING ") + PgSqlTranslator::quote(key);
        result.returningKey = key;
    }

    std::vector<Token> m_tokens;
    const PgSqlTranslator::Names& m_names;
    QString m_out;
    int m_parameters = 0;
    // INSERT INTO table (columns) VALUES (…): the table and columns, and where VALUES is read.
    QString m_insertTable;
    int m_insertTableIndex = -1;
    QStringList m_insertColumns;
    int m_insertColumnsOpen = 0; // 1 while the column list is read, 2 after it
    int m_valuesDepth = -1;
    qsizetype m_valuePosition = 0;
};

} // namespace

QString PgSqlTranslator::quote(const QString& name)
{
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

PgSqlTranslator::Result PgSqlTranslator::translate(const QString& sql, const Names& names, bool addReturning)
{
    return Translation(sql, names).run(addReturning);
}
