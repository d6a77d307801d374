#include "DataMaker.h"

#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/DatabaseSchema.h"
#include "store/Statement.h"
#include "store/Transaction.h"

#include <QDir>

namespace {

const char* const Words[] = {
    "account",  "agreement", "amount",   "annual",    "balance", "budget",  "client", "contract", "copy",
    "date",     "delivery",  "document", "estimate",  "figure",  "file",    "folder", "form",     "invoice",
    "letter",   "meeting",   "memo",     "minutes",   "note",    "office",  "order",  "page",     "payment",
    "plan",     "policy",    "price",    "project",   "quote",   "receipt", "record", "report",   "review",
    "schedule", "service",   "signed",   "statement", "summary", "tax",     "terms",  "the",      "and",
    "of",       "to",        "for",      "with",      "on",      "by",      "from",   "as",       "per",
    "Monday",   "Tuesday",   "March",    "April",     "Street",  "Avenue",  "Mr",     "Mrs",      "Dr",
};
constexpr int WordCount = sizeof Words / sizeof Words[0];

// How often a family name begins with each letter, in tenths of a percent, roughly as in
// an English-speaking office's files.
constexpr int InitialWeights[26] = {35, 90, 75, 45, 18, 35, 52, 75, 4,  28, 40, 49, 90,
                                    18, 14, 50, 2,  56, 98, 36, 2,  16, 60, 1,  6,  6};

const char* const Syllables[] = {"an",  "ber", "cor", "dal", "en", "fer", "gan", "har", "in",   "jon",
                                 "kel", "lin", "mor", "ner", "o",  "per", "qui", "ros", "son",  "ter",
                                 "u",   "vin", "wal", "xe",  "y",  "zen", "ley", "ton", "ward", "ski"};
constexpr int SyllableCount = sizeof Syllables / sizeof Syllables[0];

} // namespace

DataMaker::DataMaker(quint64 seed) : m_state(seed * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL) {}

quint64 DataMaker::next()
{
    // splitmix64
    quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

qint64 DataMaker::between(qint64 low, qint64 high)
{
    return low + static_cast<qint64>(next() % static_cast<quint64>(high - low + 1));
}

QByteArray DataMaker::word()
{
    return QByteArray(Words[next() % WordCount]);
}

QByteArray DataMaker::text(qsizetype bytes, const QByteArray& phrase)
{
    QByteArray out;
    out.reserve(bytes + 80);
    qsizetype line = 0;
    while (out.size() < bytes) {
        const QByteArray next = word();
        out += next;
        line += next.size() + 1;
        if (line > 72) {
            out += '\n';
            line = 0;
        } else {
            out += ' ';
        }
    }
    out.truncate(bytes);
    if (!phrase.isEmpty() && bytes >= phrase.size()) {
        const qsizetype at = between(0, bytes - phrase.size());
        out.replace(at, phrase.size(), phrase);
    }
    return out;
}

char DataMaker::initial()
{
    int total = 0;
    for (int weight : InitialWeights)
        total += weight;
    int pick = static_cast<int>(next() % static_cast<quint64>(total));
    for (int i = 0; i < 26; ++i) {
        if (pick < InitialWeights[i])
            return static_cast<char>('A' + i);
        pick -= InitialWeights[i];
    }
    return 'Z';
}

QByteArray DataMaker::name(char first)
{
    QByteArray out(1, first);
    const int parts = static_cast<int>(between(1, 3));
    for (int i = 0; i < parts; ++i)
        out += Syllables[next() % SyllableCount];
    return out;
}

std::array<qint64, 26> DataMaker::addClients(const Database& db, qint64 count)
{
    std::array<qint64, 26> active{};
    Transaction transaction(db);
    Statement insert = db.prepare(QStringLiteral(
        "INSERT INTO \"Personal Information\" (\"First Name\", \"Middle Name\", \"Last Name\", Company, "
        "\"Address One\", City, \"Home Phone Number\", \"Work Phone Number\", \"Cell Phone Number\", Active) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const auto phone = [this] { return QString::number(between(2000000, 9999999)).insert(3, QLatin1Char('-')); };
    for (qint64 i = 0; i < count; ++i) {
        const char last = initial();
        const bool isActive = next() % 20 != 0;
        insert.reset();
        insert.bind(1, QString::fromLatin1(name(initial())));
        insert.bind(2, next() % 3 == 0 ? QVariant(QString(QLatin1Char(static_cast<char>('A' + next() % 26))))
                                       : QVariant());
        insert.bind(3, QString::fromLatin1(name(last)));
        insert.bind(4, QString::fromLatin1(name(initial()) + " Ltd"));
        insert.bind(5, QString::number(between(1, 999)) + QLatin1Char(' ') +
                           QString::fromLatin1(name(initial()) + " Street"));
        insert.bind(6, QString::fromLatin1(name(initial())));
        insert.bind(7, phone());
        insert.bind(8, phone());
        insert.bind(9, phone());
        insert.bind(10, isActive ? 1 : 0);
        insert.step();
        if (isActive)
            ++active[static_cast<size_t>(last - 'A')];
    }
    transaction.commit();
    return active;
}

qint64 DataMaker::createFolderWithClient(const QString& folder)
{
    QDir().mkpath(folder);
    ApplicationFolder::setPath(folder);
    DatabaseSchema::ensure(CLsDataBaseConnection::databasePath());
    CLsDataBaseConnection connection;
    connection.Execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"First Name\", \"Last Name\", Company) "
                                      "VALUES ('Office', 'Archive', 'Benchmark Ltd')"));
    return connection.database().lastInsertRowId();
}
