#include "TextIndexCase.h"

#include "BenchFiles.h"
#include "BenchOptions.h"
#include "DataMaker.h"
#include "EngineChoice.h"
#include "ExternalCommand.h"
#include "FindWindow.h"
#include "Require.h"
#include "ResultTable.h"
#include "Stopwatch.h"
#include "TextCorpus.h"
#include "UiSession.h"

#include "documents/DocumentIndexer.h"
#include "documents/DocumentText.h"
#include "platform/ScriptedMessageBox.h"
#include "store/ApplicationFolder.h"
#include "store/Database.h"
#include "store/DocumentTextIndex.h"
#include "store/Statement.h"
#include "store/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cmath>
#include <optional>
#include <sys/resource.h>
#include <vector>

namespace {

const QString Seconds = QStringLiteral("seconds");
constexpr double MB = 1e6;
constexpr double MiB = 1024.0 * 1024.0;

struct Phrase
{
    const char* caption;
    QString typed;
    QStringList spellings; // as placed in the documents, in turn
    double target;         // seconds
};

// The rare phrase is in five documents, one or two of each kind; the common one in about a
// quarter of them. Neither's words are in the corpus's vocabulary, so they are found only where
// they were placed. The common one has an umlaut, stored in both cases.
const Phrase Phrases[] = {
    {"rare",
     QStringLiteral("quartz meadow tribunal"),
     {QStringLiteral("Quartz Meadow Tribunal"), QStringLiteral("QUARTZ MEADOW TRIBUNAL"),
      QStringLiteral("quartz meadow tribunal"), QStringLiteral("qUARTZ mEADOW tRIBUNAL"),
      QStringLiteral("Quartz meadow TRIBUNAL")},
     0.1},
    {"common",
     QStringLiteral("jährliche wartungspauschale"),
     {QStringLiteral("Jährliche Wartungspauschale"), QStringLiteral("JÄHRLICHE WARTUNGSPAUSCHALE"),
      QStringLiteral("jährliche Wartungspauschale")},
     1.0},
};
constexpr int PhraseCount = sizeof Phrases / sizeof Phrases[0];
constexpr int RareDocuments = 5;
constexpr TextCorpus::Kind RareKinds[RareDocuments] = {TextCorpus::Kind::Pdf, TextCorpus::Kind::Docx,
                                                       TextCorpus::Kind::Odt, TextCorpus::Kind::Text,
                                                       TextCorpus::Kind::Pdf};
constexpr double CommonShare = 0.25;
constexpr double SmallestDocument = 20 * 1024;
constexpr double LargestDocument = 1024 * 1024;
constexpr qint64 BytesPerTransaction = 256 << 20;
// Indexing: text per second, on the one thread it runs on; its index no larger than this many
// times the text.
constexpr double IndexingTargetMBps = 20;
constexpr double IndexSizeTarget = 3;

TextCorpus::Kind kindOf(const QString& name)
{
    for (int k = 0; k < TextCorpus::KindCount; ++k) {
        const auto kind = static_cast<TextCorpus::Kind>(k);
        if (name.endsWith(QLatin1Char('.') + TextCorpus::extension(kind)))
            return kind;
    }
    return TextCorpus::Kind::Text;
}

QString perKind(const char* what, int kind)
{
    return QStringLiteral("%1-%2").arg(QLatin1String(what), TextCorpus::extension(static_cast<TextCorpus::Kind>(kind)));
}

QString expectedFile(const QString& base, int phrase)
{
    return QDir(base).filePath(QStringLiteral("expected-%1.txt").arg(phrase));
}

QSet<QString> readExpected(const QString& base, int phrase, bool textOnly)
{
    QFile file(expectedFile(base, phrase));
    require(file.open(QIODevice::ReadOnly), QStringLiteral("the expected documents are missing"));
    QSet<QString> names;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString name = QString::fromUtf8(line);
        if (!name.isEmpty() && (!textOnly || kindOf(name) == TextCorpus::Kind::Text))
            names.insert(name);
    }
    return names;
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

QString megabytes(double bytes)
{
    return QStringLiteral("%1 MB").arg(bytes / MB, 0, 'f', bytes < 10 * MB ? 1 : 0);
}

QString rate(double bytes, double seconds)
{
    return QStringLiteral("%1 MB/s").arg(seconds > 0 ? bytes / MB / seconds : 0.0, 0, 'f', 1);
}

} // namespace

