#include "TestSupport.h"

#include "clients/ui/AttachmentsPanel.h"
#include "clients/ui/EventsPanel.h"
#include "clients/ui/RecordListView.h"
#include "clients/ui/ResourcesPanel.h"
#include "store/Database.h"

#include <QFrame>
#include <QGroupBox>
#include <QMenu>
#include <QSignalSpy>
#include <QTreeWidget>
#include <functional>

namespace {

Database database()
{
    return Database(CLsDataBaseConnection::databasePath());
}

// A client with one attachment, one assigned library document and one event, each named
// after the client.
qint64 addClientWithLists(const QString& name)
{
    const Database db = database();
    db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"First Name\") VALUES (?)"), {name});
    const qint64 client = db.lastInsertRowId();
    db.execute(QStringLiteral("INSERT INTO Attachments (PersonalInformationId, AttachmentsName, AttachmentVersion, "
                              "Attachments) VALUES (?, ?, 1, longbinary('x'))"),
               {client, name + QStringLiteral(".txt")});
    db.execute(
        QStringLiteral("INSERT INTO Resources (ObjectIndex, DocumentName, Document) VALUES (0, ?, longbinary('x'))"),
        {name + QStringLiteral(".pdf")});
    db.execute(QStringLiteral("INSERT INTO ReferenceInfo (DocumentId, PersonalInformationId) VALUES (?, ?)"),
               {db.lastInsertRowId(), client});
    db.execute(QStringLiteral("INSERT INTO MeetingInfo (PersonalInformationId, MeetingType, MeetingSubject, "
                              "MeetingStartTime) VALUES (?, 'Call', ?, '09:00:00')"),
               {client, name});
    return client;
}

// The three list panels in a bare window, as the record window builds them, for the client
// in `client` at the time they read it. The list is shown whenever a panel fills it.
struct Panels
{
    Panels()
    {
        auto* frame = new QFrame(&window);
        frame->setGeometry(0, 0, 900, 420);
        auto* options = new QGroupBox(&window);
        options->setGeometry(0, 430, 900, 60);
        list = new RecordListView(&window, frame, [this] { return client; });
        attachments = new AttachmentsPanel(*list, options);
        resources = new ResourcesPanel(*list);
        events = new EventsPanel(*list);
        QObject::connect(list, &RecordListView::filling, list->view(), &QWidget::show);
        window.resize(900, 500);
        window.show();
    }

    void fill(const QString& tab)
    {
        if (tab == AttachmentsPanel::tab())
            attachments->fill();
        else if (tab == ResourcesPanel::tab())
            resources->fill();
        else
            events->fill();
    }

    // The texts of `column` of every row.
    QStringList column(int column) const
    {
        QStringList texts;
        for (int i = 0; i < view()->topLevelItemCount(); ++i)
            texts.append(view()->topLevelItem(i)->text(column));
        return texts;
    }

    QTreeWidget* view() const { return list->view(); }

    QWidget window;
    ClientId client = NoClient;
    RecordListView* list = nullptr;
    AttachmentsPanel* attachments = nullptr;
    ResourcesPanel* resources = nullptr;
    EventsPanel* events = nullptr;
};

// The column that names a row of each list.
int nameColumn(const QString& tab)
{
    return tab == EventsPanel::tab() ? 5 : 0;
}

} // namespace

