#include "app/CopyDatabaseCommand.h"

#include "store/StoreError.h"

#include <QDir>
#include <QLocale>
#include <QTextStream>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

const QString Option = QStringLiteral("--copy-database");

// Numbers grouped by thousands the same way whatever the system's language.
const QLocale& english()
{
    static const QLocale locale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

// "1 row", "12,345 rows".
QString counted(qint64 count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(english().toString(count), QLatin1String(count == 1 ? one : many));
}

QString shown(const QString& location)
{
    if (DatabaseCopy::isServerLocation(location))
        return QUrl(location).toDisplayString(QUrl::RemovePassword);
    return QDir::toNativeSeparators(location);
}

// Sizes in decimal units, as disks are sold: the larger of two sizes shown together picks the unit.
struct Unit
{
    qint64 bytes;
    const char* name;
};

Unit unitFor(qint64 bytes)
{
    static constexpr Unit Units[] = {{1000000000, "GB"}, {1000000, "MB"}, {1000, "KB"}};
    for (const Unit& unit : Units) {
        if (bytes >= unit.bytes)
            return unit;
    }
    return {1, "bytes"};
}

QString inUnit(qint64 bytes, const Unit& unit)
{
    return english().toString(static_cast<double>(bytes) / static_cast<double>(unit.bytes), 'f', 1);
}

// Writes a line per step of the copy as it happens.
class ProgressLines : public DatabaseCopy::Progress
{
public:
    explicit ProgressLines(QTextStream& err) : m_err(err) {}

    void tableStarted(const DatabaseCopy::TableProgress& table) override
    {
        m_err << CopyDatabaseCommand::progressLine(table) << Qt::endl;
    }
    void documentsCopied(const DatabaseCopy::TableProgress& table) override
    {
        m_err << CopyDatabaseCommand::progressLine(table) << Qt::endl;
    }
    void verifying() override { m_err << "Checking the copy against the source..." << Qt::endl; }

private:
    QTextStream& m_err;
};

} // namespace

bool CopyDatabaseCommand::isRequested(int argc, char** argv)
{
    const QByteArray option = Option.toLatin1();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], option.constData()) == 0)
            return true;
    }
    return false;
}

int CopyDatabaseCommand::run(const QStringList& arguments)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    return run(arguments, out, err);
}

int CopyDatabaseCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const qsizetype at = arguments.indexOf(Option);
    if (at < 0 || at + 2 >= arguments.size() || arguments.at(at + 1).isEmpty() || arguments.at(at + 2).isEmpty()) {
        err << "Usage: orvanta --copy-database FROM TO" << Qt::endl
            << "Copies a whole Orvanta database to TO, a new file or an empty database. FROM and TO are database "
               "files or PostgreSQL connection URIs (postgresql://...)."
            << Qt::endl;
        return WrongArguments;
    }
    const QString from = arguments.at(at + 1);
    const QString to = arguments.at(at + 2);
    ProgressLines progress(err);
    DatabaseCopy copy(from, to);
    copy.setProgress(&progress);
    QString failure;
    try {
        const DatabaseCopy::Summary summary = copy.run();
        out << summaryLine(summary, from, to) << Qt::endl;
        return Succeeded;
    } catch (const StoreError& error) {
        failure = error.message();
    } catch (const std::exception& error) {
        failure = QString::fromLocal8Bit(error.what());
    }
    err << QStringLiteral("Orvanta could not copy the database %1 to %2: %3").arg(shown(from), shown(to), failure)
        << Qt::endl;
    return Failed;
}

QString CopyDatabaseCommand::progressLine(const DatabaseCopy::TableProgress& table)
{
    if (!table.hasDocuments)
        return QStringLiteral("%1: %2").arg(table.table, counted(table.rows, "row", "rows"));
    return QStringLiteral("%1: %2 of %3 rows, %4")
        .arg(table.table, english().toString(table.rowsDone), english().toString(table.rows),
             sizes(table.bytesDone, table.bytes));
}

QString CopyDatabaseCommand::summaryLine(const DatabaseCopy::Summary& summary, const QString& from, const QString& to)
{
    return QStringLiteral("Copied %1, %2 and %3 (%4) from %5 to %6.")
        .arg(counted(summary.tables, "table", "tables"), counted(summary.rows, "row", "rows"),
             counted(summary.documents, "document", "documents"), size(summary.bytes), shown(from), shown(to));
}

QString CopyDatabaseCommand::sizes(qint64 done, qint64 total)
{
    const Unit unit = unitFor(std::max(done, total));
    if (unit.bytes == 1)
        return QStringLiteral("%1 of %2 bytes").arg(english().toString(done), english().toString(total));
    return QStringLiteral("%1 of %2 %3").arg(inUnit(done, unit), inUnit(total, unit), QLatin1String(unit.name));
}

QString CopyDatabaseCommand::size(qint64 bytes)
{
    const Unit unit = unitFor(bytes);
    if (unit.bytes == 1)
        return QStringLiteral("%1 %2").arg(english().toString(bytes),
                                           bytes == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"));
    return QStringLiteral("%1 %2").arg(inUnit(bytes, unit), QLatin1String(unit.name));
}
