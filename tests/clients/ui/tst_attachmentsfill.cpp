#include "TestSupport.h"

#include "clients/ui/DisplayExtendedInformation.h"
#include "clients/ui/RecordListView.h"
#include "store/ApplicationFolder.h"
#include "store/Database.h"

#include <QAction>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <memory>
#include <optional>

namespace {

// Small slices, so that a list of a few rows takes several turns to fill.
constexpr int SliceRows = 3;

Database database()
{
    return Database(CLsDataBaseConnection::databasePath());
}

// One stored version of a document, as the list shows it.
struct Stored
{
    QString name; // empty: stored without a name
    QString date; // as stored; empty when Null
    std::optional<int> version;
    qint64 id = 0;
};

// A client with ten document versions (one of them without name, date or version), one
// assigned library document "r.pdf" and one event about "Plans". Each document holds
// "<name> <version>". Returns the client; `stored` gets the versions in insertion order.
qint64 addClient(QList<Stored>& stored)
{
    const Database db = database();
    db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"First Name\") VALUES ('Ann')"));
    const qint64 client = db.lastInsertRowId();
    stored = {{QString(), QString(), std::nullopt}, {"a.txt", "2024-01-05", 1},
              {"a.txt", "2024-02-05", 2},           {"a.txt", "2024-03-05", 3},
              {"b.pdf", "2024-01-10", 1},           {"b.pdf", "2024-04-10", 2},
              {"c.doc", "2023-12-01", 1},           {"d.txt", "2024-05-01", 1},
              {"d.txt", "2024-05-02", 2},           {"e.txt", "2024-06-30", 1}};
    for (Stored& row : stored) {
        const QVariant name = row.name.isEmpty() ? QVariant() : QVariant(row.name);
        const QVariant date = row.date.isEmpty() ? QVariant() : QVariant(row.date);
        const QVariant version = row.version ? QVariant(*row.version) : QVariant();
        const QByteArray contents = (row.name + QLatin1Char(' ') + version.toString()).toUtf8();
        db.execute(QStringLiteral("INSERT INTO Attachments (PersonalInformationId, AttachmentsName, AttachmentsDate, "
                                  "AttachmentVersion, Attachments) VALUES (?, ?, ?, ?, longbinary(?))"),
                   {client, name, date, version, contents});
        row.id = db.lastInsertRowId();
    }
    db.execute(QStringLiteral(
        "INSERT INTO Resources (ObjectIndex, DocumentName, Document) VALUES (0, 'r.pdf', longbinary('x'))"));
    db.execute(QStringLiteral("INSERT INTO ReferenceInfo (DocumentId, PersonalInformationId) VALUES (?, ?)"),
               {db.lastInsertRowId(), client});
    db.execute(QStringLiteral("INSERT INTO MeetingInfo (PersonalInformationId, MeetingType, MeetingSubject) "
                              "VALUES (?, 'Call', 'Plans')"),
               {client});
    return client;
}

// The record window of `client`, filling its attachments a few rows per turn.
std::unique_ptr<DisplayExtendedInformation> open(qint64 client)
{
    auto window = std::make_unique<DisplayExtendedInformation>();
    window->PersonalInformationId = client;
    window->PersonalName = QStringLiteral("Ann");
    window->setListSliceRows(SliceRows);
    window->show();
    return window;
}

QTreeWidget* list(const QWidget& window)
{
    return window.findChild<QTreeWidget*>(QStringLiteral("ListView1"));
}

template <typename T>
T* visible(const QWidget& window, const char* name)
{
    auto* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (!widget || !widget->isVisible() || widget->size().isEmpty())
        qFatal("%s is not on screen", name);
    return widget;
}

void clickTab(const QWidget& window, const QString& tab)
{
    auto* strip = visible<QTabBar>(window, "TabStrip1");
    for (int i = 0; i < strip->count(); ++i) {
        if (strip->tabText(i) == tab) {
            QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, strip->tabRect(i).center());
            return;
        }
    }
    qFatal("no tab %s", qPrintable(tab));
}

void trigger(const QWidget& window, const QString& name)
{
    auto* action = window.findChild<QAction*>(name);
    QVERIFY2(action && action->isEnabled(), qPrintable(name));
    action->trigger();
}

// Each row by the texts that tell it apart: an attachment's name and version, a resource's
// name, an event's purpose.
QStringList listed(const QWidget& window)
{
    QTreeWidget* view = list(window);
    const QString first = view->headerItem()->text(0);
    QStringList rows;
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = view->topLevelItem(i);
        if (first == QStringLiteral("Attachment Name"))
            rows.append(item->text(0) + QLatin1Char('/') + item->text(2));
        else if (first == QStringLiteral("Event Date"))
            rows.append(item->text(5));
        else
            rows.append(item->text(0));
    }
    return rows;
}

const QStringList EveryVersion{"/",       "a.txt/3", "a.txt/2", "a.txt/1", "b.pdf/2",
                               "b.pdf/1", "c.doc/1", "d.txt/2", "d.txt/1", "e.txt/1"};
