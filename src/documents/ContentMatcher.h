#pragma once

#include <QByteArray>
#include <QString>

// Looks for a phrase in a document fed in pieces, without keeping the document.
//
// Without match-case, letters are compared after folding to lower case: ASCII letters,
// and the letters of UTF-8 text up to U+07FF (accented Latin, Greek, Cyrillic), so that
// "MÜLLER" finds "Müller". Every occurrence is found, also one that overlaps an earlier
// partial match, and one that spans two pieces.
//
// The text itself is never folded: the scan looks for the two rarest bytes of the phrase
// (each in the forms the text may hold it in) at their distance, many positions at a
// time, and compares the phrase with the folded text only where both are present.
class ContentMatcher
{
public:
    ContentMatcher(const QString& phrase, bool matchCase);

    // The phrase as searched: blanks around it removed, and a pair of double quotes around
    // it dropped when something is left between them.
    static QString preparePhrase(const QString& phrase);

    // Starts a new document.
    void reset();
    // Feeds the next piece of the document; true once the phrase has been seen.
    bool feed(const char* data, qsizetype size);
    // Ends the document.
    bool finish();
    bool found() const { return m_found; }

    // Whether `text` holds the phrase (one document in one piece).
    bool matches(const QByteArray& text);

    // Offset of the first occurrence of the phrase in `size` bytes, or -1. Only occurrences
    // that lie wholly inside the bytes count.
    qsizetype indexIn(const char* data, qsizetype size) const;

    // The phrase as compared with the folded text, in UTF-8.
    const QByteArray& phrase() const { return m_phrase; }

    // Folds `size` bytes to lower case as described above. A UTF-8 lead byte at the end
    // of a piece is kept in `pendingLead` (0 when none) and completed by the next piece.
    // The folded text has the length of the original.
    static void fold(const char* data, qsizetype size, QByteArray& out, unsigned char& pendingLead);

private:
    // A phrase position to look for, with the (at most two) bytes the text may hold there.
    struct Probe
    {
        qsizetype offset = 0;
        unsigned char first = 0;
        unsigned char second = 0;
    };

    void planScan();
    bool equalsAt(const unsigned char* text) const;
    qsizetype scan(const unsigned char* text, qsizetype starts) const;
    qsizetype scanPlain(const unsigned char* text, qsizetype from, qsizetype starts) const;

    QByteArray m_phrase; // folded unless matching case
    bool m_matchCase;
    Probe m_rare;          // the rarest probe
    Probe m_other;         // the next rarest, at another offset when the phrase allows it
    bool m_probed = false; // false when no position narrows the scan (every start is compared)
    QByteArray m_window;   // end of the fed text that a match may still start in
    QByteArray m_joined;   // m_window followed by the start of the next piece
    bool m_found = false;
};
