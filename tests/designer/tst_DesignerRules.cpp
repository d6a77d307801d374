#include "designer/DesignerCanvasModel.h"
#include "designer/DesignerGrid.h"
#include "designer/DesignerNameRules.h"
#include "designer/TabTableGenerator.h"
#include "store/DatabaseSchema.h"

#include <QTest>

// The designer's rules, without a window: stacking, moving, alignment, widths, the grid,
// the names it accepts and the columns of a tab table.
class TestDesignerRules : public QObject
{
    Q_OBJECT

private slots:
    void newFieldsStack();
    void newLabelFollowsLowestLabel();
    void lockStopsMoves();
    void alignment_data();
    void alignment();
    void alignmentWithoutUsableSelection();
    void widthText_data();
    void widthText();
    void gridDots_data();
    void gridDots();
    void tabNames_data();
    void tabNames();
    void fieldNames_data();
    void fieldNames();
    void tabTableColumns();
};

void TestDesignerRules::newFieldsStack()
{
    DesignerCanvasModel canvas;
    for (const char* name : {"One", "Two", "Three"})
        canvas.addField(QString::fromLatin1(name), {});
    QCOMPARE(canvas.count(), 3);
    const int tops[] = {830, 1245, 1660};
    for (int i = 1; i <= 3; ++i) {
        const DesignerCanvasModel::Field& field = canvas.field(i);
        QCOMPARE(field.label, QRect(240, tops[i - 1], 2775, 375));
        QCOMPARE(field.box, QRect(3120, tops[i - 1], 2895, 375));
        QCOMPARE(field.orderText, QString::number(i));
    }
    QCOMPARE(canvas.indexOf(QStringLiteral("Two")), 2);
}

void TestDesignerRules::newLabelFollowsLowestLabel()
{
    DesignerCanvasModel canvas;
    canvas.addField(QStringLiteral("One"), {});
    QVERIFY(canvas.moveLabel(1, 0, 2000 - 830));
    canvas.addField(QStringLiteral("Two"), {});
    QCOMPARE(canvas.field(2).label.top(), 2415);
    QCOMPARE(canvas.field(2).box.top(), 1245);
}

void TestDesignerRules::lockStopsMoves()
{
    DesignerCanvasModel canvas;
    canvas.addField(QStringLiteral("One"), {});
    canvas.setLocked(true);
    QVERIFY(!canvas.moveBox(1, 100, 100));
    QVERIFY(!canvas.moveLabel(1, 100, 100));
    QCOMPARE(canvas.field(1).box.topLeft(), QPoint(3120, 830));
    canvas.setLocked(false);
    QVERIFY(canvas.moveBox(1, 100, -30));
    QCOMPARE(canvas.field(1).box.topLeft(), QPoint(3220, 800));
}

void TestDesignerRules::alignment_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QList<int>>("expected"); // left, top, width of each box after aligning

    const auto row = [](const char* name, DesignerCanvasModel::Alignment alignment, const QList<int>& selected,
                        const QList<int>& expected) {
        QTest::newRow(name) << static_cast<int>(alignment) << selected << expected;
    };
    // Box 1 at 3120/830/2895, box 2 moved to 3620/1345 and 2000 wide, box 3 to 2920/1960.
    row("left", DesignerCanvasModel::Alignment::Left, {1, 2, 3}, {3120, 830, 2895, 3120, 1345, 2000, 3120, 1960, 2895});
    row("top", DesignerCanvasModel::Alignment::Top, {1, 2, 3}, {3120, 830, 2895, 3620, 830, 2000, 2920, 830, 2895});
    row("width from the first selected", DesignerCanvasModel::Alignment::Width, {2, 1, 3, 3},
        {3120, 830, 2000, 3620, 1345, 2000, 2920, 1960, 2000});
}