const QStringList CurrentVersions{"e.txt/1", "d.txt/2", "c.doc/1", "b.pdf/2", "a.txt/3", "/"};

// Lets the turns due now pass, to see that nothing more comes.
void nextTurns()
{
    for (int i = 0; i < 3; ++i) {
        bool passed = false;
        QTimer::singleShot(0, [&passed] { passed = true; });
        QTRY_VERIFY(passed);
    }
}

} // namespace

// The Attachments list of a client with many documents fills a slice per event-loop turn:
// the window takes input meanwhile, and whatever fills the list during a fill wins over it.
class TestAttachmentsFill : public QObject
{
    Q_OBJECT

private slots:
    void firstSliceShowsAtOnce_data();
    void firstSliceShowsAtOnce();
    void inputIsHandledBetweenSlices();
    void rowsShownCanBeActedOn_data();
    void rowsShownCanBeActedOn();
    void refillDuringFillLeavesItsList_data();
    void refillDuringFillLeavesItsList();
    void closeWhileFilling_data();
    void closeWhileFilling();
};

void TestAttachmentsFill::firstSliceShowsAtOnce_data()
{
    QTest::addColumn<bool>("currentOnly");
    // Stored versions, by their place in insertion order, as listed.
    QTest::addColumn<QList<int>>("shown");
    QTest::newRow("every version") << false << QList<int>{0, 3, 2, 1, 5, 4, 6, 8, 7, 9};
    QTest::newRow("current version only") << true << QList<int>{9, 8, 6, 5, 3, 0};
}

void TestAttachmentsFill::firstSliceShowsAtOnce()
{
    QFETCH(bool, currentOnly);
    QFETCH(QList<int>, shown);
    TestAppFolder app;
    QList<Stored> stored;
    auto window = open(addClient(stored));
    QTreeWidget* view = list(*window);
    clickTab(*window, QStringLiteral("Attachments"));
    if (currentOnly) {
        QTRY_VERIFY(!window->isListFilling());
        QTest::mouseClick(visible<QCheckBox>(*window, "Check1"), Qt::LeftButton);
    }

    // The first rows are there when the click returns; the rest follow, after them.
    QCOMPARE(view->topLevelItemCount(), SliceRows);
    QVERIFY(window->isListFilling());
    const QStringList expected = currentOnly ? CurrentVersions : EveryVersion;
    QCOMPARE(listed(*window), expected.mid(0, SliceRows));
    QTRY_VERIFY(!window->isListFilling());
    QCOMPARE(listed(*window), expected);

    QCOMPARE(view->topLevelItemCount(), shown.size());
    for (int i = 0; i < shown.size(); ++i) {
        const Stored& row = stored.at(shown.at(i));
        const QTreeWidgetItem* item = view->topLevelItem(i);
        QCOMPARE(item->text(0), row.name);
        const QDate date = QDate::fromString(row.date, Qt::ISODate);
        QCOMPARE(item->text(1), row.date.isEmpty() ? QString() : QLocale().toString(date, QLocale::ShortFormat));
        QCOMPARE(item->text(2), row.version ? QString::number(*row.version) : QString());
        // A row without a name carries no identifier; one without a version, none either.
        QCOMPARE(item->data(0, RecordListView::TagRole), row.name.isEmpty() ? QVariant() : QVariant(row.id));
        QCOMPARE(item->data(0, RecordListView::VersionRole), row.version ? QVariant(*row.version) : QVariant());
    }
    QVERIFY(app.messages->shown().isEmpty());
}

void TestAttachmentsFill::inputIsHandledBetweenSlices()
{
    TestAppFolder app;
    QList<Stored> stored;
    auto window = open(addClient(stored));
    QTreeWidget* view = list(*window);
    clickTab(*window, QStringLiteral("Attachments"));
    QVERIFY(window->isListFilling());

    int rowsWhenHandled = -1;
    connect(view, &QTreeWidget::currentItemChanged, this, [&] { rowsWhenHandled = view->topLevelItemCount(); });
    view->setFocus();
    view->setCurrentItem(view->topLevelItem(0));
    QCoreApplication::postEvent(view, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
    QTRY_COMPARE(view->currentItem(), view->topLevelItem(1));
    QVERIFY2(rowsWhenHandled > 0 && rowsWhenHandled < EveryVersion.size(),
             qPrintable(QString::number(rowsWhenHandled)));
    QTRY_VERIFY(!window->isListFilling());
    QCOMPARE(listed(*window), EveryVersion);
    QCOMPARE(view->currentItem(), view->topLevelItem(1));
}

void TestAttachmentsFill::rowsShownCanBeActedOn_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("View") << "MnuView";
    QTest::newRow("SaveAs") << "MnuSaveAs";
}

