#include "BenchOptions.h"

#include <QDir>
#include <algorithm>
#include <cmath>

namespace {

bool number(const QStringList& arguments, qsizetype& at, qint64& value, QString& error)
{
    if (at + 1 >= arguments.size()) {
        error = QStringLiteral("%1 needs a number").arg(arguments.at(at));
        return false;
    }
    bool ok = false;
    value = arguments.at(++at).toLongLong(&ok);
    if (!ok || value <= 0) {
        error = QStringLiteral("%1 needs a positive number, not \"%2\"").arg(arguments.at(at - 1), arguments.at(at));
        return false;
    }
    return true;
}

} // namespace

const QStringList& BenchOptions::caseNames()
{
    static const QStringList names = {QStringLiteral("big"),    QStringLiteral("many"),     QStringLiteral("compact"),
                                      QStringLiteral("search"), QStringLiteral("explorer"), QStringLiteral("record"),
                                      QStringLiteral("login"),  QStringLiteral("startup"),  QStringLiteral("text"),
                                      QStringLiteral("import")};
    return names;
}

QString BenchOptions::usage()
{
    return QStringLiteral(
        "usage: orvanta-bench [--scale F | --quick] [--big-mib N] [--docs N] [--search-mib N] [--clients N]\n"
        "                     [--text-mib N] [--import-clients N]\n"
        "                     [--repeats N] [--rounds N] [--page-kib 4|16|32|64] [--mmap-mib N]\n"
        "                     [--dir FOLDER]\n"
        "                     [--cases big,many,compact,search,explorer,record,login,startup,text,import]\n"
        "                     [--program PATH] [--keep] [--postgresql]\n"
        "  --scale F     every size times F (0.01 gives a 9 MiB document, 100 documents, 5 MiB of text,\n"
        "                10,000 clients, 20 MiB of documents to index); sizes given after it are taken as given\n"
        "  --big-mib     the large document, and the documents of the compaction case in all (default 900)\n"
        "  --text-mib    PDF, DOCX, ODT and text documents stored unindexed, then indexed and searched\n"
        "                (default 2048)\n"
        "  --import-clients  clients in the CSV file the import case reads and stores (default 100000)\n"
        "  --quick       the same as --scale 0.05 --repeats 3\n"
        "  --rounds      alternating samples of the document measurements (default 3)\n"
        "  --page-kib    page size of every database made (default: as the program makes it)\n"
        "  --mmap-mib    the program's connections read the file through memory maps up to this size\n"
        "  --dir         where the temporary application folders are made (default: the system's temp folder)\n"
        "  --program     the orvanta executable for the start-up case (default: next to this program)\n"
        "  --keep        leave the generated data behind\n"
        "  --postgresql  the cases big, many, search, explorer and record also run on a PostgreSQL server\n"
        "                the run starts for itself (Unix socket, a new cluster's settings), each\n"
        "                compared with the same case on SQLite and with psql doing the same work\n");
}

void BenchOptions::scale(double factor)
{
    const auto scaled = [factor](qint64 value, qint64 least) {
        return std::max<qint64>(least, static_cast<qint64>(std::llround(static_cast<double>(value) * factor)));
    };
    bigMiB = scaled(900, 1);
    docs = static_cast<int>(scaled(10000, 20));
    searchMiB = scaled(500, 2);
    clients = scaled(1000000, 2000);
    textMiB = scaled(2048, 8);
    importClients = scaled(100000, 1000);
}

bool BenchOptions::parse(const QStringList& arguments, QString& error)
{
    folder = QDir::tempPath();
    for (qsizetype at = 1; at < arguments.size(); ++at) {
        const QString& argument = arguments.at(at);
        qint64 value = 0;
        if (argument == QLatin1String("--quick")) {
            scale(0.05);
            repeats = 3;
        } else if (argument == QLatin1String("--scale") && at + 1 < arguments.size()) {
            bool ok = false;
            const double factor = arguments.at(++at).toDouble(&ok);
            if (!ok || factor <= 0 || factor > 10) {
                error = QStringLiteral("--scale needs a factor above 0, at most 10");
                return false;
            }
            scale(factor);
        } else if (argument == QLatin1String("--big-mib")) {
            if (!number(arguments, at, bigMiB, error))
                return false;
        } else if (argument == QLatin1String("--docs")) {
            if (!number(arguments, at, value, error))
                return false;
            docs = static_cast<int>(value);
        } else if (argument == QLatin1String("--search-mib")) {
            if (!number(arguments, at, searchMiB, error))
                return false;
        } else if (argument == QLatin1String("--text-mib")) {
            if (!number(arguments, at, textMiB, error))
                return false;
        } else if (argument == QLatin1String("--import-clients")) {
            if (!number(arguments, at, importClients, error))
                return false;
        } else if (argument == QLatin1String("--clients")) {
            if (!number(arguments, at, clients, error))
                return false;
        } else if (argument == QLatin1String("--repeats")) {
            if (!number(arguments, at, value, error))
                return false;
            repeats = static_cast<int>(value);
        } else if (argument == QLatin1String("--rounds")) {
            if (!number(arguments, at, value, error))
                return false;
            rounds = static_cast<int>(value);
        } else if (argument == QLatin1String("--page-kib")) {
            if (!number(arguments, at, value, error))
                return false;
            if (value != 1 && value != 2 && value != 4 && value != 8 && value != 16 && value != 32 && value != 64) {
                error = QStringLiteral("--page-kib takes 1, 2, 4, 8, 16, 32 or 64");
                return false;
            }
            pageKiB = static_cast<int>(value);
        } else if (argument == QLatin1String("--mmap-mib")) {
            if (!number(arguments, at, mmapMiB, error))
                return false;
        } else if (argument == QLatin1String("--dir") && at + 1 < arguments.size()) {
            folder = arguments.at(++at);
        } else if (argument == QLatin1String("--program") && at + 1 < arguments.size()) {
            programPath = arguments.at(++at);
        } else if (argument == QLatin1String("--cases") && at + 1 < arguments.size()) {
            cases = arguments.at(++at).split(QLatin1Char(','), Qt::SkipEmptyParts);
            for (const QString& name : cases) {
                if (!caseNames().contains(name)) {
                    error = QStringLiteral("unknown case \"%1\"").arg(name);
                    return false;
                }
            }
        } else if (argument == QLatin1String("--keep")) {
            keep = true;
        } else if (argument == QLatin1String("--postgresql")) {
            postgresql = true;
        } else if (argument == QLatin1String("--startup-probe") && at + 1 < arguments.size()) {
            startupProbeFolder = arguments.at(++at);
        } else if (argument == QLatin1String("--startup-probe-bare") && at + 1 < arguments.size()) {
            startupProbeFolder = arguments.at(++at);
            startupProbeBare = true;
        } else {
            error = QStringLiteral("unknown argument \"%1\"").arg(argument);
            return false;
        }
    }
    return true;
}

bool BenchOptions::runs(const QString& name) const
{
    return cases.isEmpty() || cases.contains(name);
}
