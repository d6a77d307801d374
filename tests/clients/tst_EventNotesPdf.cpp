#include "clients/EventNotesPdf.h"

#include <QDir>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The file the event dialog suggests for a PDF copy of the notes, and the name it writes.
class TestEventNotesPdf : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanup()
    {
        QLocale::setDefault(QLocale::system());
        EventNotesPdf::forget();
    }
    void suggestedName_data();
    void suggestedName();
    void withExtension_data();
    void withExtension();
    void suggestedFolderIsTheLastOneUsed();
};

void TestEventNotesPdf::suggestedName_data()
{
    QTest::addColumn<QString>("client");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");
    const auto row = [](const char* tag, const QString& client, const QString& date, const QString& title,
                        const QString& name) { QTest::newRow(tag) << client << date << title << name; };
    row("all three, date as ISO", "Müller Zoë", "1/5/24", "Budget", "Müller Zoë - 2024-01-05 - Budget.pdf");
    row("stored ISO date", "Smith Ann", "2024-01-05", "Budget", "Smith Ann - 2024-01-05 - Budget.pdf");
    row("not a date", "Smith", "next week?", "", "Smith - next week_.pdf");
    row("refused characters", "A/B", "", "Q: <why> \"now\" a\\b|c*", "A_B - Q_ _why_ _now_ a_b_c_.pdf");
    row("line breaks and tabs", "", "", "First\r\nsecond\tthird", "First second third.pdf");
    row("dots and blanks at the ends", "", "", " ..hidden. . ", "hidden.pdf");
    row("nothing left", "", " ", "...", "Event notes.pdf");
    row("device name", "", "", "con", "_con.pdf");
    row("device name with a dot", "", "", "Lpt1.x", "_Lpt1.x.pdf");
    row("long title", "", "", QString(200, QLatin1Char('x')),
        QString(EventNotesPdf::MaximumNameLength, QLatin1Char('x')) + QStringLiteral(".pdf"));
    // 79 characters, then one written as two UTF-16 units: it is left out whole.
    row("long title ending in an emoji", "", "", QString(79, QLatin1Char('y')) + QStringLiteral("\U0001F600z"),
        QString(79, QLatin1Char('y')) + QStringLiteral(".pdf"));
}

void TestEventNotesPdf::suggestedName()
{
    QFETCH(QString, client);
    QFETCH(QString, date);
    QFETCH(QString, title);
    QFETCH(QString, name);
    QCOMPARE(EventNotesPdf::suggestedName(client, date, title), name);
}

void TestEventNotesPdf::withExtension_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("none") << "/home/a/notes"
                          << "/home/a/notes.pdf";
    QTest::newRow("pdf") << "/home/a/notes.pdf"
                         << "/home/a/notes.pdf";
    QTest::newRow("another") << "/home/a/notes.txt"
                             << "/home/a/notes.txt";
    QTest::newRow("dot and a word") << "/home/a/Meeting with Dr. Smith"
                                    << "/home/a/Meeting with Dr. Smith.pdf";
    QTest::newRow("dot in the folder") << "/home/a.b/notes"
                                       << "/home/a.b/notes.pdf";
    QTest::newRow("cancelled") << ""
                               << "";
}

void TestEventNotesPdf::withExtension()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QCOMPARE(EventNotesPdf::withExtension(typed), written);
}

void TestEventNotesPdf::suggestedFolderIsTheLastOneUsed()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString fallback = QDir(documents).exists() ? documents : QDir::homePath();
    QCOMPARE(EventNotesPdf::suggestedFolder(), fallback);
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        EventNotesPdf::remember(folder.filePath(QStringLiteral("a.pdf")));
        QCOMPARE(EventNotesPdf::suggestedFolder(), folder.path());
        QCOMPARE(EventNotesPdf::suggestedPath(QStringLiteral("Smith"), QString(), QStringLiteral("Budget")),
                 folder.filePath(QStringLiteral("Smith - Budget.pdf")));
    }
    // A folder that is gone is not offered.
    QCOMPARE(EventNotesPdf::suggestedFolder(), fallback);
}

QTEST_MAIN(TestEventNotesPdf)
#include "tst_EventNotesPdf.moc"
