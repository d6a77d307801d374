#include "BenchOptions.h"

#include <QDir>

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
    static const QStringList names = {QStringLiteral("big"),      QStringLiteral("many"),    QStringLiteral("search"),
                                      QStringLiteral("explorer"), QStringLiteral("startup"), QStringLiteral("record")};
    return names;
}

QString BenchOptions::usage()
{
    return QStringLiteral(
        "usage: orvanta-bench [--quick] [--big-mib N] [--docs N] [--search-mib N] [--clients N]\n"
        "                     [--repeats N] [--rounds N] [--dir FOLDER] [--cases "
        "big,many,search,explorer,startup,record]\n"
        "                     [--program PATH] [--keep]\n"
        "  --quick       small sizes for a smoke run (64 MiB, 500 documents, 32 MiB, 50,000 clients)\n"
        "  --rounds      rounds of the many-documents drop and fetches (default 5)\n"
        "  --dir         where the temporary application folders are made (default: the system's temp folder)\n"
        "  --program     the orvanta executable for the start-up case (default: next to this program)\n"
        "  --keep        leave the generated data behind\n");
}

bool BenchOptions::parse(const QStringList& arguments, QString& error)
{
    folder = QDir::tempPath();
    for (qsizetype at = 1; at < arguments.size(); ++at) {
        const QString& argument = arguments.at(at);
        qint64 value = 0;
        if (argument == QLatin1String("--quick")) {
            bigMiB = 64;
            docs = 500;
            searchMiB = 32;
            clients = 50000;
            repeats = 3;
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
        } else if (argument == QLatin1String("--startup-probe") && at + 1 < arguments.size()) {
            startupProbeFolder = arguments.at(++at);
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