void TestDesignerRules::alignment()
{
    QFETCH(int, alignment);
    QFETCH(QList<int>, selected);
    QFETCH(QList<int>, expected);

    DesignerCanvasModel canvas;
    for (const char* name : {"One", "Two", "Three"})
        canvas.addField(QString::fromLatin1(name), {});
    canvas.moveBox(2, 500, 100);
    canvas.moveBox(3, -200, 300);
    canvas.setWidthTarget(2);
    QVERIFY(canvas.applyWidthText(QStringLiteral("2000")));
    for (const int index : selected)
        canvas.select(index);

    QVERIFY(canvas.align(static_cast<DesignerCanvasModel::Alignment>(alignment)));
    for (int i = 1; i <= 3; ++i) {
        const QRect box = canvas.field(i).box;
        QCOMPARE(QList<int>({box.left(), box.top(), box.width()}), expected.mid((i - 1) * 3, 3));
    }
    QVERIFY(canvas.selection().has_value());
    QVERIFY(canvas.selection()->isEmpty());
    QVERIFY(canvas.align(static_cast<DesignerCanvasModel::Alignment>(alignment)));
}

void TestDesignerRules::alignmentWithoutUsableSelection()
{
    DesignerCanvasModel canvas;
    canvas.addField(QStringLiteral("One"), {});
    canvas.addField(QStringLiteral("Two"), {});
    QVERIFY(!canvas.align(DesignerCanvasModel::Alignment::Width));
    QVERIFY(!canvas.selection().has_value());

    // A box gone with its page stops the alignment and keeps the selection.
    canvas.select(1);
    canvas.select(7);
    QVERIFY(!canvas.align(DesignerCanvasModel::Alignment::Left));
    QCOMPARE(*canvas.selection(), QList<int>({1, 7}));

    // One box aligns nothing and empties the selection.
    DesignerCanvasModel single;
    single.addField(QStringLiteral("One"), {});
    single.select(1);
    QVERIFY(single.align(DesignerCanvasModel::Alignment::Top));
    QVERIFY(single.selection()->isEmpty());
}

void TestDesignerRules::widthText_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");

    QTest::newRow("number") << 1 << "4000" << 4000;
    QTest::newRow("zero") << 1 << "0" << 0;
    QTest::newRow("letter") << 1 << "a" << 2895;
    QTest::newRow("empty") << 1 << "" << 2895;
    QTest::newRow("beyond 16 bits") << 1 << "40000" << 2895;
    QTest::newRow("negative") << 1 << "-10" << 2895;
    QTest::newRow("no target") << 0 << "4000" << 2895;
}

void TestDesignerRules::widthText()
{
    QFETCH(int, target);
    QFETCH(QString, text);
    QFETCH(int, width);

    DesignerCanvasModel canvas;
    canvas.addField(QStringLiteral("One"), {});
    canvas.setWidthTarget(target);
    QCOMPARE(canvas.applyWidthText(text), width != 2895);
    QCOMPARE(canvas.field(1).box.width(), width);
    QCOMPARE(canvas.field(1).label.width(), width == 2895 ? 2775 : width);
}

void TestDesignerRules::gridDots_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");

    QTest::newRow("at start") << 4 << 200 << 51 << 24;
    QTest::newRow("largest") << 10 << 500 << 20 << 9;
    QTest::newRow("smallest") << 1 << 50 << 206 << 99;
}

void TestDesignerRules::gridDots()
{
    QFETCH(int, size);
    QFETCH(int, step);
    QFETCH(int, columns);
    QFETCH(int, rows);

    QCOMPARE(DesignerGrid::step(size), step);
    const QList<QPoint> dots = DesignerGrid::dots(QSize(10335, 4995), step);
    QCOMPARE(dots.size(), columns * rows);
    QCOMPARE(dots.constFirst(), QPoint(step, step));
    QCOMPARE(dots.constLast(), QPoint(columns * step, rows * step));
}

