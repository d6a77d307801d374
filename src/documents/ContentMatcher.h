#pragma once

#include <QByteArray>
#include <QString>

// Looks for a phrase in a document fed in pieces, without keeping the document.
//
// Without match-case, letters are compared after folding to lower case: ASCII letters,
// and the letters of UTF-8 text up to U+07FF (accented Latin, Greek, Cyrillic), so that
// "MÜLLER" finds "Müller". Every occurrence is found, also one that overlaps an earlier
// partial match, and one that spans two pieces.
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
    // Ends the document (a trailing byte held back by fold() is searched too).
    bool finish();
    bool found() const { return m_found; }

    // Whether `text` holds the phrase (one document in one piece).
    bool matches(const QByteArray& text);

    // Folds `size` bytes to lower case as described above. A UTF-8 lead byte at the end
    // of a piece is kept in `pendingLead` (0 when none) and completed by the next piece.
    static void fold(const char* data, qsizetype size, QByteArray& out, unsigned char& pendingLead);

private:
    bool feedFolded(const char* data, qsizetype size);
    bool search();

    QByteArray m_phrase; // folded unless matching case
    bool m_matchCase;
    QByteArray m_window; // end of the previous piece that a match may still start in
    QByteArray m_folded;
    unsigned char m_pendingLead = 0;
    bool m_found = false;
};
