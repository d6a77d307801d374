#include "documents/ContentMatcher.h"

#include <QRandomGenerator>
#include <QTest>

// The phrase matcher of the content search on its own: folding, pieces, both encodings.
class TestContentMatcher : public QObject
{
    Q_OBJECT

private:
    // Whether `phrase` is in `text`, by folding the whole text first.
    static bool foldedContains(const QString& phrase, const QByteArray& text)
    {
        const ContentMatcher matcher(phrase, false);
        QByteArray folded;
        unsigned char pending = 0;
        ContentMatcher::fold(text.constData(), text.size(), folded, pending);
        if (pending)
            folded.append(static_cast<char>(pending));
        return folded.contains(matcher.phrase());
    }

private slots:
    void phraseMatching_data()
    {
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("found");
        QTest::newRow("ignores case") << "contract" << false << QByteArray("THE CONTRACT IS") << true;
        QTest::newRow("match case") << "contract" << true << QByteArray("THE CONTRACT IS") << false;
        QTest::newRow("overlapping start") << "ab" << false << QByteArray("aab") << true;
        QTest::newRow("in the last bytes") << "end" << false << QByteArray("the very END") << true;
        QTest::newRow("absent") << "missing" << false << QByteArray("nothing here") << false;
        QTest::newRow("quoted phrase") << "\"two words\"" << false << QByteArray("has two words in it") << true;
        QTest::newRow("two quotes alone") << "\"\"" << false << QByteArray("say \"\" here") << true;
        QTest::newRow("blanks trimmed") << "  fee  " << false << QByteArray("coffee") << true;
        QTest::newRow("empty phrase") << "   " << false << QByteArray() << true;
        QTest::newRow("accented upper") << QStringLiteral("MÜLLER") << false << QStringLiteral("Herr Müller").toUtf8()
                                        << true;
        QTest::newRow("cyrillic") << QStringLiteral("ДОГОВОР") << false << QStringLiteral("новый договор").toUtf8()
                                  << true;
        QTest::newRow("phrase longer than text") << "longer" << false << QByteArray("long") << false;
        QTest::newRow("non-ASCII first letter")
            << QStringLiteral("übersicht") << false << QStringLiteral("DIE ÜBERSICHT").toUtf8() << true;
        // Р and р differ in their first byte as well as in their second.
        QTest::newRow("first byte differs by case")
            << QStringLiteral("рост") << false << QStringLiteral("…РОСТ…").toUtf8() << true;
        QTest::newRow("second byte of a letter is no start")
            << QStringLiteral("\u00BC") << false << QByteArray("\xC3\xBC") << false;
        QTest::newRow("repeated letters")
            << "aaab" << false << QByteArray("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaAAB") << true;
        // Older text files hold the letters of Western European languages in Windows-1252,
        // one byte each.
        QTest::newRow("1252, lower-case phrase")
            << QStringLiteral("müller") << false << QByteArray("Herr M\xDCLLER") << true;
        QTest::newRow("1252, upper-case phrase")
            << QStringLiteral("MÜLLER") << false << QByteArray("Herr M\xFCller") << true;
        QTest::newRow("1252 sharp s") << QStringLiteral("straße") << false
                                      << QByteArray("STRA\xDF"
                                                    "E")
                                      << true;
        QTest::newRow("1252 s caron") << QStringLiteral("štefan") << false
                                      << QByteArray("\x8A"
                                                    "tefan")
                                      << true;
        QTest::newRow("1252 capital s caron") << QStringLiteral("ŠTEFAN") << false
                                              << QByteArray("\x9A"
                                                            "tefan")
                                              << true;
        QTest::newRow("1252 z caron") << QStringLiteral("Žižek") << false
                                      << QByteArray("\x9E"
                                                    "i"
                                                    "\x8E"
                                                    "ek")
                                      << true;
        QTest::newRow("1252 oe ligature") << QStringLiteral("Œuvre") << false
                                          << QByteArray("\x9C"
                                                        "uvre")
                                          << true;
        QTest::newRow("1252 y diaeresis") << QStringLiteral("L'HAŸ") << false << QByteArray("l'ha\xFF") << true;
        QTest::newRow("1252 micro sign") << QStringLiteral("5 µg") << false
                                         << QByteArray("5 \xB5"
                                                       "g")
                                         << true;
        QTest::newRow("1252 euro sign") << QStringLiteral("5 €") << false << QByteArray("Preis 5 \x80") << true;
        QTest::newRow("1252 overlapping partial match") << QStringLiteral("ääb") << false
                                                        << QByteArray("\xE4\xE4\xC4"
                                                                      "B")
                                                        << true;
        QTest::newRow("1252, match case") << QStringLiteral("Müller") << true << QByteArray("Herr M\xFCller") << true;
        QTest::newRow("1252, match case, other case")
            << QStringLiteral("Müller") << true << QByteArray("HERR M\xDCLLER, Herr M\xDCller") << false;
        QTest::newRow("1252, match case, upper-case phrase")
            << QStringLiteral("MÜLLER") << true << QByteArray("M\xFCLLER") << false;
        // The bytes of a UTF-8 letter do not read as Windows-1252 symbols.
        QTest::newRow("1252 symbol inside a UTF-8 letter")
            << QStringLiteral("°C") << false << QStringLiteral("аC").toUtf8() << false;
        QTest::newRow("1252 symbol inside a UTF-8 accented letter")
            << QStringLiteral("©") << true << QStringLiteral("café").toUtf8() << false;
        QTest::newRow("1252 symbol inside a UTF-8 dash")
            << QStringLiteral("€") << false << QStringLiteral("a – b").toUtf8() << false;
        QTest::newRow("1252 symbol after a 1252 letter") << QStringLiteral("…x") << false
                                                         << QByteArray("caf\xE9\x85"
                                                                       "x")
                                                         << true;
        QTest::newRow("1252 symbol after a 1252 degree") << QStringLiteral("°C") << false
                                                         << QByteArray("25\xB0"
                                                                       "C")
                                                         << true;
        // A character without a byte in Windows-1252 leaves only the UTF-8 form.
        QTest::newRow("outside 1252") << QStringLiteral("Ελλάδα") << false << QByteArray("??????") << false;
        QTest::newRow("partly outside 1252") << QStringLiteral("Łódź") << false
                                             << QByteArray("?\xF3"
                                                           "d?")
                                             << false;
        QTest::newRow("ASCII phrase in 1252 text") << "ller" << false << QByteArray("M\xFCLLER") << true;
    }