class TestRecordPanels : public QObject
{
    Q_OBJECT

private slots:
    // The panels share one list: each answers a right click or a double click only while
    // the list holds its own rows.
    void onlyTheListShownAnswers_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("menu"); // the menu a right click opens; none on events
        QTest::addColumn<int>("eventsShown");
        QTest::newRow("attachments") << AttachmentsPanel::tab() << "MnuOptionsView" << 0;
        QTest::newRow("resources") << ResourcesPanel::tab() << "MnuResourceOptions" << 0;
        QTest::newRow("events") << EventsPanel::tab() << QString() << 1;
    }

    void onlyTheListShownAnswers()
    {
        QFETCH(QString, tab);
        QFETCH(QString, menu);
        QFETCH(int, eventsShown);
        TestAppFolder app;
        Panels panels;
        panels.client = addClientWithLists(QStringLiteral("Ann"));
        // Another list was shown before this one.
        panels.fill(tab == EventsPanel::tab() ? AttachmentsPanel::tab() : EventsPanel::tab());
        panels.fill(tab);
        QVERIFY(panels.list->shows(tab));
        QCOMPARE(panels.view()->topLevelItemCount(), 1);

        QSignalSpy view(panels.events, &EventsPanel::viewEventRequested);
        emit panels.view()->itemDoubleClicked(panels.view()->topLevelItem(0), 0);
        QCOMPARE(view.size(), eventsShown);

        emit panels.view()->customContextMenuRequested(QPoint(5, 5));
        for (QMenu* shown : {panels.attachments->menu(), panels.resources->menu()}) {
            if (shown->objectName() == menu)
                QTRY_VERIFY(shown->isVisible());
            else
                QVERIFY2(!shown->isVisible(), qPrintable(shown->objectName()));
            shown->hide();
        }
        QVERIFY(app.messages->shown().isEmpty());
    }

    // A panel reads the client the window shows when it fills, not when it was built.
    void fillsForTheClientShownNow_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("attachments") << AttachmentsPanel::tab() << ".txt";
        QTest::newRow("resources") << ResourcesPanel::tab() << ".pdf";
        QTest::newRow("events") << EventsPanel::tab() << "";
    }

    void fillsForTheClientShownNow()
    {
        QFETCH(QString, tab);
        QFETCH(QString, suffix);
        TestAppFolder app;
        Panels panels;
        const qint64 ann = addClientWithLists(QStringLiteral("Ann"));
        const qint64 bob = addClientWithLists(QStringLiteral("Bob"));
        panels.client = ann;
        panels.fill(tab);
        QCOMPARE(panels.column(nameColumn(tab)), QStringList{"Ann" + suffix});
        panels.client = bob;
        panels.fill(tab);
        QCOMPARE(panels.column(nameColumn(tab)), QStringList{"Bob" + suffix});
    }

    // After an event is added elsewhere, filling again lists it, and a double click hands
    // over the event of the row clicked.
    void eventsRefillAndHandOverTheRowClicked()
    {
        TestAppFolder app;
        Panels panels;
        panels.client = addClientWithLists(QStringLiteral("Ann"));
        panels.fill(EventsPanel::tab());
        database().execute(QStringLiteral("INSERT INTO MeetingInfo (PersonalInformationId, MeetingDate, MeetingType, "
                                          "MeetingSubject, MeetingStartTime, MeetingEndTime, MeetingNotes) "
                                          "VALUES (?, '2024-05-06', 'Visit', 'Plans', '10:00:00', '11:30:00', 'n')"),
                           {panels.client});
        QSignalSpy filling(panels.list, &RecordListView::filling);
        panels.fill(EventsPanel::tab());
        QCOMPARE(filling.size(), 1);
        QCOMPARE(filling.first().first().toString(), EventsPanel::tab());
        const int row = static_cast<int>(panels.column(5).indexOf(QStringLiteral("Plans")));
        QVERIFY(row >= 0);
        QCOMPARE(panels.view()->topLevelItem(row)->text(4), QStringLiteral("01:30:00"));

        QSignalSpy view(panels.events, &EventsPanel::viewEventRequested);
        emit panels.view()->itemDoubleClicked(panels.view()->topLevelItem(row), 0);
        QCOMPARE(view.size(), 1);
        const auto event = view.first().first().value<EventEntry>();
        QCOMPARE(event.EventType, QStringLiteral("Visit"));
        QCOMPARE(event.EventDate, QStringLiteral("2024-05-06"));
        QCOMPARE(event.EventEndTime, QStringLiteral("11:30:00"));
        QCOMPARE(event.EventNotes, QStringLiteral("n"));
    }

    // A list that cannot be read says why and shows none of the rows of the list before it,
    // under its own columns.
    void failedFillLeavesTheListEmpty_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("header");
        QTest::newRow("attachments") << AttachmentsPanel::tab() << "Attachments"
                                     << "Attachment Name";
        QTest::newRow("resources") << ResourcesPanel::tab() << "ReferenceInfo"
                                   << "Resource Name";
        QTest::newRow("events") << EventsPanel::tab() << "MeetingInfo"
                                << "Event Date";
    }

    void failedFillLeavesTheListEmpty()
    {
        QFETCH(QString, tab);
        QFETCH(QString, table);
        QFETCH(QString, header);
        TestAppFolder app;
        Panels panels;
        panels.client = addClientWithLists(QStringLiteral("Ann"));
        panels.fill(tab == ResourcesPanel::tab() ? AttachmentsPanel::tab() : ResourcesPanel::tab());
        QCOMPARE(panels.view()->topLevelItemCount(), 1);
        database().execute(QStringLiteral("DROP TABLE %1").arg(table));
        panels.fill(tab);
        QCOMPARE(app.messages->shown().size(), 1);
        QCOMPARE(app.messages->last().icon, MessageBox::Critical);
        // PostgreSQL names a table it does not know in lower case.
        QVERIFY2(app.messages->last().text.contains(table, Qt::CaseInsensitive), qPrintable(app.messages->last().text));
        QCOMPARE(panels.view()->topLevelItemCount(), 0);
        QCOMPARE(panels.view()->headerItem()->text(0), header);
        QVERIFY(panels.list->shows(tab));
    }
};

QTEST_MAIN(TestRecordPanels)
#include "tst_recordpanels.moc"