TextIndexCase::TextIndexCase(const BenchOptions& options, const QString& root, ResultTable& table)
    : m_options(options), m_table(table), m_base(QDir(root).filePath(QStringLiteral("text"))),
      m_app(QDir(m_base).filePath(QStringLiteral("app"))), m_files(QDir(m_base).filePath(QStringLiteral("files")))
{
}

QString TextIndexCase::scope() const
{
    return QStringLiteral("%1 documents, %2 MiB of PDF, DOCX, ODT and text")
        .arg(m_made.value(QStringLiteral("documents")))
        .arg(m_made.value(QStringLiteral("bytes")) / MiB, 0, 'f', 0);
}

void TextIndexCase::run()
{
    if (make() && measureIndexing()) {
        if (!ExternalCommand::available(QStringLiteral("rg"))) {
            m_table.addError(QStringLiteral("content search over indexed documents"),
                             QStringLiteral("ripgrep (rg), the baseline, is not installed (apt-get install ripgrep)"));
        } else {
            for (int p = 0; p < PhraseCount; ++p)
                measureSearch(p);
        }
    }
    if (!m_options.keep)
        QDir(m_base).removeRecursively();
}

bool TextIndexCase::make()
{
    std::fprintf(stderr, "text index: making %lld MiB of PDF, DOCX, ODT and text documents\n",
                 static_cast<long long>(m_options.textMiB));
    m_made = ChildProcess::run([&](const ChildProcess::Report& report) {
        QDir(m_base).removeRecursively();
        const qint64 clientId = DataMaker::createFolderWithClient(m_app);
        const QString database = BenchFiles::database(m_app);
        EngineChoice(m_options).prepareFile(database);
        QDir().mkpath(m_files);
        const double total = static_cast<double>(m_options.textMiB) * MiB;
        TextCorpus corpus(5);
        double kindBytes[TextCorpus::KindCount] = {};
        int kindCount[TextCorpus::KindCount] = {};
        std::vector<QStringList> expected(PhraseCount);
        double made = 0;
        double smallest = LargestDocument * 4;
        double largest = 0;
        int shown = 0;
        {
            // Stored as a build without the text index stored them, in large transactions.
            const Database db(database);
            Statement insert = db.prepare(QStringLiteral(
                "INSERT INTO Attachments (PersonalInformationId, AttachmentsName, AttachmentVersion, Attachments) "
                "VALUES (?, ?, 1, longbinary(?))"));
            std::optional<Transaction> transaction;
            qint64 pending = 0;
            for (int i = 0; made < total || expected[0].size() < RareDocuments; ++i) {
                // Each kind in turn, as far as its bytes so far lag behind the others'.
                int kind = 0;
                for (int k = 1; k < TextCorpus::KindCount; ++k) {
                    if (kindBytes[k] < kindBytes[kind])
                        kind = k;
                }
                QStringList phrases;
                // The rare phrase goes into the first document of its kind past each fifth of the bytes.
                const auto rare = expected[0].size();
                const bool rarePlaced = rare < RareDocuments &&
                                        made >= total * (2.0 * static_cast<double>(rare) + 1) / (2 * RareDocuments) &&
                                        static_cast<TextCorpus::Kind>(kind) == RareKinds[rare];
                if (rarePlaced)
                    phrases.append(Phrases[0].spellings.at(rare % Phrases[0].spellings.size()));
                const bool common = corpus.uniform() < CommonShare;
                if (common)
                    phrases.append(Phrases[1].spellings.at(expected[1].size() % Phrases[1].spellings.size()));
                // Sizes spread evenly on a logarithmic scale: many small documents, some large.
                const double size = SmallestDocument * std::pow(LargestDocument / SmallestDocument, corpus.uniform());
                const QByteArray bytes =
                    corpus.document(static_cast<TextCorpus::Kind>(kind), static_cast<qint64>(size), phrases);
                require(!bytes.isEmpty(), QStringLiteral("a document could not be made"));
                const QString name = QStringLiteral("doc-%1.%2")
                                         .arg(i, 6, 10, QLatin1Char('0'))
                                         .arg(TextCorpus::extension(static_cast<TextCorpus::Kind>(kind)));
                BenchFiles::write(QDir(m_files).filePath(name), bytes);
                if (!transaction)
                    transaction.emplace(db);
                insert.reset();
                insert.bind(1, clientId);
                insert.bind(2, name);
                insert.bind(3, bytes);
                insert.step();
                pending += bytes.size();
                if (pending >= BytesPerTransaction) {
                    transaction->commit();
                    transaction.reset();
                    pending = 0;
                }
                if (rarePlaced)
                    expected[0].append(name);
                if (common)
                    expected[1].append(name);
                const auto stored = static_cast<double>(bytes.size());
                made += stored;
                kindBytes[kind] += stored;
                ++kindCount[kind];
                smallest = std::min(smallest, stored);
                largest = std::max(largest, stored);
                if (made * 10 >= total * (shown + 1)) {
                    shown = static_cast<int>(made * 10 / total);
                    std::fprintf(stderr, "text index: %.0f MiB made\n", made / MiB);
                }
            }
            if (transaction)
                transaction->commit();
            // No entries: every document waits for the indexing.
            db.execute(QStringLiteral("DELETE FROM %1").arg(DocumentTextIndex::textTable(db)));
        }
        for (int p = 0; p < PhraseCount; ++p)
            BenchFiles::write(expectedFile(m_base, p),
                              expected[static_cast<size_t>(p)].join(QLatin1Char('\n')).toUtf8());
        BenchFiles::syncFileSystem(m_base);
        int documents = 0;
        for (int k = 0; k < TextCorpus::KindCount; ++k) {
            report.put(perKind("bytes", k), kindBytes[k]);
            report.put(perKind("documents", k), kindCount[k]);
            documents += kindCount[k];
        }
        report.put(QStringLiteral("documents"), documents);
        report.put(QStringLiteral("bytes"), made);
        report.put(QStringLiteral("smallest"), smallest);
        report.put(QStringLiteral("largest"), largest);
        report.put(QStringLiteral("database"), static_cast<double>(BenchFiles::size(database)));
        for (int p = 0; p < PhraseCount; ++p)
            report.put(QStringLiteral("expected%1").arg(p),
                       static_cast<double>(expected[static_cast<size_t>(p)].size()));
    });
    if (!m_made.ok) {
        m_table.addError(QStringLiteral("the documents of the text index"), m_made.error);
        return false;
    }
    QStringList kinds;
    for (int k = 0; k < TextCorpus::KindCount; ++k)
        kinds.append(QStringLiteral("%1 %2 (%3 MiB)")
                         .arg(m_made.value(perKind("documents", k)))
                         .arg(TextCorpus::caption(static_cast<TextCorpus::Kind>(k)))
                         .arg(m_made.value(perKind("bytes", k)) / MiB, 0, 'f', 0));
    m_table.addNote(QStringLiteral("Text index: %1 documents of %2 to %3 KiB: %4; \"%5\" placed in %6, \"%7\" in %8.")
                        .arg(m_made.value(QStringLiteral("documents")))
                        .arg(m_made.value(QStringLiteral("smallest")) / 1024, 0, 'f', 0)
                        .arg(m_made.value(QStringLiteral("largest")) / 1024, 0, 'f', 0)
                        .arg(kinds.join(QStringLiteral(", ")), Phrases[0].typed)
                        .arg(m_made.value(QStringLiteral("expected0")))
                        .arg(Phrases[1].typed)
                        .arg(m_made.value(QStringLiteral("expected1"))));
    return true;
}

