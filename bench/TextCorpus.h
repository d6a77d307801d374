#pragma once

#include "DataMaker.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Office documents with realistic text, for measuring the document text index: PDF, DOCX, ODT
// and plain UTF-8 text. Their words come from a fixed vocabulary (common English office words,
// some German ones with umlauts, then a long tail of made-up words) drawn with Zipf-like
// frequencies, in sentences, lines of at most about 72 characters and paragraphs. The same seed
// gives the same documents.
class TextCorpus
{
public:
    enum class Kind
    {
        Pdf,
        Docx,
        Odt,
        Text
    };
    static constexpr int KindCount = 4;
    static QString extension(Kind kind);
    static QString caption(Kind kind);

    explicit TextCorpus(quint64 seed);

    // A document of `kind` of about `bytes` bytes as stored (the compressed formats hold more
    // text than that). Each of `phrases` is placed once, whole, inside one line.
    QByteArray document(Kind kind, qint64 bytes, const QStringList& phrases);

    // A whole number in [low, high] from the corpus's own sequence.
    qint64 between(qint64 low, qint64 high) { return m_random.between(low, high); }
    // A number in [0, 1).
    double uniform();

private:
    using Lines = QStringList;
    // Paragraphs of lines holding about `characters` characters of text.
    std::vector<Lines> paragraphs(qint64 characters, const QStringList& phrases);
    const QString& word();

    DataMaker m_random;
    std::vector<QString> m_words;
    std::vector<double> m_cumulative; // the words' cumulative probabilities
    // Per kind, the characters of text a stored byte held in the documents made so far, so that
    // the next one comes close to the size asked for.
    double m_textPerByte[KindCount] = {3.0, 2.5, 2.5, 1.0};
};
