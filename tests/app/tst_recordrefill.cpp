#include "TestSupport.h"

#include "app/MDIBaseForm.h"
#include "clients/ui/DisplayExtendedInformation.h"
#include "clients/ui/frmMeeting.h"
#include "documents/ResourceLibrary.h"
#include "documents/ui/frmDocumentExp.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>

// The record window's lists are refilled by the windows that change them (the event dialog,
// the resource library). A refill that arrives while the user has moved on, here to editing
// the client, must leave the record window as the user left it.

namespace {

const QString Personal = QStringLiteral("Personal Information");

qint64 scalar(const QString& sql)
{
    CLsDataBaseConnection connection;
    return connection.database().scalar(sql).toLongLong();
}

template <typename T>
T* child(const QWidget& window, const QString& name)
{
    return window.findChild<T*>(name);
}

// A person can see it: shown, with a size, inside its window.
bool seen(const QWidget* widget)
{
    return widget && widget->isVisible() && !widget->size().isEmpty() &&
           widget->window()->rect().contains(QRect(widget->mapTo(widget->window(), QPoint()), widget->size()));
}

void click(const QWidget& window, const QString& button)
{
    auto* found = child<QPushButton>(window, button);
    QVERIFY2(seen(found), qPrintable(button));
    QTest::mouseClick(found, Qt::LeftButton);
}

void selectTab(const QWidget& window, const QString& caption)
{
    auto* strip = child<QTabBar>(window, QStringLiteral("TabStrip1"));
    int index = -1;
    for (int i = 0; i < strip->count(); ++i) {
        if (strip->tabText(i) == caption)
            index = i;
    }
    QVERIFY2(index >= 0 && seen(strip), qPrintable(caption));
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(index).center());
    QTRY_COMPARE(strip->currentIndex(), index);
}

template <typename T>
T* newestChild(const MDIBaseForm& main)
{
    const QList<QMdiSubWindow*> windows = main.mdiArea()->subWindowList(QMdiArea::CreationOrder);
    for (qsizetype i = windows.size() - 1; i >= 0; --i) {
        if (auto* found = qobject_cast<T*>(windows.at(i)->widget()))
            return found;
    }
    return nullptr;
}

void activate(const MDIBaseForm& main, QWidget* window)
{
    main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(window->parentWidget()));
    QTRY_VERIFY(main.mdiArea()->activeSubWindow() == window->parentWidget());
}

// Saves an event in the event dialog the record window opened.
void saveEvent(const MDIBaseForm& main, frmMeeting* dialog)
{
    activate(main, dialog);
    auto* title = child<QLineEdit>(*dialog, QStringLiteral("txtEventPurpose"));
    QVERIFY(seen(title));
    QTest::keyClicks(title, QStringLiteral("Visit"));
    click(*dialog, QStringLiteral("cmdSave"));
}

// Assigns the library's one document in the browser the record window opened.
void assignResource(const MDIBaseForm& main, frmDocumentExp* library, const TestAppFolder& app)
{
    activate(main, library);
    auto* tree = child<QTreeWidget>(*library, QStringLiteral("TreClassView"));
    auto* list = child<QTreeWidget>(*library, QStringLiteral("LstStudenInformation"));
    QVERIFY(seen(tree) && seen(list));
    QTreeWidgetItem* folder = tree->topLevelItem(0)->child(0);
    tree->scrollToItem(folder);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(folder).center());
    QTRY_COMPARE(list->topLevelItemCount(), 1);
    const QPoint document = list->visualItemRect(list->topLevelItem(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, document);
    app.messages->setNextAnswer(MessageBox::No); // stay in the library
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, document);
}

} // namespace

class TestRecordRefill : public QObject
{
    Q_OBJECT

private slots:
    void refillWhileEditingKeepsTheButtons_data()
    {
        QTest::addColumn<QString>("listTab");
        QTest::addColumn<QString>("countSql");
        QTest::newRow("event saved") << QStringLiteral("Conferences/Meetings")
                                     << QStringLiteral("SELECT count(*) FROM MeetingInfo");
        QTest::newRow("resource assigned")
            << QStringLiteral("Resources") << QStringLiteral("SELECT count(*) FROM ReferenceInfo");
    }