    void phraseMatching()
    {
        QFETCH(QString, phrase);
        QFETCH(bool, matchCase);
        QFETCH(QByteArray, text);
        QFETCH(bool, found);
        ContentMatcher matcher(phrase, matchCase);
        QCOMPARE(matcher.matches(text), found);
        // The same answer when the text arrives one byte at a time (matches across pieces,
        // and a two-byte letter split between pieces).
        matcher.reset();
        for (const char c : text)
            matcher.feed(&c, 1);
        QCOMPARE(matcher.finish(), found);
        // And when it arrives in two pieces, cut anywhere.
        for (qsizetype cut = 1; cut < text.size(); ++cut) {
            matcher.reset();
            matcher.feed(text.constData(), cut);
            matcher.feed(text.constData() + cut, text.size() - cut);
            QVERIFY2(matcher.finish() == found, qPrintable(QStringLiteral("cut at %1").arg(cut)));
        }
    }

    void firstOccurrence_data()
    {
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qsizetype>("index");
        QTest::newRow("UTF-8 first") << QStringLiteral("müller") << false << QByteArray("x M\xC3\xBCller M\xFCller")
                                     << qsizetype(2);
        QTest::newRow("1252 first") << QStringLiteral("müller") << false << QByteArray("x M\xFCller M\xC3\xBCller")
                                    << qsizetype(2);
        QTest::newRow("1252, ignoring case")
            << QStringLiteral("Müller") << false << QByteArray("x M\xDCLLER M\xFCller") << qsizetype(2);
        QTest::newRow("1252, match case")
            << QStringLiteral("Müller") << true << QByteArray("x M\xDCLLER M\xFCller") << qsizetype(9);
        QTest::newRow("1252 cut off by the end")
            << QStringLiteral("müller") << false << QByteArray("x M\xFCll") << qsizetype(-1);
    }

    void firstOccurrence()
    {
        QFETCH(QString, phrase);
        QFETCH(bool, matchCase);
        QFETCH(QByteArray, text);
        QFETCH(qsizetype, index);
        QCOMPARE(ContentMatcher(phrase, matchCase).indexIn(text.constData(), text.size()), index);
    }

