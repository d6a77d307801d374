#pragma once

#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

class Database;
class Statement;
class QIODevice;

// The result of one SELECT, read row by row.
//
// Rows are fetched as the caller moves, so opening a table only to append a row
// reads none of its rows. Long-binary columns (declared BLOB) are never read with
// the row: the caller streams them with readLongBinary() when it wants them.
//
// A recordset whose columns come from one table and include that table's integer
// key can also write: addNew() + setField() + update() inserts a row, setField()
// + update() on a current row changes it, deleteCurrent() removes it.
class Recordset
{
public:
    // A streamed value up to this size is read whole and inserted with its row: one statement
    // instead of a zero-filled row written again piece by piece.
    static constexpr qint64 InlineValueLimit = 1 << 20;

    Recordset(std::shared_ptr<Database> db, const QString& sql, const QVariantList& params = {});
    ~Recordset();

    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;

    bool eof();
    void moveNext();
    // Number of rows of the whole result, counted by the database.
    int recordCount();

    QStringList fieldNames() const;
    bool hasField(const QString& name) const;
    // Value of a field of the current row (or of the row being added), by name
    // compared without regard to case. Throws StoreError for an unknown name or at EOF.
    QVariant field(const QString& name);
    QString text(const QString& name); // the field as text; NULL gives ""
    QVariant field(int index);

    // Starts a new row; fields set before update() are inserted, the rest take their defaults.
    void addNew();
    void setField(const QString& name, const QVariant& value);
    // Writes the new or changed row. After an insert the recordset's new row holds the
    // key the database assigned (see newKey()).
    void update();
    void cancelUpdate();
    // Streams `size` bytes from `source` into a long-binary column of the row being added,
    // in pieces, when update() writes the row.
    void setLongBinary(const QString& name, QIODevice& source, qint64 size);
    void deleteCurrent();
    qint64 newKey() const { return m_newKey; }

    // Long-binary columns of the current row, streamed in pieces.
    qint64 longBinaryLength(const QString& name);
    void readLongBinary(const QString& name, QIODevice& out);

    void close();
    const Database& database() const { return *m_db; }
    bool isOpen() const { return m_stmt != nullptr; }

private:
    struct Column
    {
        QString name;   // as the result names it
        QString table;  // the table it comes from ("" for an expression)
        QString origin; // its name in that table
        bool longBinary = false;
        int statementIndex = -1; // position in the fetching statement; -1 when not fetched
    };
    struct PendingStream
    {
        int column;
        QIODevice* source;
        qint64 size;
    };

    void start();
    void advance();
    int findColumn(const QString& name) const;
    int columnIndex(const QString& name) const;
    qint64 currentKey();
    void requireWritable() const;
    void requireRow();

    std::shared_ptr<Database> m_db;
    std::unique_ptr<Statement> m_stmt;
    QString m_sql;
    QVariantList m_params;
    std::vector<Column> m_allColumns;
    QString m_table;     // the one table all columns come from, if any
    QString m_keyColumn; // its integer key
    int m_keyIndex = -1; // position of the key among the columns
    bool m_started = false;
    bool m_eof = true;
    bool m_deleted = false;
    QVariantList m_row;
    bool m_adding = false;
    std::vector<std::pair<QString, QVariant>> m_pending;
    std::vector<PendingStream> m_pendingStreams;
    qint64 m_newKey = 0;
};
