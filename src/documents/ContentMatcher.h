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
// Older text files hold Western European text in Windows-1252, one byte a letter. A phrase
// that is not pure ASCII, and whose every character has a byte there, is also looked for
// in that form, on the same terms: without match-case, ASCII letters and the Windows-1252
// letters that have a partner of the other case there are folded; with it, the bytes must
// be exactly those of the phrase. An ASCII phrase reads the same in both, and is looked for
// once. That form does not count where it begins inside a UTF-8 character of the text (as
// "°" would in "а", D0 B0), so that UTF-8 documents are not found by the pieces of their
// letters.
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

    // Offset of the first occurrence of the phrase, in either form, in `size` bytes, or -1.
    // Only occurrences that lie wholly inside the bytes count.
    qsizetype indexIn(const char* data, qsizetype size) const;

    // The phrase as compared with the folded text, in UTF-8. Its Windows-1252 form has a
    // byte for each character, so it is never longer: pieces of a document that overlap by
    // phrase().size() - 1 bytes share every occurrence of either form.
    const QByteArray& phrase() const { return m_utf8.bytes; }

    // Folds `size` bytes to lower case as described above. A UTF-8 lead byte at the end
    // of a piece is kept in `pendingLead` (0 when none) and completed by the next piece.
    // The folded text has the length of the original.
    static void fold(const char* data, qsizetype size, QByteArray& out, unsigned char& pendingLead);

private:
    // How the text is folded before it is compared with a form of the phrase.
    enum class Folding
    {
        None, // match-case: the bytes as they are
        Utf8,
        Windows1252,
    };

    // A phrase position to look for, with the (at most two) bytes the text may hold there.
    struct Probe
    {
        qsizetype offset = 0;
        unsigned char first = 0;
        unsigned char second = 0;
    };

    // The bytes of the text just before the bytes being scanned, which need not lie next to
    // them: `size` bytes ending at `end` (none at the start of the text).
    struct Preceding
    {
        const unsigned char* end = nullptr;
        qsizetype size = 0;
    };

    // One form of the phrase, and where the scan for it looks first.
    struct Pattern
    {
        QByteArray bytes; // folded unless matching case
        Folding folding = Folding::None;
        bool windows1252 = false; // the single-byte form: never begins inside a UTF-8 character
        Probe rare;               // the rarest probe
        Probe other;              // the next rarest, at another offset when the phrase allows it
        bool probed = false;      // false when no position narrows the scan (every start is compared)

        void plan();
        bool equalsAt(const unsigned char* text) const;
        qsizetype scan(const unsigned char* text, qsizetype starts, Preceding preceding) const;
        qsizetype indexIn(const unsigned char* text, qsizetype size, Preceding preceding) const;
        // Whether an occurrence in the `size` bytes at `text` starts in their first `kept`.
        bool startsIn(const unsigned char* text, qsizetype size, qsizetype kept, Preceding preceding) const;
    };

    bool hasWindows1252() const { return !m_windows1252.bytes.isEmpty(); }

    Pattern m_utf8;
    Pattern m_windows1252; // empty when the phrase has no form of its own there
    QByteArray m_window;   // end of the fed text that a match may still start in, and the
                           // bytes before it that the Windows-1252 form looks at
    QByteArray m_joined;   // m_window followed by the start of the next piece
    bool m_found = false;
};