    void refillWhileEditingKeepsTheButtons()
    {
        QFETCH(QString, listTab);
        QFETCH(QString, countSql);
        TestAppFolder app;
        qint64 client = 0;
        {
            CLsDataBaseConnection connection;
            const Database& db = connection.database();
            db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"First Name\", City) "
                                      "VALUES ('Ann', 'Oldtown')"));
            client = db.lastInsertRowId();
            const ResourceLibrary library(connection.sharedDatabase());
            const qint64 folder = library.addFolder(QStringLiteral("Manuals"), 2);
            QFile file(app.file(QStringLiteral("manual.txt")));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("read me") == 7);
            file.close();
            library.upload(folder, file.fileName());
        }
        MDIBaseForm main;
        main.UserLevel = 99; // no explorer
        main.resize(1400, 1000);
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.openClient(client, QStringLiteral("Ann"));
        auto* record = newestChild<DisplayExtendedInformation>(main);
        QVERIFY(record);

        selectTab(*record, listTab);
        click(*record, QStringLiteral("cmdEdit")); // "Add Event" or "Assign Resource"
        auto* dialog = newestChild<frmMeeting>(main);
        auto* library = newestChild<frmDocumentExp>(main);
        QVERIFY(dialog || library);
        const bool event = dialog != nullptr;

        activate(main, record);
        selectTab(*record, Personal);
        click(*record, QStringLiteral("cmdEdit"));
        QCOMPARE(record->Mode, QStringLiteral("Edit"));
        auto* city = record->findChildren<QLineEdit*>().value(0);
        for (QLineEdit* box : record->findChildren<QLineEdit*>()) {
            if (box->toolTip() == QLatin1String("City"))
                city = box;
        }
        QVERIFY(seen(city));
        city->clear();
        QTest::keyClicks(city, QStringLiteral("Newport"));

        if (event)
            saveEvent(main, dialog);
        else
            assignResource(main, library, app);
        QTRY_COMPARE(scalar(countSql), 1);

        // The record window is still editing the client on its data tab.
        const auto* strip = child<QTabBar>(*record, QStringLiteral("TabStrip1"));
        QCOMPARE(strip->tabText(strip->currentIndex()), Personal);
        QVERIFY(!child<QTreeWidget>(*record, QStringLiteral("ListView1"))->isVisible());
        QVERIFY(seen(city));
        QCOMPARE(city->text(), QStringLiteral("Newport"));
        QVERIFY(!city->isReadOnly());
        auto* save = child<QPushButton>(*record, QStringLiteral("cmdDelete"));
        QVERIFY(seen(save));
        QCOMPARE(save->text(), QStringLiteral("Save"));
        QVERIFY(seen(child<QPushButton>(*record, QStringLiteral("cmdCancel"))));
        QVERIFY(!child<QPushButton>(*record, QStringLiteral("cmdEdit"))->isVisible());
        QVERIFY(!child<QPushButton>(*record, QStringLiteral("cmdClose"))->isVisible());

        activate(main, record);
        click(*record, QStringLiteral("cmdDelete"));
        QCOMPARE(record->Mode, QString());
        CLsDataBaseConnection connection;
        QCOMPARE(connection.database().scalar(QStringLiteral("SELECT City FROM \"Personal Information\"")).toString(),
                 QStringLiteral("Newport"));
        connection.DbClose();

        // The list shows the new row once its tab is shown again.
        selectTab(*record, listTab);
        const auto* list = child<QTreeWidget>(*record, QStringLiteral("ListView1"));
        QVERIFY(seen(list));
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(event ? 5 : 0),
                 event ? QStringLiteral("Visit") : QStringLiteral("manual.txt"));
    }
};

QTEST_MAIN(TestRecordRefill)
#include "tst_recordrefill.moc"
