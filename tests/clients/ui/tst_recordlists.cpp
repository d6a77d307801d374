#include "TestSupport.h"

#include "clients/ClientDocuments.h"
#include "clients/EventDuration.h"
#include "clients/ui/DisplayExtendedInformation.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTreeWidget>
#include <QUrl>
#include <functional>
#include <sys/stat.h>

namespace {

using Rows = QList<QStringList>;

Database database()
{
    return Database(CLsDataBaseConnection::databasePath());
}

qint64 addClient(const QString& firstName)
{
    const Database db = database();
    db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"First Name\") VALUES (?)"), {firstName});
    return db.lastInsertRowId();
}

qint64 count(const QString& table)
{
    return database().scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toLongLong();
}

QString writeFile(const TestAppFolder& app, const QString& relativePath, const QByteArray& bytes)
{
    const QString path = app.file(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write a test file");
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

std::unique_ptr<DisplayExtendedInformation> openOn(qint64 client, const QString& tab)
{
    auto window = std::make_unique<DisplayExtendedInformation>();
    window->PersonalInformationId = client;
    window->PersonalName = QStringLiteral("Client");
    window->load();
    window->show();
    auto* strip = window->findChild<QTabBar*>(QStringLiteral("TabStrip1"));
    for (int i = 0; i < strip->count(); ++i) {
        if (strip->tabText(i) == tab)
            strip->setCurrentIndex(i);
    }
    return window;
}

QTreeWidget* list(const QWidget& window)
{
    return window.findChild<QTreeWidget*>(QStringLiteral("ListView1"));
}

Rows rows(const QWidget& window, int columns)
{
    Rows shown;
    QTreeWidget* view = list(window);
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        QStringList texts;
        for (int column = 0; column < columns; ++column)
            texts.append(view->topLevelItem(i)->text(column));
        shown.append(texts);
    }
    return shown;
}

// Name and version of every listed attachment.
Rows versions(const QWidget& window)
{
    Rows shown;
    for (const QStringList& row : rows(window, 3))
        shown.append({row.at(0), row.at(2)});
    return shown;
}

void select(const QWidget& window, int row)
{
    list(window)->setCurrentItem(list(window)->topLevelItem(row));
}

void trigger(const QWidget& window, const QString& name)
{
    auto* action = window.findChild<QAction*>(name);
    QVERIFY2(action && action->isEnabled(), qPrintable(name));
    action->trigger();
}

void upload(const TestAppFolder& app, const QWidget& window, const QString& path)
{
    app.files->setNextFileName(path);
    auto* edit = window.findChild<QPushButton*>(QStringLiteral("cmdEdit"));
    QCOMPARE(edit->text(), QStringLiteral("UpLoad"));
    QTest::mouseClick(edit, Qt::LeftButton);
}

void drop(const QWidget& window, QMimeData* data)
{
    // The drop goes to the widget that accepted the drag when it entered.
    QWidget* viewport = list(window)->viewport();
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(10, 10), offered, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), Qt::CopyAction);
    QDropEvent event(QPointF(10, 10), offered, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
    QCOMPARE(event.dropAction(), Qt::CopyAction);
}

void dropFiles(const QWidget& window, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    drop(window, &data);
}

QStringList texts(const ScriptedMessageBox& box)
{
    QStringList shown;
    for (const ScriptedMessageBox::Shown& message : box.shown())
        shown.append(message.text);
    return shown;
}

const QString DropMessage = QStringLiteral("Currently you can't drag and drop straight from that application\n"
                                           "Try dragging and dropping from the desktop then to Orvanta.");

} // namespace

