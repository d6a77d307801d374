#include "TextCorpus.h"

#include "SampleOfficeFiles.h"
#include "SamplePdf.h"

#include <algorithm>
#include <cmath>

namespace {

// The most frequent words first, as in an office's letters, reports and minutes; German ones
// (some with umlauts) among them, as in a firm that writes to partners in both languages.
const char* const CommonWords[] = {
    "the",         "of",         "and",       "to",        "a",          "in",         "for",
    "is",          "on",         "that",      "by",        "this",       "with",       "you",
    "it",          "not",        "or",        "be",        "are",        "from",       "at",
    "as",          "your",       "all",       "have",      "new",        "more",       "an",
    "was",         "we",         "will",      "can",       "und",        "der",        "die",
    "us",          "about",      "if",        "our",       "has",        "may",        "one",
    "other",       "which",      "their",     "time",      "they",       "client",     "would",
    "been",        "any",        "there",     "only",      "its",        "also",       "after",
    "first",       "date",       "should",    "these",     "report",     "invoice",    "für",
    "das",         "contract",   "payment",   "service",   "account",    "office",     "please",
    "year",        "number",     "order",     "made",      "amount",     "between",    "under",
    "total",       "meeting",    "project",   "mit",       "von",        "über",       "letter",
    "document",    "agreement",  "balance",   "budget",    "copy",       "delivery",   "estimate",
    "figure",      "file",       "folder",    "form",      "note",       "memo",       "minutes",
    "page",        "plan",       "policy",    "price",     "quote",      "receipt",    "record",
    "review",      "schedule",   "signed",    "statement", "summary",    "tax",        "terms",
    "Müller",      "Vertrag",    "Rechnung",  "Betrag",    "Zahlung",    "gemäß",      "Straße",
    "Größe",       "Monday",     "Tuesday",   "Wednesday", "Thursday",   "Friday",     "January",
    "February",    "March",      "April",     "May",       "June",       "July",       "August",
    "September",   "October",    "November",  "December",  "Street",     "Avenue",     "Road",
    "Mr",          "Mrs",        "Ms",        "Dr",        "Übersicht",  "Änderung",   "Kündigung",
    "Gebühr",      "Bürgschaft", "Mängel",    "zurück",    "Grüße",      "customer",   "supplier",
    "manager",     "director",   "board",     "company",   "department", "staff",      "employee",
    "salary",      "pension",    "insurance", "claim",     "premium",    "deposit",    "loan",
    "interest",    "rate",       "credit",    "debit",     "bank",       "transfer",   "cheque",
    "cash",        "expenses",   "travel",    "hotel",     "meal",       "receipts",   "approval",
    "approved",    "rejected",   "pending",   "overdue",   "reminder",   "notice",     "deadline",
    "extension",   "request",    "response",  "attached",  "enclosed",   "regards",    "sincerely",
    "dear",        "thank",      "thanks",    "kindly",    "confirm",    "confirmed",  "received",
    "sent",        "shipped",    "returned",  "cancelled", "renewed",    "quarter",    "annual",
    "monthly",     "weekly",     "daily",     "previous",  "next",       "current",    "Öffnungszeiten",
    "Frühjahr",    "Bürozeiten", "schön",     "Prüfer",    "Gespräch",   "Unterlagen", "Anlage",
    "section",     "clause",     "paragraph", "appendix",  "annex",      "exhibit",    "article",
    "chapter",     "property",   "lease",     "tenant",    "landlord",   "rent",       "repair",
    "maintenance", "inspection", "audit",     "auditor",   "accounts",   "ledger",     "journal",
    "entry",       "entries",    "closing",   "opening",   "stock",      "inventory",  "goods",
    "items",       "quantity",   "unit",      "units",     "discount",   "refund",     "charge",
    "charges",     "fee",        "fees",      "cost",      "costs",
};
constexpr int CommonCount = sizeof CommonWords / sizeof CommonWords[0];

const char* const Syllables[] = {"an",  "ber", "cor", "dal", "en", "fer", "gan", "har", "in",   "jon",
                                 "kel", "lin", "mor", "ner", "o",  "per", "qui", "ros", "son",  "ter",
                                 "u",   "vin", "wal", "xe",  "y",  "zen", "ley", "ton", "ward", "ski",
                                 "ma",  "ri",  "sa",  "to",  "el", "ka",  "mi",  "nu",  "pa",   "lo"};
constexpr int SyllableCount = sizeof Syllables / sizeof Syllables[0];
// Made-up words after the common ones: the long tail of names, places and terms every
// collection of documents has.
constexpr int TailCount = 12000;
constexpr qsizetype LineLength = 72;
constexpr int LinesPerPage = 50;

} // namespace

QString TextCorpus::extension(Kind kind)
{
    switch (kind) {
    case Kind::Pdf:
        return QStringLiteral("pdf");
    case Kind::Docx:
        return QStringLiteral("docx");
    case Kind::Odt:
        return QStringLiteral("odt");
    case Kind::Text:
        break;
    }
    return QStringLiteral("txt");
}

QString TextCorpus::caption(Kind kind)
{
    switch (kind) {
    case Kind::Pdf:
        return QStringLiteral("PDF");
    case Kind::Docx:
        return QStringLiteral("DOCX");
    case Kind::Odt:
        return QStringLiteral("ODT");
    case Kind::Text:
        break;
    }
    return QStringLiteral("text");
}

