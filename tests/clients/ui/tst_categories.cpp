#include "TestSupport.h"
#include "WindowChecks.h"
#include "clients/ui/FrmCategoryEventEditor.h"
#include "store/Database.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

Database database()
{
    return Database(CLsDataBaseConnection::databasePath());
}

// One pane's controls and table, by the names a row of a _data table gives.
struct Pane
{
    QTreeWidget* list;
    QLineEdit* name;
    QPushButton* save;
    QPushButton* cancel;
    QPushButton* remove;
    QString table;
    QString key;
    QString nameColumn;

    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            texts.append(list->topLevelItem(i)->text(0));
        return texts;
    }
    // "key=name" of every stored row, active or not.
    QStringList storedNames() const
    {
        QStringList names;
        CLsDataBaseConnection connection;
        Recordset rows = connection.CreateRecordset(
            QStringLiteral("SELECT %1 || '=' || %2 AS entry FROM %3 ORDER BY %1").arg(key, nameColumn, table));
        for (; !rows.eof(); rows.moveNext())
            names.append(rows.text(QStringLiteral("entry")));
        rows.close();
        connection.DbClose();
        return names;
    }
    bool editing() const { return save->property("Tag").toString() == QStringLiteral("edit"); }
};

template <typename T>
T* control(QWidget& window, const QString& name)
{
    T* found = window.findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

Pane pane(QWidget& window)
{
    QFETCH(QString, list);
    QFETCH(QString, kind);
    QFETCH(QString, table);
    return Pane{control<QTreeWidget>(window, list),
                control<QLineEdit>(window, QStringLiteral("txt") + kind),
                control<QPushButton>(window, QStringLiteral("cmdSave") + kind),
                control<QPushButton>(window, QStringLiteral("cmdCancel") + kind),
                control<QPushButton>(window, QStringLiteral("cmdDelete") + kind),
                table,
                kind + QStringLiteral("Id"),
                kind + QStringLiteral("Name")};
}

void doubleClick(const Pane& pane, int row)
{
    WindowChecks::doubleClickVisible(pane.list->viewport(),
                                     pane.list->visualItemRect(pane.list->topLevelItem(row)).center());
}

void select(const Pane& pane, int row)
{
    WindowChecks::clickVisible(pane.list->viewport(), pane.list->visualItemRect(pane.list->topLevelItem(row)).center());
}

} // namespace

class TestCategories : public QObject
{
    Q_OBJECT

private slots:
    void addsNameAsTyped_data() { panes(); }
    void addsNameAsTyped();
    void renameKeepsKeyAndStoredEvents_data() { panes(); }
    void renameKeepsKeyAndStoredEvents();
    void deleteActsOnSelectedRow_data() { panes(); }
    void deleteActsOnSelectedRow();

private:
    static void panes()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("table");
        QTest::newRow("event types") << QStringLiteral("ListView1") << QStringLiteral("Event")
                                     << QStringLiteral("EventInfo");
        QTest::newRow("categories") << QStringLiteral("ListView2") << QStringLiteral("Category")
                                    << QStringLiteral("CategoryInfo");
    }
};

void TestCategories::addsNameAsTyped()
{
    TestAppFolder app;
    QFETCH(QString, kind);
    QFETCH(QString, table);
    database().execute(QStringLiteral("UPDATE %1 SET %2Active = 0 WHERE %2Id = 2").arg(table, kind));
    FrmCategoryEventEditor window;
    window.show();
    const Pane p = pane(window);
    QCOMPARE(p.list->headerItem()->text(0), QStringLiteral("Description"));
    QCOMPARE(p.rows().size(), 3);
    QCOMPARE(p.list->topLevelItem(1)->data(0, Qt::UserRole).toLongLong(), 3);
    const QString first = p.rows().first();
    for (const QString& name : {QStringLiteral("O'Brien's"), first}) {
        WindowChecks::typeVisible(p.name, name);
        WindowChecks::clickVisible(p.save);
        QVERIFY(p.name->text().isEmpty());
    }
    QCOMPARE(p.rows().mid(3), (QStringList{QStringLiteral("O'Brien's"), first}));
    QCOMPARE(p.storedNames().mid(4), (QStringList{QStringLiteral("5=O'Brien's"), QStringLiteral("6=") + first}));
}

void TestCategories::renameKeepsKeyAndStoredEvents()
{
    TestAppFolder app;
    database().execute(
        QStringLiteral(
            "INSERT INTO MeetingInfo (PersonalInformationId, MeetingType, MeetingCatagory) VALUES (1, ?, ?)"),
        {QStringLiteral("Phone Call"), QStringLiteral("Billing")});
    FrmCategoryEventEditor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const Pane p = pane(window);
    doubleClick(p, 1);
    QVERIFY(p.editing());
    QVERIFY(p.cancel->isEnabled());
    QCOMPARE(p.name->property("Tag").toLongLong(), 2);
    p.name->selectAll();
    WindowChecks::typeVisible(p.name, QStringLiteral("Renamed"));
    WindowChecks::clickVisible(p.save);
    QCOMPARE(p.rows().at(1), QStringLiteral("Renamed"));
    QCOMPARE(p.storedNames().at(1), QStringLiteral("2=Renamed"));
    QCOMPARE(p.storedNames().size(), 4);
    QVERIFY(!p.editing());
    QVERIFY(!p.cancel->isEnabled());
    QCOMPARE(database().scalar(QStringLiteral("SELECT MeetingType || '/' || MeetingCatagory FROM MeetingInfo")),
             QVariant(QStringLiteral("Phone Call/Billing")));
}

void TestCategories::deleteActsOnSelectedRow()
{
    TestAppFolder app;
    FrmCategoryEventEditor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const Pane p = pane(window);
    const QString doomed = p.rows().at(2);
    doubleClick(p, 0);
    const QString edited = p.name->text();
    select(p, 2);

    app.messages->setNextAnswer(MessageBox::No);
    WindowChecks::clickVisible(p.remove);
    QCOMPARE(app.messages->last().text, QStringLiteral("You are about to delete ") + doomed);
    QCOMPARE(app.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(app.messages->last().icon, MessageBox::NoIcon);
    QCOMPARE(app.messages->last().buttons, MessageBox::YesNo);
    QCOMPARE(p.rows().size(), 4);
    QVERIFY(p.editing());
    QCOMPARE(p.name->text(), edited);

    app.messages->setNextAnswer(MessageBox::Yes);
    WindowChecks::clickVisible(p.remove);
    QVERIFY(!p.rows().contains(doomed));
    QCOMPARE(p.storedNames().size(), 3);
    QVERIFY(p.storedNames().first().startsWith(QStringLiteral("1=")));
    QVERIFY(!p.editing());
    QVERIFY(p.name->text().isEmpty());

    // With no row selected, Delete does nothing.
    p.list->clearSelection();
    WindowChecks::clickVisible(p.remove);
    QCOMPARE(app.messages->shown().size(), 2);
    QCOMPARE(p.storedNames().size(), 3);
}

QTEST_MAIN(TestCategories)
#include "tst_categories.moc"