class TestRecordLists : public QObject
{
    Q_OBJECT

private slots:
    void currentVersionGrouping()
    {
        TestAppFolder app;
        const qint64 client = addClient(QStringLiteral("Ann"));
        auto window = openOn(client, QStringLiteral("Attachments"));
        for (const char* name : {"one/a.txt", "two/a.txt", "b.PDF", "three/a.txt"})
            upload(app, *window, writeFile(app, QString::fromLatin1(name), name));
        QCOMPARE(app.messages->shown().size(), 4);
        QCOMPARE(app.messages->last().text, QStringLiteral("Attachment successfully uploaded"));
        QCOMPARE(app.files->filters().last(), QStringLiteral("All files (*);;DOC files (*.doc);;PDF files (*.pdf)"));
        QCOMPARE(database().scalar(QStringLiteral("SELECT AttachmentExtension FROM Attachments WHERE "
                                                  "AttachmentsName = 'b.PDF'")),
                 QVariant(QStringLiteral("pdf")));

        QCOMPARE(versions(*window), (Rows{{"a.txt", "3"}, {"a.txt", "2"}, {"a.txt", "1"}, {"b.PDF", "1"}}));
        QCOMPARE(list(*window)->headerItem()->text(1), QStringLiteral("Date Added"));
        window->findChild<QCheckBox*>(QStringLiteral("Check1"))->click();
        QCOMPARE(versions(*window), (Rows{{"b.PDF", "1"}, {"a.txt", "3"}}));

        // A right click offers the attachment menu.
        emit list(*window)->customContextMenuRequested(QPoint(5, 5));
        auto* menu = window->findChild<QMenu*>(QStringLiteral("MnuOptionsView"));
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->title(), QStringLiteral("Attachment Options"));
        menu->hide();
    }

    void dropStoresFilesInOrder_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::newRow("on attachments") << "Attachments";
        QTest::newRow("on resources") << "Resources";
    }

    void dropStoresFilesInOrder()
    {
        QFETCH(QString, tab);
        TestAppFolder app;
        const qint64 client = addClient(QStringLiteral("Ann"));
        auto window = openOn(client, tab);
        dropFiles(*window, {writeFile(app, QStringLiteral("x/a.txt"), "first"), writeFile(app, "y/a.txt", "second"),
                            writeFile(app, QStringLiteral("c.doc"), "c")});
        QVERIFY(app.messages->shown().isEmpty());
        QCOMPARE(versions(*window), (Rows{{"a.txt", "2"}, {"a.txt", "1"}, {"c.doc", "1"}}));
        QCOMPARE(window->findChild<QPushButton*>(QStringLiteral("cmdEdit"))->text(), QStringLiteral("UpLoad"));
        const ClientDocuments documents(client);
        documents.saveCopy(QStringLiteral("a.txt"), 1, app.file(QStringLiteral("out")));
        QCOMPARE(readFile(app.file(QStringLiteral("out"))), QByteArray("first"));
        // Several copies at once, in order, stopping at a version that is not stored.
        documents.saveCopies({{QStringLiteral("a.txt"), 2, app.file(QStringLiteral("two"))},
                              {QStringLiteral("c.doc"), 1, app.file(QStringLiteral("out"))}});
        QCOMPARE(readFile(app.file(QStringLiteral("two"))), QByteArray("second"));
        QCOMPARE(readFile(app.file(QStringLiteral("out"))), QByteArray("c"));
        QVERIFY_THROWS_EXCEPTION(StoreError, documents.saveCopies({{QStringLiteral("c.doc"), 1, app.file("three")},
                                                                   {QStringLiteral("c.doc"), 7, app.file("four")},
                                                                   {QStringLiteral("a.txt"), 1, app.file("five")}}));
        QVERIFY(QFile::exists(app.file(QStringLiteral("three"))));
        QVERIFY(!QFile::exists(app.file(QStringLiteral("four"))) && !QFile::exists(app.file(QStringLiteral("five"))));
    }

    // Many copies are written by helper threads while the next ones are read.
    void batchOfCopiesComesBackExactly()
    {
        TestAppFolder app;
        const qint64 client = addClient(QStringLiteral("Ann"));
        QStringList sources;
        QList<QByteArray> contents;
        for (int i = 0; i < 40; ++i) {
            // Empty, small, and one larger than a helper is handed whole.
            const qsizetype size = i == 0 ? 0 : i == 7 ? (1 << 20) + 5 : i * 997;
            QByteArray bytes(size, Qt::Uninitialized);
            for (qsizetype at = 0; at < size; ++at)
                bytes[at] = static_cast<char>((at * 31 + i) % 251);
            contents.append(bytes);
            sources.append(writeFile(app, QStringLiteral("in/doc%1.bin").arg(i), bytes));
        }
        sources.append(writeFile(app, QStringLiteral("again/doc1.bin"), "version two"));
        const ClientDocuments documents(client);
        QCOMPARE(documents.storeDropped(sources).stored, sources.size());
        // An empty file is stored as an empty value, not as Null.
        QCOMPARE(database()
                     .scalar(QStringLiteral("SELECT count(*) FROM Attachments WHERE AttachmentsName = 'doc0.bin' AND "
                                            "Attachments IS NOT NULL"))
                     .toInt(),
                 1);

        QDir().mkpath(app.file(QStringLiteral("out")));
        std::vector<ClientDocuments::Copy> copies;
        for (int i = 0; i < 40; ++i)
            copies.push_back({QStringLiteral("doc%1.bin").arg(i), 1, app.file(QStringLiteral("out/%1").arg(i))});
        documents.saveCopies(copies);
        for (int i = 0; i < 40; ++i)
            QVERIFY2(readFile(copies[i].targetPath) == contents[i], qPrintable(copies[i].targetPath));

        // Two copies into one file: the later one is what the file holds.
        const QString same = app.file(QStringLiteral("out/same"));
        documents.saveCopies({{QStringLiteral("doc1.bin"), 1, same}, {QStringLiteral("doc1.bin"), 2, same}});
        QCOMPARE(readFile(same), QByteArray("version two"));

        // A copy that cannot be written stops the batch and is named; those before it are written.
        const QString unwritable = app.file(QStringLiteral("no such folder/x"));
        try {
            documents.saveCopies({{QStringLiteral("doc2.bin"), 1, app.file(QStringLiteral("first"))},
                                  {QStringLiteral("doc3.bin"), 1, app.file(QStringLiteral("second"))},
                                  {QStringLiteral("doc4.bin"), 1, unwritable},
                                  {QStringLiteral("doc5.bin"), 1, app.file(QStringLiteral("after"))}});
            QFAIL("no error");
        } catch (const StoreError& error) {
            QVERIFY2(error.message().contains(QDir::toNativeSeparators(unwritable)), qPrintable(error.message()));
        }
        QCOMPARE(readFile(app.file(QStringLiteral("first"))), contents[2]);
        QCOMPARE(readFile(app.file(QStringLiteral("second"))), contents[3]);
    }

    void dropFailure_data()
    {
        QTest::addColumn<bool>("files");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("message");
        QTest::newRow("not files") << false << QString() << DropMessage;
        QTest::newRow("unreadable") << true << "missing.txt" << DropMessage;
        QTest::newRow("a pipe, never read") << true << "pipe" << DropMessage;
        QTest::newRow("too large") << true << "huge.bin"
                                   << "huge.bin";
    }

    void dropFailure()
    {
        QFETCH(bool, files);
        QFETCH(QString, second);
        QFETCH(QString, message);
        TestAppFolder app;
        auto window = openOn(addClient(QStringLiteral("Ann")), QStringLiteral("Attachments"));
        if (files) {
            QFile huge(app.file(QStringLiteral("huge.bin")));
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 30)); // sparse
            huge.close();
            QCOMPARE(::mkfifo(QFile::encodeName(app.file(QStringLiteral("pipe"))).constData(), 0600), 0);
            dropFiles(*window, {writeFile(app, QStringLiteral("a.txt"), "a"), app.file(second),
                                writeFile(app, QStringLiteral("c.txt"), "c")});
        } else {
            QMimeData text;
            text.setText(QStringLiteral("just text"));
            drop(*window, &text);
        }
        QCOMPARE(app.messages->shown().size(), 1);
        QVERIFY2(app.messages->last().text.contains(message), qPrintable(app.messages->last().text));
        // The files before the failing one stay stored; it and those after it are not.
        QCOMPARE(versions(*window), (files ? Rows{{"a.txt", "1"}} : Rows{}));
    }

    void deleteOneVersion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<Rows>("left");
        QTest::newRow("yes") << int(MessageBox::Yes) << Rows{{"a.txt", "1"}};
        QTest::newRow("no") << int(MessageBox::No) << Rows{{"a.txt", "2"}, {"a.txt", "1"}};
    }

    void deleteOneVersion()
    {
        QFETCH(int, answer);
        QFETCH(Rows, left);
        TestAppFolder app;
        auto window = openOn(addClient(QStringLiteral("Ann")), QStringLiteral("Attachments"));
        dropFiles(*window, {writeFile(app, QStringLiteral("x/a.txt"), "1"), writeFile(app, "y/a.txt", "2")});
        select(*window, 0);
        app.messages->setNextAnswer(static_cast<MessageBox::Button>(answer));
        trigger(*window, QStringLiteral("mnuDelete"));
        QCOMPARE(app.messages->shown().first().text,
                 QStringLiteral("Warning you are about to delete the selected file\nDo you want to continue"));
        QCOMPARE(app.messages->shown().first().icon, MessageBox::NoIcon);
        if (answer == MessageBox::Yes)
            QCOMPARE(app.messages->last().text, QStringLiteral("Attachment deleted"));
        QCOMPARE(versions(*window), left);
    }

    void attachmentActionsWithoutSelection_data()
    {
        QTest::addColumn<QString>("action");
        for (const char* name : {"MnuView", "MnuSaveAs", "mnuDelete", "mnuMoveTo"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void attachmentActionsWithoutSelection()
    {
        QFETCH(QString, action);
        TestAppFolder app;
        auto window = openOn(addClient(QStringLiteral("Ann")), QStringLiteral("Attachments"));
        dropFiles(*window, {writeFile(app, QStringLiteral("a.txt"), "a")});
        QSignalSpy reassign(window.get(), &DisplayExtendedInformation::reassignRequested);
        trigger(*window, action);
        QCOMPARE(texts(*app.messages), QStringList{QStringLiteral("Nothing selected")});
        QCOMPARE(app.messages->last().icon, MessageBox::Information);
        QCOMPARE(count(QStringLiteral("Attachments")), 1);
        QVERIFY(reassign.isEmpty());
    }

    void reassignAsksAndSignals_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("emitted");
        QTest::newRow("yes") << int(MessageBox::Yes) << 1;
        QTest::newRow("no") << int(MessageBox::No) << 0;
    }

    void reassignAsksAndSignals()
    {
        QFETCH(int, answer);
        QFETCH(int, emitted);
        TestAppFolder app;
        auto window = openOn(addClient(QStringLiteral("Ann")), QStringLiteral("Attachments"));
        dropFiles(*window, {writeFile(app, QStringLiteral("a.txt"), "a")});
        QSignalSpy reassign(window.get(), &DisplayExtendedInformation::reassignRequested);
        select(*window, 0);
        app.messages->setNextAnswer(static_cast<MessageBox::Button>(answer));
        trigger(*window, QStringLiteral("mnuMoveTo"));
        QCOMPARE(app.messages->last().text,
                 QStringLiteral("Warning you are about to reassign the selected file: a.txt\nDo you want to continue"));
        QCOMPARE(reassign.size(), emitted);
        if (emitted == 1)
            QCOMPARE(reassign.first().first().toLongLong(),
                     database().scalar(QStringLiteral("SELECT AttachmentsId FROM Attachments")).toLongLong());
    }

    // The windows that change a list refill it; while another tab or list is shown, the
    // window stays as it is.
    void refillFromOutsideLeavesTheWindowAlone_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<int>("refill"); // 0 attachments, 1 resources, 2 events
        for (int refill = 0; refill < 3; ++refill)
            QTest::addRow("data tab, list %d", refill) << QStringLiteral("Personal Information") << refill;
        QTest::newRow("events over attachments") << QStringLiteral("Attachments") << 2;
        QTest::newRow("attachments over resources") << QStringLiteral("Resources") << 0;
        QTest::newRow("resources over events") << QStringLiteral("Conferences/Meetings") << 1;
    }

    void refillFromOutsideLeavesTheWindowAlone()
    {
        QFETCH(QString, tab);
        QFETCH(int, refill);
        TestAppFolder app;
        auto window = openOn(addClient(QStringLiteral("Ann")), tab);
        auto* edit = window->findChild<QPushButton*>(QStringLiteral("cmdEdit"));
        const QString caption = edit->text();
        const bool shown = list(*window)->isVisible();
        const QString header = list(*window)->headerItem()->text(0);
        const std::function<void()> refills[] = {[&] { window->PopulateListAtt(); },
                                                 [&] { window->PopulateListResources(); },
                                                 [&] { window->PopulateListEvents(); }};
        refills[refill]();
        QCOMPARE(list(*window)->isVisible(), shown);
        QCOMPARE(list(*window)->headerItem()->text(0), header);
        QCOMPARE(edit->text(), caption);
        QCOMPARE(window->findChild<QPushButton*>(QStringLiteral("cmdDelete"))->isVisible(), !shown);
    }

    void resourceListAndItsEmptyRow()
    {
        TestAppFolder app;
        const qint64 client = addClient(QStringLiteral("Ann"));
        auto window = openOn(client, QStringLiteral("Resources"));
        QCOMPARE(rows(*window, 2), (Rows{{"", ""}}));
        QVERIFY(!list(*window)->topLevelItem(0)->data(0, Qt::UserRole).isValid());
        select(*window, 0);
        trigger(*window, QStringLiteral("mnuResourceVIew"));
        app.messages->setNextAnswer(MessageBox::Yes);
        trigger(*window, QStringLiteral("mnuRemoveFromClient"));
        QCOMPARE(texts(*app.messages), (QStringList{"Nothing selected",
                                                    "Warning you are about to remove the selected file: \n"
                                                    "Do you want to continue",
                                                    "Nothing selected"}));

        const Database db = database();
        db.execute(QStringLiteral("INSERT INTO Resources (ObjectIndex, DocumentName, Document) VALUES (0, 'r.txt', ?)"),
                   {QByteArray("library")});
        db.execute(QStringLiteral("INSERT INTO ReferenceInfo (DocumentId, PersonalInformationId) VALUES (?, ?)"),
                   {db.lastInsertRowId(), client});
        window->PopulateListResources();
        QCOMPARE(rows(*window, 1), (Rows{{"r.txt"}}));
        select(*window, 0);
        trigger(*window, QStringLiteral("mnuResourceVIew"));
        QCOMPARE(app.opened->opened(), QStringList{QDir(ApplicationFolder::tempPath()).filePath("r.txt")});
        QCOMPARE(readFile(app.opened->opened().constFirst()), QByteArray("library"));
        app.messages->setNextAnswer(MessageBox::Yes);
        trigger(*window, QStringLiteral("mnuRemoveFromClient"));
        QCOMPARE(app.messages->last().text, QStringLiteral("Resource Removed"));
        QCOMPARE(count(QStringLiteral("ReferenceInfo")), 0);
        QCOMPARE(count(QStringLiteral("Resources")), 1);
        QCOMPARE(rows(*window, 1), (Rows{{""}}));
    }

    void durationText_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("duration");
        QTest::newRow("seconds across a minute") << "10:00:50"
                                                 << "10:01:10"
                                                 << "00:00:20";
        QTest::newRow("hours and minutes") << "09:00:00"
                                           << "10:30:00"
                                           << "01:30:00";
        QTest::newRow("without seconds") << "09:00"
                                         << "17:45"
                                         << "08:45:00";
        QTest::newRow("whole day") << "00:00:00"
                                   << "23:59:59"
                                   << "23:59:59";
        QTest::newRow("end before start") << "10:00:30"
                                          << "10:00:00"
                                          << "-00:00:30";
        QTest::newRow("no end time") << "10:00:00" << QString() << QString();
        QTest::newRow("no start time") << QString() << "10:00:00" << QString();
        QTest::newRow("not a time") << "soon"
                                    << "10:00:00" << QString();
    }

    void durationText()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, duration);
        QCOMPARE(EventDuration::text(start, end), duration);
    }

    void eventListShowsDurations()
    {
        TestAppFolder app;
        const qint64 client = addClient(QStringLiteral("Ann"));
        const Database db = database();
        db.execute(QStringLiteral("INSERT INTO MeetingInfo (PersonalInformationId, MeetingDate, MeetingType, "
                                  "MeetingSubject, MeetingStartTime, MeetingEndTime) VALUES (?, ?, ?, ?, ?, ?)"),
                   {client, QStringLiteral("2024-03-05"), QStringLiteral("Call"), QStringLiteral("Tax"),
                    QStringLiteral("10:00:50"), QStringLiteral("10:01:10")});
        db.execute(QStringLiteral("INSERT INTO MeetingInfo (PersonalInformationId, MeetingType, MeetingStartTime) "
                                  "VALUES (?, 'Visit', '09:00:00')"),
                   {client});
        auto window = openOn(client, QStringLiteral("Conferences/Meetings"));
        QCOMPARE(list(*window)->headerItem()->text(4), QStringLiteral("Duration (HH:MM:SS)"));
        QCOMPARE(list(*window)->columnCount(), 8);
        const Rows shown = rows(*window, 6);
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).mid(4), (QStringList{"00:00:20", "Tax"}));
        QCOMPARE(shown.at(1).at(4), QString());

        QSignalSpy view(window.get(), &DisplayExtendedInformation::viewEventRequested);
        emit list(*window)->itemDoubleClicked(list(*window)->topLevelItem(0), 0);
        QCOMPARE(view.size(), 1);
        const auto event = view.first().first().value<EventEntry>();
        QCOMPARE(event.EventDate, QStringLiteral("2024-03-05"));
        QCOMPARE(event.EventEndTime, QStringLiteral("10:01:10"));
    }

    void uploadOfUnreadableFileStoresNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "missing.txt";
        QTest::newRow("a folder") << "folder";
    }

    void uploadOfUnreadableFileStoresNothing()
    {
        QFETCH(QString, name);
        TestAppFolder app;
        QDir(app.path()).mkdir(QStringLiteral("folder"));
        auto window = openOn(addClient(QStringLiteral("Ann")), QStringLiteral("Attachments"));
        upload(app, *window, app.file(name));
        QCOMPARE(app.messages->shown().size(), 1);
        QVERIFY2(app.messages->last().text.contains(name), qPrintable(app.messages->last().text));
        QCOMPARE(app.messages->last().icon, MessageBox::Critical);
        QCOMPARE(count(QStringLiteral("Attachments")), 0);
    }

    void viewWritesAnOwnerOnlyCopyUnderTemp()
    {
        TestAppFolder app;
        QByteArray bytes;
        for (int i = 0; i < 256; ++i)
            bytes.append(static_cast<char>(i));
        auto window = openOn(addClient(QStringLiteral("Ann")), QStringLiteral("Attachments"));
        upload(app, *window, writeFile(app, QStringLiteral("run.sh"), bytes));
        select(*window, 0);
        trigger(*window, QStringLiteral("MnuView"));
        const QString copy = QDir(ApplicationFolder::tempPath()).filePath(QStringLiteral("run.sh"));
        QCOMPARE(app.opened->opened(), QStringList{copy});
        QCOMPARE(readFile(copy), bytes);
        const QFile::Permissions others = QFile::ExeOwner | QFile::ExeUser | QFile::ReadGroup | QFile::WriteGroup |
                                          QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFile::permissions(copy) & others, QFile::Permissions());
        QVERIFY(QFile::permissions(copy).testFlags(QFile::ReadOwner | QFile::WriteOwner));

        // "SaveAs" writes where the user chose, suggesting the stored name.
        app.files->setNextFileName(app.file(QStringLiteral("saved.sh")));
        trigger(*window, QStringLiteral("MnuSaveAs"));
        QCOMPARE(app.files->suggested().last(), QStringLiteral("run.sh"));
        QCOMPARE(readFile(app.file(QStringLiteral("saved.sh"))), bytes);
    }

    void storedNameStaysInsideTemp_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("parent folders") << "../../x.txt";
        QTest::newRow("backslashes") << "..\\..\\x.txt";
        QTest::newRow("absolute") << "/tmp/x.txt";
    }

    void storedNameStaysInsideTemp()
    {
        QFETCH(QString, stored);
        TestAppFolder app;
        const qint64 client = addClient(QStringLiteral("Ann"));
        database().execute(QStringLiteral("INSERT INTO Attachments (PersonalInformationId, AttachmentsName, "
                                          "AttachmentVersion, Attachments) VALUES (?, ?, 1, ?)"),
                           {client, stored, QByteArray("inside")});
        auto window = openOn(client, QStringLiteral("Attachments"));
        select(*window, 0);
        trigger(*window, QStringLiteral("MnuView"));
        const QString copy = QDir(ApplicationFolder::tempPath()).filePath(QStringLiteral("x.txt"));
        QCOMPARE(app.opened->opened(), QStringList{copy});
        QCOMPARE(readFile(copy), QByteArray("inside"));
        QVERIFY(!QFile::exists(app.file(QStringLiteral("x.txt"))));
    }
};

QTEST_MAIN(TestRecordLists)
#include "tst_recordlists.moc"