void TestAttachmentsFill::rowsShownCanBeActedOn()
{
    QFETCH(QString, action);
    TestAppFolder app;
    QList<Stored> stored;
    auto window = open(addClient(stored));
    QTreeWidget* view = list(*window);
    clickTab(*window, QStringLiteral("Attachments"));
    QVERIFY(window->isListFilling());
    view->setCurrentItem(view->topLevelItem(2));
    QCOMPARE(listed(*window).at(2), QStringLiteral("a.txt/2"));

    const QString saved = app.file(QStringLiteral("out/copy.txt"));
    QDir().mkpath(QFileInfo(saved).absolutePath());
    app.files->setNextFileName(saved);
    trigger(*window, action);
    QVERIFY(app.messages->shown().isEmpty());
    const QString written = action == QStringLiteral("MnuView") ? app.opened->opened().value(0) : saved;
    if (action == QStringLiteral("MnuView"))
        QCOMPARE(written, QDir(ApplicationFolder::tempPath()).filePath(QStringLiteral("a.txt")));
    QFile file(written);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(written));
    QCOMPARE(file.readAll(), QByteArray("a.txt 2"));

    // The fill goes on after the rows acted on, which stay selected.
    QVERIFY(window->isListFilling());
    QTRY_VERIFY(!window->isListFilling());
    QCOMPARE(listed(*window), EveryVersion);
    QCOMPARE(view->selectedItems(), QList<QTreeWidgetItem*>{view->topLevelItem(2)});
}

void TestAttachmentsFill::refillDuringFillLeavesItsList_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("Resources tab clicked") << "Resources" << QStringList{"r.pdf"};
    QTest::newRow("Conferences/Meetings tab clicked") << "Conferences/Meetings" << QStringList{"Plans"};
    QTest::newRow("Check1 clicked") << "Check1" << CurrentVersions;
    QStringList deleted = EveryVersion;
    deleted.removeAt(1);
    QTest::newRow("a version deleted") << "mnuDelete" << deleted;
    QStringList dropped = EveryVersion;
    dropped.append(QStringLiteral("f.txt/1"));
    QTest::newRow("a file dropped") << "drop" << dropped;
    QTest::newRow("the list refilled from outside") << "PopulateListAtt" << EveryVersion;
    QTest::newRow("Check1 clicked, the list unreadable") << "unreadable" << QStringList();
}

void TestAttachmentsFill::refillDuringFillLeavesItsList()
{
    QFETCH(QString, action);
    QFETCH(QStringList, left);
    TestAppFolder app;
    QList<Stored> stored;
    auto window = open(addClient(stored));
    clickTab(*window, QStringLiteral("Attachments"));
    QVERIFY(window->isListFilling());
    QCOMPARE(list(*window)->topLevelItemCount(), SliceRows);

    if (action == QStringLiteral("Check1")) {
        QTest::mouseClick(visible<QCheckBox>(*window, "Check1"), Qt::LeftButton);
    } else if (action == QStringLiteral("mnuDelete")) {
        list(*window)->setCurrentItem(list(*window)->topLevelItem(1));
        app.messages->setNextAnswer(MessageBox::Yes);
        trigger(*window, action);
        QCOMPARE(app.messages->last().text, QStringLiteral("Attachment deleted"));
    } else if (action == QStringLiteral("drop")) {
        const QString path = app.file(QStringLiteral("f.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("f") == 1);
        file.close();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QWidget* viewport = list(*window)->viewport();
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
    } else if (action == QStringLiteral("unreadable")) {
        database().execute(QStringLiteral("ALTER TABLE Attachments RENAME TO Gone"));
        QTest::mouseClick(visible<QCheckBox>(*window, "Check1"), Qt::LeftButton);
        QCOMPARE(app.messages->shown().size(), 1);
        QCOMPARE(app.messages->last().icon, MessageBox::Critical);
    } else if (action == QStringLiteral("PopulateListAtt")) {
        window->PopulateListAtt();
    } else {
        clickTab(*window, action);
    }

    QTRY_VERIFY(!window->isListFilling());
    QCOMPARE(listed(*window), left);
    nextTurns();
    QCOMPARE(listed(*window), left);
}

void TestAttachmentsFill::closeWhileFilling_data()
{
    QTest::addColumn<bool>("closeButton");
    QTest::newRow("cmdClose clicked") << true;
    QTest::newRow("the window deleted") << false;
}

void TestAttachmentsFill::closeWhileFilling()
{
    QFETCH(bool, closeButton);
    TestAppFolder app;
    QList<Stored> stored;
    const qint64 client = addClient(stored);
    QMdiArea area;
    area.resize(1400, 1000);
    area.show();
    auto* window = new DisplayExtendedInformation;
    window->PersonalInformationId = client;
    window->PersonalName = QStringLiteral("Ann");
    window->setListSliceRows(SliceRows);
    QMdiSubWindow* child = area.addSubWindow(window);
    child->setAttribute(Qt::WA_DeleteOnClose);
    child->show();
    clickTab(*window, QStringLiteral("Attachments"));
    QVERIFY(window->isListFilling());

    QPointer<QMdiSubWindow> guard(child);
    if (closeButton)
        QTest::mouseClick(visible<QPushButton>(*window, "cmdClose"), Qt::LeftButton);
    else
        delete child;
    QTRY_VERIFY(!guard);
    // The slices that were due find no window and no list.
    nextTurns();
    QVERIFY(area.subWindowList().isEmpty());
}

QTEST_MAIN(TestAttachmentsFill)
#include "tst_attachmentsfill.moc"