void TestDesignerRules::tabNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal"); // how the message starts; empty when accepted

    QTest::newRow("two words") << "Client Notes"
                               << "";
    QTest::newRow("quotes and brackets") << "O'Brien [Legal] \"A\""
                                         << "";
    QTest::newRow("empty") << ""
                           << "Invalid Tab Name";
    QTest::newRow("blanks only") << "   "
                                 << "Invalid Tab Name";
    QTest::newRow("fixed table") << "Security"
                                 << "A table named \"Security\"";
    QTest::newRow("client table, other case") << "personal information"
                                              << "A table named";
    QTest::newRow("another tab's table") << "Old Tab"
                                         << "A table named";
    QTest::newRow("defined tab without table") << "lost tab"
                                               << "A tab named";
    QTest::newRow("engine's own") << "sqlite_notes"
                                  << "The name \"sqlite_notes\" is reserved";
    QTest::newRow("program's own") << "Orvanta_Document_Text"
                                   << "The name \"Orvanta_Document_Text\" is reserved";
    QTest::newRow("key column clash") << "Personal Information "
                                      << "The name \"Personal Information \" is reserved";
    QTest::newRow("key column clash, no blank") << "PersonalInformation"
                                                << "The name \"PersonalInformation\" is reserved";
    QTest::newRow("longest") << QString(50, QLatin1Char('t')) << "";
    QTest::newRow("too long for a server") << QString(51, QLatin1Char('t')) << "The name \"ttt";
    QTest::newRow("too long in bytes") << QString(26, QChar(0x00FC)) << "The name \"\u00FC";
}

void TestDesignerRules::tabNames()
{
    QFETCH(QString, name);
    QFETCH(QString, refusal);

    QStringList tables = DatabaseSchema::fixedTables();
    tables << QStringLiteral("Old Tab");
    const auto problem =
        DesignerNameRules::tabNameProblem(name, tables, {QStringLiteral("Old Tab"), QStringLiteral("Lost Tab")});
    if (refusal.isEmpty()) {
        QVERIFY2(!problem, qPrintable(problem.value_or(QString())));
    } else {
        QVERIFY(problem);
        QVERIFY2(problem->startsWith(refusal), qPrintable(*problem));
    }
}

void TestDesignerRules::fieldNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("new") << "Next Step"
                         << "";
    QTest::newRow("quotes and brackets") << "it's [x] \"y\""
                                         << "";
    QTest::newRow("empty") << ""
                           << "Invalid Field Name";
    QTest::newRow("client column") << "PersonalInformationId"
                                   << "\"PersonalInformationId\" is one of the columns";
    QTest::newRow("key column") << "ClientNotesId"
                                << "\"ClientNotesId\" is one of the columns";
    QTest::newRow("date column, other case") << "clientnotesdate"
                                             << "\"clientnotesdate\" is one of the columns";
    QTest::newRow("twice") << "notes"
                           << "The tab already has a field named \"notes\"";
    QTest::newRow("a server's own column") << "CTID"
                                           << "The name \"CTID\" is reserved";
    QTest::newRow("longest") << QString(63, QLatin1Char('f')) << "";
    QTest::newRow("too long") << QString(64, QLatin1Char('f')) << "The name \"fff";
}

void TestDesignerRules::fieldNames()
{
    QFETCH(QString, name);
    QFETCH(QString, refusal);

    const auto problem =
        DesignerNameRules::fieldNameProblem(name, QStringLiteral("Client Notes"), {QStringLiteral("Notes")});
    if (refusal.isEmpty()) {
        QVERIFY2(!problem, qPrintable(problem.value_or(QString())));
    } else {
        QVERIFY(problem);
        QVERIFY2(problem->startsWith(refusal), qPrintable(*problem));
    }
}

void TestDesignerRules::tabTableColumns()
{
    const auto columns =
        TabTableGenerator::columnsFor(QStringLiteral("Client Notes"),
                                      {QStringLiteral("Notes"), QStringLiteral("Next Step"), QStringLiteral("notes")});
    QStringList names;
    for (const auto& column : columns)
        names << column.name;
    QCOMPARE(names, QStringList({"ClientNotesId", "PersonalInformationId", "ClientNotesDate", "Notes", "Next Step"}));
    QVERIFY(columns[0].autoIncrement);
    QCOMPARE(columns[1].type, QStringLiteral("INTEGER"));
    QCOMPARE(columns[2].type, QStringLiteral("DATE"));
    QCOMPARE(columns[2].defaultExpression, QStringLiteral("(date('now', 'localtime'))"));
    QCOMPARE(columns[4].type, QStringLiteral("TEXT"));
    QVERIFY(columns[4].nullable);
}

QTEST_MAIN(TestDesignerRules)
#include "tst_DesignerRules.moc"