TextCorpus::TextCorpus(quint64 seed) : m_random(seed)
{
    m_words.reserve(CommonCount + TailCount);
    for (const char* word : CommonWords)
        m_words.push_back(QString::fromUtf8(word));
    // The tail is the same whatever the seed.
    DataMaker tail(17);
    for (int i = 0; i < TailCount; ++i) {
        QString made;
        const qint64 parts = tail.between(2, 4);
        for (qint64 p = 0; p < parts; ++p)
            made += QLatin1String(Syllables[tail.next() % SyllableCount]);
        if (tail.next() % 5 == 0)
            made[0] = made[0].toUpper();
        m_words.push_back(made);
    }
    // Zipf-Mandelbrot: the word of rank r is drawn with a weight of 1 / (r + 2.7).
    m_cumulative.reserve(m_words.size());
    double sum = 0;
    for (size_t r = 0; r < m_words.size(); ++r) {
        sum += 1.0 / (static_cast<double>(r) + 2.7);
        m_cumulative.push_back(sum);
    }
    for (double& c : m_cumulative)
        c /= sum;
}

double TextCorpus::uniform()
{
    return static_cast<double>(m_random.next() >> 11) / 9007199254740992.0; // 2^53
}

const QString& TextCorpus::word()
{
    const auto at = std::upper_bound(m_cumulative.begin(), m_cumulative.end(), uniform());
    return m_words[static_cast<size_t>(
        std::min<std::ptrdiff_t>(at - m_cumulative.begin(), static_cast<std::ptrdiff_t>(m_words.size()) - 1))];
}

std::vector<TextCorpus::Lines> TextCorpus::paragraphs(qint64 characters, const QStringList& phrases)
{
    // Where each phrase goes: before the text reaches this many characters.
    std::vector<qint64> placeAt;
    for (qsizetype i = 0; i < phrases.size(); ++i)
        placeAt.push_back(between(0, std::max<qint64>(0, characters * 9 / 10)));
    std::vector<bool> placed(placeAt.size(), false);

    std::vector<Lines> out;
    qint64 made = 0;
    Lines lines;
    QString line;
    const auto add = [&](const QString& token) {
        if (!line.isEmpty() && line.size() + 1 + token.size() > LineLength) {
            made += line.size() + 1;
            lines.append(line);
            line.clear();
        }
        if (!line.isEmpty())
            line += QLatin1Char(' ');
        line += token;
    };
    while (made < characters) {
        const qint64 sentences = between(2, 7);
        for (qint64 s = 0; s < sentences; ++s) {
            const qint64 words = between(5, 18);
            for (qint64 w = 0; w < words; ++w) {
                for (size_t p = 0; p < placeAt.size(); ++p) {
                    if (!placed[p] && made >= placeAt[p]) {
                        add(phrases[static_cast<qsizetype>(p)]);
                        placed[p] = true;
                    }
                }
                QString token = word();
                if (w == 0)
                    token[0] = token[0].toUpper();
                if (w + 1 == words)
                    token += QLatin1Char('.');
                else if (m_random.next() % 9 == 0)
                    token += QLatin1Char(',');
                add(token);
            }
        }
        if (!line.isEmpty()) {
            made += line.size() + 1;
            lines.append(line);
            line.clear();
        }
        made += 1; // the paragraph's end
        out.push_back(std::move(lines));
        lines = {};
    }
    for (size_t p = 0; p < placeAt.size(); ++p) {
        if (!placed[p])
            out.push_back({phrases[static_cast<qsizetype>(p)]});
    }
    return out;
}

QByteArray TextCorpus::document(Kind kind, qint64 bytes, const QStringList& phrases)
{
    const int k = static_cast<int>(kind);
    const auto characters = static_cast<qint64>(static_cast<double>(bytes) * m_textPerByte[k]);
    const std::vector<Lines> text = paragraphs(characters, phrases);
    qint64 made = 0;
    for (const Lines& paragraph : text) {
        for (const QString& line : paragraph)
            made += line.size() + 1;
    }
    QByteArray out;
    switch (kind) {
    case Kind::Pdf: {
        QList<QStringList> pages;
        QStringList page;
        for (const Lines& paragraph : text) {
            for (const QString& line : paragraph) {
                page.append(line);
                if (page.size() == LinesPerPage) {
                    pages.append(page);
                    page.clear();
                }
            }
        }
        if (!page.isEmpty())
            pages.append(page);
        out = SamplePdf::document(pages);
        break;
    }
    case Kind::Docx:
    case Kind::Odt: {
        QList<SampleOfficeFiles::Paragraph> paragraphs;
        for (const Lines& paragraph : text)
            paragraphs.append(SampleOfficeFiles::Paragraph{paragraph.join(QLatin1Char('\n'))});
        out = kind == Kind::Docx ? SampleOfficeFiles::docx(paragraphs) : SampleOfficeFiles::odt(paragraphs);
        break;
    }
    case Kind::Text: {
        QString all;
        all.reserve(static_cast<qsizetype>(made + static_cast<qint64>(text.size())));
        for (const Lines& paragraph : text) {
            all += paragraph.join(QLatin1Char('\n'));
            all += QStringLiteral("\n\n");
        }
        out = all.toUtf8();
        break;
    }
    }
    if (!out.isEmpty())
        m_textPerByte[k] = 0.7 * m_textPerByte[k] + 0.3 * static_cast<double>(made) / static_cast<double>(out.size());
    return out;
}