bool TextIndexCase::measureIndexing()
{
    const QString database = BenchFiles::database(m_app);
    const QString name =
        QStringLiteral("indexing %1 stored without entries (DocumentIndexer, one thread)").arg(scope());
    // The baseline: the same documents' text extracted and folded in memory, read from the
    // files, no database.
    std::fprintf(stderr, "text index: extracting the text alone\n");
    const ChildProcess::Outcome alone = ChildProcess::run([&](const ChildProcess::Report& report) {
        double seconds[TextCorpus::KindCount] = {};
        double text[TextCorpus::KindCount] = {};
        for (const QString& file : QDir(m_files).entryList(QDir::Files, QDir::Name)) {
            QFile in(QDir(m_files).filePath(file));
            require(in.open(QIODevice::ReadOnly), QStringLiteral("cannot read %1").arg(file));
            const QByteArray bytes = in.readAll();
            const auto kind = static_cast<int>(kindOf(file));
            const Stopwatch watch;
            const std::optional<QByteArray> folded = DocumentText::folded(bytes, file);
            seconds[kind] += watch.seconds();
            require(folded.has_value(), QStringLiteral("no text was read from %1").arg(file));
            text[kind] += static_cast<double>(folded->size());
        }
        for (int k = 0; k < TextCorpus::KindCount; ++k) {
            report.put(perKind("seconds", k), seconds[k]);
            report.put(perKind("text", k), text[k]);
        }
    });
    if (!alone.ok) {
        m_table.addError(name, QStringLiteral("the baseline: ") + alone.error);
        return false;
    }

    std::fprintf(stderr, "text index: indexing\n");
    const ChildProcess::Outcome indexing = ChildProcess::run([&](const ChildProcess::Report& report) {
        EngineChoice(m_options).applyToProcess();
        BenchFiles::warm(database);
        const double cpuBefore = cpuSeconds();
        const Stopwatch watch;
        const qint64 indexed = DocumentIndexer::run(database);
        report.put(Seconds, watch.seconds());
        report.put(QStringLiteral("cpu"), cpuSeconds() - cpuBefore);
        report.put(QStringLiteral("indexed"), static_cast<double>(indexed));
    });
    if (!indexing.ok) {
        m_table.addError(name, indexing.error);
        return false;
    }

    // What the index holds, read by the engine's own page statistics.
    const ChildProcess::Outcome sizes = ChildProcess::run([&](const ChildProcess::Report& report) {
        const Database db(database);
        const QString table = DocumentTextIndex::textTable(db);
        report.put(QStringLiteral("entries"),
                   db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toDouble());
        report.put(QStringLiteral("withText"),
                   db.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE has_text = 1").arg(table)).toDouble());
        report.put(QStringLiteral("text"),
                   db.scalar(QStringLiteral("SELECT coalesce(sum(length(CAST(%1 AS BLOB))), 0) FROM %2")
                                 .arg(DocumentTextIndex::textColumn(), table))
                       .toDouble());
        // One name at a time: the statistics table then reads only that tree's pages.
        const auto pages = [&](const QString& tree) {
            return db.scalar(QStringLiteral("SELECT coalesce(sum(pgsize), 0) FROM dbstat WHERE name = ?"), {tree})
                .toDouble();
        };
        double words = 0;
        Statement trees = db.prepare(QStringLiteral(
            "SELECT name FROM sqlite_schema WHERE type = 'table' AND name LIKE 'orvanta\\_document\\_words\\_%' "
            "ESCAPE '\\'"));
        QStringList names;
        while (trees.step())
            names.append(trees.value(0).toString());
        trees.reset();
        for (const QString& tree : names)
            words += pages(tree);
        require(words > 0, QStringLiteral("the engine's page statistics (dbstat) found no index"));
        report.put(QStringLiteral("words"), words);
        report.put(QStringLiteral("textTable"), pages(table));
    });
    if (!sizes.ok) {
        m_table.addError(name, sizes.error);
        return false;
    }

    const double documents = m_made.value(QStringLiteral("documents"));
    double aloneSeconds = 0;
    double aloneText = 0;
    QStringList perKindSpeed;
    for (int k = 0; k < TextCorpus::KindCount; ++k) {
        aloneSeconds += alone.value(perKind("seconds", k));
        aloneText += alone.value(perKind("text", k));
        perKindSpeed.append(QStringLiteral("%1 %2 (%3 of text from %4 MiB)")
                                .arg(TextCorpus::caption(static_cast<TextCorpus::Kind>(k)),
                                     rate(alone.value(perKind("text", k)), alone.value(perKind("seconds", k))),
                                     megabytes(alone.value(perKind("text", k))))
                                .arg(m_made.value(perKind("bytes", k)) / MiB, 0, 'f', 0));
    }
    const double text = sizes.value(QStringLiteral("text"));
    if (indexing.value(QStringLiteral("indexed")) != documents || sizes.value(QStringLiteral("entries")) != documents ||
        sizes.value(QStringLiteral("withText")) != documents || text != aloneText) {
        m_table.addError(name, QStringLiteral("%1 documents indexed, %2 entries, %3 with text, %4 bytes of text (the "
                                              "extraction alone: %5 documents, %6 bytes)")
                                   .arg(indexing.value(QStringLiteral("indexed")))
                                   .arg(sizes.value(QStringLiteral("entries")))
                                   .arg(sizes.value(QStringLiteral("withText")))
                                   .arg(text, 0, 'f', 0)
                                   .arg(documents)
                                   .arg(aloneText, 0, 'f', 0));
        return false;
    }
    const double seconds = indexing.value(Seconds);
    const double cpu = indexing.value(QStringLiteral("cpu"));
    const double speed = text / MB / seconds;
    m_table.add({name,
                 QStringLiteral("%1: %2 of text (%3 in all; %4 documents/s, %5 stored; CPU %6)")
                     .arg(ResultTable::duration(seconds), rate(text, seconds), megabytes(text))
                     .arg(documents / seconds, 0, 'f', 0)
                     .arg(rate(m_made.value(QStringLiteral("bytes")), seconds), ResultTable::duration(cpu)),
                 QStringLiteral("text extraction alone: %1 (%2)")
                     .arg(ResultTable::duration(aloneSeconds), rate(aloneText, aloneSeconds)),
                 QStringLiteral("%1 the time").arg(ResultTable::times(seconds / aloneSeconds)),
                 QStringLiteral("≥ %1 MB/s of text per core").arg(IndexingTargetMBps, 0, 'f', 0),
                 ResultTable::atLeast(speed, IndexingTargetMBps), ResultTable::mebibytes(indexing.peakMiB)});
    const double words = sizes.value(QStringLiteral("words"));
    const double textTable = sizes.value(QStringLiteral("textTable"));
    m_table.add({QStringLiteral("the index's size: its words tables (full-text)"),
                 QStringLiteral("%1 (%2 the text)").arg(megabytes(words), ResultTable::times(words / text)),
                 QStringLiteral("the extracted text: %1").arg(megabytes(text)), ResultTable::times(words / text),
                 QStringLiteral("≤ %1× the text").arg(IndexSizeTarget, 0, 'f', 0),
                 words <= IndexSizeTarget * text ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail, QString()});
    m_table.add({QStringLiteral("the index's size: its text table; words and text together"),
                 QStringLiteral("%1; together %2").arg(megabytes(textTable), megabytes(words + textTable)),
                 QStringLiteral("the extracted text: %1; the stored documents: %2")
                     .arg(megabytes(text), megabytes(m_made.value(QStringLiteral("bytes")))),
                 QStringLiteral("%1 / %2 the text")
                     .arg(ResultTable::times(textTable / text), ResultTable::times((words + textTable) / text)),
                 QStringLiteral("—"), ResultTable::Verdict::Report, QString()});
    m_table.addNote(
        QStringLiteral("Text index: the extraction alone, per kind: %1.").arg(perKindSpeed.join(QStringLiteral(", "))));
    return true;
}

void TextIndexCase::measureSearch(int phrase)
{
    const Phrase& searched = Phrases[phrase];
    const QString name = QStringLiteral("content search \"%1\" (%2) over %3, indexed, warm")
                             .arg(searched.typed, QString::fromLatin1(searched.caption), scope());
    std::fprintf(stderr, "text index: searching \"%s\"\n", qPrintable(searched.typed));
    const ChildProcess::Outcome program = measureProgram(phrase);
    const ChildProcess::Outcome ripgrep = measureRipgrep(phrase);
    if (!program.ok || !ripgrep.ok) {
        m_table.addError(name, program.ok ? QStringLiteral("the baseline: ") + ripgrep.error : program.error);
        return;
    }
    const double seconds = program.value(Seconds);
    const double found = program.value(QStringLiteral("found"));
    m_table.add({name,
                 ResultTable::duration(seconds) + QStringLiteral(" (%1 of %2 documents found, as expected)")
                                                      .arg(found)
                                                      .arg(m_made.value(QStringLiteral("documents"))),
                 QStringLiteral("rg -c -i -F, files: %1, finds %2 of the %3 (only the plain text ones)")
                     .arg(ResultTable::duration(ripgrep.value(Seconds)))
                     .arg(ripgrep.value(QStringLiteral("found")))
                     .arg(found),
                 QStringLiteral("%1 rg's time").arg(ResultTable::times(seconds / ripgrep.value(Seconds))),
                 QStringLiteral("< %1").arg(ResultTable::duration(searched.target)),
                 seconds < searched.target ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail,
                 ResultTable::mebibytes(program.peakMiB)});
}

ChildProcess::Outcome TextIndexCase::measureProgram(int phrase) const
{
    const Phrase& searched = Phrases[phrase];
    return ChildProcess::run([&](const ChildProcess::Report& report) {
        EngineChoice(m_options).applyToProcess();
        BenchFiles::warm(BenchFiles::database(m_app));
        const UiSession session;
        ApplicationFolder::setPath(m_app);
        FindWindow find;
        find.showAndWait();
        find.prepare(searched.typed, true);
        const QSet<QString> expected = readExpected(m_base, phrase, false);
        const std::vector<double> times = find.timeSearches(m_options.repeats, expected);
        require(session.messageBox().shown().size() == m_options.repeats,
                QStringLiteral("the search said: %1").arg(session.messageBox().last().text));
        report.put(Seconds, Stopwatch::median(times));
        report.put(QStringLiteral("found"), static_cast<double>(expected.size()));
    });
}

ChildProcess::Outcome TextIndexCase::measureRipgrep(int phrase) const
{
    const Phrase& searched = Phrases[phrase];
    return ChildProcess::run([&](const ChildProcess::Report& report) {
        for (const QString& file : QDir(m_files).entryList(QDir::Files))
            BenchFiles::warm(QDir(m_files).filePath(file));
        std::vector<double> times;
        ExternalCommand::Result result;
        for (int r = 0; r < m_options.repeats; ++r) {
            const Stopwatch watch;
            result = ExternalCommand::run(
                QStringLiteral("rg"),
                {QStringLiteral("-c"), QStringLiteral("-i"), QStringLiteral("-F"), searched.typed, m_files}, true);
            times.push_back(watch.seconds());
            require(result.started && (result.exitCode == 0 || result.exitCode == 1),
                    QStringLiteral("rg failed (exit code %1)").arg(result.exitCode));
        }
        QSet<QString> found;
        for (const QByteArray& line : result.output.split('\n')) {
            const qsizetype colon = line.lastIndexOf(':');
            if (colon > 0 && line.mid(colon + 1).toLongLong() > 0)
                found.insert(QFileInfo(QString::fromUtf8(line.left(colon))).fileName());
        }
        // It reads the plain text documents only: the others' text is compressed.
        const QSet<QString> expected = readExpected(m_base, phrase, true);
        require(found == expected, QStringLiteral("rg found %1 files, %2 plain text ones hold the phrase")
                                       .arg(found.size())
                                       .arg(expected.size()));
        report.put(Seconds, Stopwatch::median(times));
        report.put(QStringLiteral("found"), static_cast<double>(found.size()));
    });
}