    void phraseMatchingAgreesWithFoldedText()
    {
        // Random texts of letters that fold in different ways, in UTF-8 and in Windows-1252,
        // stray UTF-8 bytes and filler, fed in random pieces, against folding the whole text
        // and looking for the phrase, and against reading the text as Windows-1252 and
        // looking for a non-ASCII phrase in it, ignoring case. The second finds too much
        // where the text holds UTF-8 characters (their bytes read as Windows-1252 symbols);
        // every other round's texts hold none.
        struct Part
        {
            QByteArray bytes;
            QString asWindows1252;
        };
        // The first parts are single bytes that begin no UTF-8 character.
        const QList<Part> parts = {{"a", QStringLiteral("a")},
                                   {"A", QStringLiteral("A")},
                                   {"b", QStringLiteral("b")},
                                   {"B", QStringLiteral("B")},
                                   {"x", QStringLiteral("x")},
                                   {" ", QStringLiteral(" ")},
                                   {"1", QStringLiteral("1")},
                                   {"\x9C", QStringLiteral("œ")},
                                   {"\xFC", QStringLiteral("ü")},
                                   {"\x8A", QStringLiteral("Š")},
                                   {"\x9A", QStringLiteral("š")},
                                   {"\xFF", QStringLiteral("ÿ")},
                                   {"\x9F", QStringLiteral("Ÿ")},
                                   {"\x80", QStringLiteral("€")},
                                   {"\xDC", QStringLiteral("Ü")},
                                   {"\xDF", QStringLiteral("ß")},
                                   {"\xC3\xBC", QStringLiteral("Ã¼")},
                                   {"\xC3\x9C", QStringLiteral("Ãœ")},
                                   {"\xD0\xA0", QStringLiteral("Ð\u00A0")},
                                   {"\xD1\x80", QStringLiteral("Ñ€")},
                                   {"\xC5\xB8", QStringLiteral("Å¸")},
                                   {"\xC3", QStringLiteral("Ã")},
                                   {"\xE2\x82\xAC", QStringLiteral("â‚¬")}};
        const qsizetype singleBytes = 14;
        const QStringList letters = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("ü"), QStringLiteral("Ü"),
                                     QStringLiteral("Р"), QStringLiteral("x"), QStringLiteral("€"), QStringLiteral("š"),
                                     QStringLiteral("ß"), QStringLiteral("Ÿ"), QStringLiteral(" ")};
        QRandomGenerator random(4711);
        for (int round = 0; round < 3000; ++round) {
            QByteArray text;
            QString asWindows1252;
            const int partCount = random.bounded(1, round % 10 == 0 ? 400 : 60);
            const bool utf8 = round % 2 == 0;
            for (int i = 0; i < partCount; ++i) {
                const Part& part = parts.at(random.bounded(utf8 ? parts.size() : singleBytes));
                text += part.bytes;
                asWindows1252 += part.asWindows1252;
            }
            QString phrase;
            const int phraseLength = random.bounded(1, 5);
            for (int i = 0; i < phraseLength; ++i)
                phrase += letters.at(random.bounded(letters.size()));
            bool ascii = true;
            for (const QChar c : phrase)
                ascii = ascii && c.unicode() < 0x80;
            const bool inUtf8 = foldedContains(phrase, text);
            const bool inWindows1252 =
                !ascii && asWindows1252.contains(ContentMatcher::preparePhrase(phrase), Qt::CaseInsensitive);
            ContentMatcher matcher(phrase, false);
            const bool expected = matcher.matches(text);
            if (utf8)
                QVERIFY2(expected == inUtf8 || (expected && inWindows1252),
                         qPrintable(phrase + QStringLiteral(" in ") + QString::fromLatin1(text.toHex())));
            else
                QVERIFY2(expected == (inUtf8 || inWindows1252),
                         qPrintable(phrase + QStringLiteral(" in ") + QString::fromLatin1(text.toHex())));
            matcher.reset();
            for (qsizetype at = 0; at < text.size();) {
                const qsizetype piece = std::min<qsizetype>(random.bounded(1, 70), text.size() - at);
                matcher.feed(text.constData() + at, piece);
                at += piece;
            }
            QVERIFY2(matcher.finish() == expected,
                     qPrintable(phrase + QStringLiteral(" in pieces of ") + QString::fromLatin1(text.toHex())));
        }
    }
};

QTEST_GUILESS_MAIN(TestContentMatcher)
#include "tst_contentmatcher.moc"
