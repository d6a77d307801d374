#include "TestSupport.h"
#include "documents/ResourceLibrary.h"
#include "documents/ui/frmDocumentExp.h"
#include "store/Database.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

namespace {

struct Window
{
    std::unique_ptr<frmDocumentExp> form;
    QTreeWidget* tree = nullptr;
    QTreeWidget* list = nullptr;
};

Window open(bool admin, bool setMode = false, ClientId client = NoClient)
{
    Window w{std::make_unique<frmDocumentExp>(), nullptr, nullptr};
    w.form->adminFunction = admin;
    w.form->SetMode = setMode;
    w.form->PersonalInformationId = client;
    w.form->load();
    w.form->show();
    w.tree = w.form->findChild<QTreeWidget*>(QStringLiteral("TreClassView"));
    w.list = w.form->findChild<QTreeWidget*>(QStringLiteral("LstStudenInformation"));
    return w;
}

ResourceLibrary library()
{
    CLsDataBaseConnection connection;
    return ResourceLibrary(connection.sharedDatabase());
}

QVariant scalar(const QString& sql, const QVariantList& params = {})
{
    CLsDataBaseConnection connection;
    return connection.database().scalar(sql, params);
}

// Stores `bytes` under `name` in folder `folderId`; returns the DocumentId.
qint64 store(const TestAppFolder& app, qint64 folderId, const QString& name, const QByteArray& bytes = "x")
{
    QDir().mkpath(app.file(QStringLiteral("in")));
    QFile file(app.file(QStringLiteral("in/") + name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the upload file");
    file.close();
    return library().upload(folderId, file.fileName());
}

QTreeWidgetItem* node(const Window& w, qint64 folderId)
{
    QTreeWidgetItem* root = w.tree->topLevelItem(0);
    for (int i = 0; root && i < root->childCount(); ++i)
        if (root->child(i)->data(0, frmDocumentExp::TagRole).toLongLong() == folderId)
            return root->child(i);
    return nullptr;
}

QAction* action(const Window& w, const QString& name)
{
    return w.form->findChild<QAction*>(name);
}

bool trigger(const Window& w, const QString& name)
{
    QAction* item = action(w, name);
    if (!item || !item->isEnabled())
        return false;
    item->trigger();
    return true;
}

QList<QStringList> rows(const Window& w)
{
    QList<QStringList> result;
    for (int i = 0; i < w.list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = w.list->topLevelItem(i);
        result.append({item->text(0), item->text(2), item->text(3)});
    }
    return result;
}

void doubleClick(QTreeWidget* list, QTreeWidgetItem* item)
{
    const QPoint pos = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, pos);
}

} // namespace

class TestLibrary : public QObject
{
    Q_OBJECT

private slots:
    void labelsCarryCountsOnlyWhenBrowsing_data()
    {
        QTest::addColumn<bool>("admin");
        QTest::addColumn<QString>("label");
        QTest::newRow("explorer") << false << QStringLiteral("Manuals     (3)");
        QTest::newRow("main window") << true << QStringLiteral("Manuals");
    }

    void labelsCarryCountsOnlyWhenBrowsing()
    {
        QFETCH(bool, admin);
        QFETCH(QString, label);
        TestAppFolder app;
        const qint64 empty = library().addFolder(QStringLiteral("Empty"), 2);
        const qint64 manuals = library().addFolder(QStringLiteral("Manuals"), 3);
        for (int i = 0; i < 3; ++i)
            store(app, manuals, QStringLiteral("guide.pdf"));
        const Window w = open(admin);
        QCOMPARE(w.tree->topLevelItem(0)->text(0), QStringLiteral("..."));
        QCOMPARE(node(w, empty)->text(0), QStringLiteral("Empty"));
        QCOMPARE(node(w, manuals)->text(0), label);
        QCOMPARE(node(w, manuals)->data(0, frmDocumentExp::KeyRole).toString(), QStringLiteral("2 Manuals"));
    }

    void uploadNumbersVersionsAcrossFolders()
    {
        TestAppFolder app;
        const qint64 x = library().addFolder(QStringLiteral("X"), 2);
        const qint64 y = library().addFolder(QStringLiteral("Y"), 3);
        store(app, y, QStringLiteral("doc.txt"));
        store(app, y, QStringLiteral("doc.txt"));
        const Window w = open(true);
        w.tree->setCurrentItem(node(w, x));
        QDir().mkpath(app.file(QStringLiteral("other")));
        QFile source(app.file(QStringLiteral("other/doc.txt")));
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write("third");
        source.close();
        app.files->setNextFileName(source.fileName());
        QVERIFY(trigger(w, QStringLiteral("mnuUpLoadDocument")));
        QCOMPARE(app.messages->last().text, QStringLiteral("Upload complete"));
        QCOMPARE(app.messages->last().icon, MessageBox::Information);
        QVERIFY(app.files->filters().constFirst().startsWith(QStringLiteral("All files (*);;EXE files (*.exe);;")));
        QCOMPARE(rows(w).size(), 1);
        QCOMPARE(rows(w).constFirst().mid(1), (QStringList{QStringLiteral("doc.txt"), QStringLiteral("3")}));
        QCOMPARE(scalar(QStringLiteral("SELECT ObjectIndex FROM Resources WHERE DocuemntVersion = 3")).toLongLong(), x);
    }

    void currentVersionsGroupByDate_data()
    {
        QTest::addColumn<bool>("sameDate");
        QTest::addColumn<int>("lines");
        QTest::newRow("same date") << true << 1;
        QTest::newRow("different dates") << false << 2;
    }

    void currentVersionsGroupByDate()
    {
        QFETCH(bool, sameDate);
        QFETCH(int, lines);
        TestAppFolder app;
        const qint64 folder = library().addFolder(QStringLiteral("F"), 2);
        const qint64 first = store(app, folder, QStringLiteral("a.txt"));
        const qint64 second = store(app, folder, QStringLiteral("a.txt"));
        if (!sameDate)
            scalar(QStringLiteral("UPDATE Resources SET DocumentDate = '2001-02-03' WHERE DocumentId = ?"), {first});
        const Window w = open(true);
        w.tree->setCurrentItem(node(w, folder));
        QCOMPARE(rows(w).size(), lines);
        QCOMPARE(rows(w).constFirst(),
                 (QStringList{QString::number(second), QStringLiteral("a.txt"), QStringLiteral("2")}));
        QVERIFY(trigger(w, QStringLiteral("mnuAllVersions")));
        QVERIFY(!action(w, QStringLiteral("mnuRecent"))->isChecked());
        QCOMPARE(rows(w).size(), 2);
    }

    void deletingNewestShowsPrevious()
    {
        TestAppFolder app;
        const qint64 folder = library().addFolder(QStringLiteral("F"), 2);
        const qint64 first = store(app, folder, QStringLiteral("a.txt"));
        const qint64 second = store(app, folder, QStringLiteral("a.txt"));
        library().assign(second, 4);
        const Window w = open(true);
        w.tree->setCurrentItem(node(w, folder));
        w.list->setCurrentItem(w.list->topLevelItem(0));
        QVERIFY(trigger(w, QStringLiteral("mnuDeleteResource")));
        QCOMPARE(app.messages->shown().at(0).text,
                 QStringLiteral("Warning you are about to delete the selected resource a.txt\r\nif you continue it "
                                "will REMOVE all references of the resource fron the database\r\nDo you want to "
                                "continue?"));
        QCOMPARE(app.messages->last().text, QStringLiteral("Resource deleted"));
        QCOMPARE(rows(w), (QList<QStringList>{{QString::number(first), QStringLiteral("a.txt"), QStringLiteral("1")}}));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM ReferenceInfo")).toInt(), 0);
    }

    void deletingFolderLeavesResources()
    {
        TestAppFolder app;
        const qint64 folder = library().addFolder(QStringLiteral("Manuals"), 2);
        store(app, folder, QStringLiteral("a.txt"));
        const Window w = open(true);
        w.tree->setCurrentItem(node(w, folder));
        QVERIFY(trigger(w, QStringLiteral("mnuRemoveLib")));
        QCOMPARE(app.messages->shown().size(), 1);
        QCOMPARE(app.messages->last().text,
                 QStringLiteral("You are about to delete the Manuals\r\nDo you wish to continue"));
        QCOMPARE(w.tree->topLevelItem(0)->childCount(), 0);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM ObjectTbl")).toInt(), 1); // the root row
        QCOMPARE(scalar(QStringLiteral("SELECT ObjectIndex FROM Resources")).toLongLong(), folder);
    }

    // A click on the folder already selected shows what was added to it since (by another
    // window or another copy of the program); a click on a new folder fills the list once.
    void clickOnSelectedFolderRefreshesList()
    {
        TestAppFolder app;
        const qint64 manuals = library().addFolder(QStringLiteral("Manuals"), 2);
        const qint64 forms = library().addFolder(QStringLiteral("Forms"), 3);
        store(app, manuals, QStringLiteral("guide.pdf"));
        const Window w = open(false);
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        const auto clickFolder = [&w](qint64 folder) {
            const QRect place = w.tree->visualItemRect(node(w, folder));
            QVERIFY(w.tree->isVisible() && w.tree->viewport()->rect().contains(place));
            QTest::mouseClick(w.tree->viewport(), Qt::LeftButton, {}, place.center());
        };
        QSignalSpy fills(w.list->model(), &QAbstractItemModel::modelReset);

        clickFolder(manuals);
        QCOMPARE(fills.size(), 1);
        QCOMPARE(rows(w),
                 (QList<QStringList>{{QStringLiteral("1"), QStringLiteral("guide.pdf"), QStringLiteral("1")}}));

        store(app, manuals, QStringLiteral("form.pdf"));
        clickFolder(manuals);
        QCOMPARE(fills.size(), 2);
        QCOMPARE(rows(w).size(), 2);

        clickFolder(forms);
        QCOMPARE(fills.size(), 3);
        QVERIFY(rows(w).isEmpty());
    }

    void doubleClickAssigns_data()
    {
        QTest::addColumn<bool>("admin");
        QTest::addColumn<ClientId>("client");
        QTest::addColumn<int>("assigned");
        QTest::newRow("browser, twice") << false << ClientId(7) << 2;
        QTest::newRow("explorer, no client") << false << NoClient << 0;
        QTest::newRow("main window") << true << ClientId(7) << 0;
    }

    void doubleClickAssigns()
    {
        QFETCH(bool, admin);
        QFETCH(ClientId, client);
        QFETCH(int, assigned);
        TestAppFolder app;
        const qint64 folder = library().addFolder(QStringLiteral("F"), 2);
        const qint64 id = store(app, folder, QStringLiteral("a.txt"));
        const Window w = open(admin, client != NoClient, client);
        QSignalSpy spy(w.form.get(), &frmDocumentExp::resourceAssigned);
        w.tree->setCurrentItem(node(w, folder));
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        w.list->setCurrentItem(w.list->topLevelItem(0));
        app.messages->setNextAnswer(MessageBox::No);
        doubleClick(w.list, w.list->topLevelItem(0));
        app.messages->setNextAnswer(MessageBox::No);
        doubleClick(w.list, w.list->topLevelItem(0));
        QTRY_COMPARE(spy.size(), assigned);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM ReferenceInfo WHERE DocumentId = ? AND "
                                       "PersonalInformationId = 7"),
                        {id})
                     .toInt(),
                 assigned);
        if (assigned) {
            QCOMPARE(spy.constFirst().constFirst().toLongLong(), 7);
            QCOMPARE(app.messages->last().text,
                     QStringLiteral("Resource Assigned to Client\r\nDo you want to exit the resource manager"));
        }
    }

    void renameIsNotWritten()
    {
        TestAppFolder app;
        const qint64 folder = library().addFolder(QStringLiteral("Manuals"), 2);
        const Window w = open(true);
        w.tree->setCurrentItem(node(w, folder));
        QVERIFY(trigger(w, QStringLiteral("MnuRenameNode")));
        QLineEdit* editor = nullptr;
        QTRY_VERIFY((editor = w.tree->findChild<QLineEdit*>()) != nullptr);
        editor->clear();
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(app.messages->last().text, QStringLiteral("Invalid Name"));
        QCOMPARE(node(w, folder)->text(0), QStringLiteral("Manuals"));
        // A new edit begins at once.
        QTRY_COMPARE(w.tree->findChildren<QLineEdit*>().size(), 1);
        editor = w.tree->findChild<QLineEdit*>();
        editor->setText(QStringLiteral("Handbooks"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(node(w, folder)->text(0), QStringLiteral("Handbooks"));
        QCOMPARE(scalar(QStringLiteral("SELECT ObjectText FROM ObjectTbl WHERE ObjectId = ?"), {folder}).toString(),
                 QStringLiteral("Manuals"));
        QVERIFY(trigger(w, QStringLiteral("mnuRefresh")));
        QCOMPARE(node(w, folder)->text(0), QStringLiteral("Manuals"));
    }

    void escapePutsLabelBack()
    {
        TestAppFolder app;
        const qint64 folder = library().addFolder(QStringLiteral("Manuals"), 2);
        const Window w = open(true);
        w.tree->setCurrentItem(node(w, folder));
        QTest::keyClick(w.tree, Qt::Key_F2);
        QLineEdit* editor = nullptr;
        QTRY_VERIFY((editor = w.tree->findChild<QLineEdit*>()) != nullptr);
        editor->setText(QStringLiteral("Handbooks"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(node(w, folder)->text(0), QStringLiteral("Handbooks"));
        QTest::keyClick(w.tree, Qt::Key_Escape);
        QCOMPARE(node(w, folder)->text(0), QStringLiteral("Manuals"));
    }

    void rightClickOffersFolderCommands_data()
    {
        QTest::addColumn<bool>("admin");
        QTest::addColumn<bool>("onRoot");
        QTest::newRow("root, main window") << true << true;
        QTest::newRow("folder, main window") << true << false;
        QTest::newRow("folder, explorer") << false << false;
    }

    void rightClickOffersFolderCommands()
    {
        QFETCH(bool, admin);
        QFETCH(bool, onRoot);
        TestAppFolder app;
        const qint64 folder = library().addFolder(QStringLiteral("Manuals"), 2);
        const Window w = open(admin);
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        QTreeWidgetItem* target = onRoot ? w.tree->topLevelItem(0) : node(w, folder);
        QTest::mousePress(w.tree->viewport(), Qt::RightButton, {}, w.tree->visualItemRect(target).center());
        QCOMPARE(w.tree->currentItem(), target);
        auto* popup = w.form->findChild<QMenu*>(QStringLiteral("MnuLibraryOption"));
        QTRY_COMPARE(popup->isVisible(), admin);
        popup->hide();
        QCOMPARE(action(w, QStringLiteral("MnuDeleteNode"))->isEnabled(), !onRoot);
        QCOMPARE(action(w, QStringLiteral("MnuRenameNode"))->isEnabled(), !onRoot);
        QCOMPARE(action(w, QStringLiteral("mnuRemoveLib"))->isEnabled(), !onRoot);
    }

    void addFolderTakesTypedName_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<int>("folders");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancelled") << std::optional<QString>() << 0 << QString();
        QTest::newRow("empty") << std::optional<QString>(QString()) << 0 << QStringLiteral("Invalid Name");
        QTest::newRow("quotes") << std::optional<QString>(QStringLiteral("O'Brien \"docs\"")) << 1 << QString();
    }

    void addFolderTakesTypedName()
    {
        QFETCH(std::optional<QString>, answer);
        QFETCH(int, folders);
        QFETCH(QString, message);
        TestAppFolder app;
        const Window w = open(true);
        app.inputs->setNextAnswer(answer);
        QVERIFY(trigger(w, QStringLiteral("mnuAddlib")));
        QCOMPARE(app.inputs->prompts(), QStringList{QStringLiteral("Enter Folder Name")});
        QCOMPARE(app.messages->last().text, message);
        QCOMPARE(w.tree->topLevelItem(0)->childCount(), folders);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM ObjectTbl WHERE ObjectText = ObjectType AND "
                                       "ObjectIndex = 2 AND ObjectParentIndex = 1 AND ObjectText = ?"),
                        {answer.value_or(QString())})
                     .toInt(),
                 folders);
    }

    void commandsNeedASelection_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("rootSelected");
        for (const char* command :
             {"mnuUpLoadDocument", "mnuViewResourceOption", "mnuDeleteResource", "mnuRemoveLib"}) {
            QTest::addRow("%s, nothing", command) << QString::fromLatin1(command) << false;
            QTest::addRow("%s, root", command) << QString::fromLatin1(command) << true;
        }
    }

    void commandsNeedASelection()
    {
        QFETCH(QString, command);
        QFETCH(bool, rootSelected);
        TestAppFolder app;
        library().addFolder(QStringLiteral("F"), 2);
        const Window w = open(true);
        if (rootSelected)
            w.tree->setCurrentItem(w.tree->topLevelItem(0));
        QVERIFY(trigger(w, command));
        QCOMPARE(app.messages->shown().size(), 1);
        QCOMPARE(app.messages->last().text, QStringLiteral("Nothing Selected"));
        QVERIFY(app.files->filters().isEmpty());
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM ObjectTbl")).toInt(), 2);
    }

    void unreadableUploadStoresNothing()
    {
        TestAppFolder app;
        const qint64 folder = library().addFolder(QStringLiteral("F"), 2);
        const Window w = open(true);
        w.tree->setCurrentItem(node(w, folder));
        app.files->setNextFileName(app.file(QStringLiteral("missing.doc")));
        QVERIFY(trigger(w, QStringLiteral("mnuUpLoadDocument")));
        QCOMPARE(app.messages->shown().size(), 1);
        QVERIFY(app.messages->last().text.contains(QStringLiteral("missing.doc")));
        QCOMPARE(app.messages->last().icon, MessageBox::Critical);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Resources")).toInt(), 0);
    }

    void viewFetchesIntoTemp()
    {
        TestAppFolder app;
        const qint64 folder = library().addFolder(QStringLiteral("F"), 2);
        store(app, folder, QStringLiteral("notes.txt"), "contents");
        const Window w = open(false);
        w.tree->setCurrentItem(node(w, folder));
        w.list->setCurrentItem(w.list->topLevelItem(0));
        QVERIFY(trigger(w, QStringLiteral("mnuViewResource")));
        const QString copy = QDir(ApplicationFolder::tempPath()).filePath(QStringLiteral("notes.txt"));
        QCOMPARE(app.opened->opened(), QStringList{copy});
        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("contents"));
    }

    void browserHidesMaintenance()
    {
        TestAppFolder app;
        const Window w = open(false, true, ClientId(3));
        QVERIFY(!w.form->findChild<QMenu*>(QStringLiteral("MnuLibrary"))->menuAction()->isEnabled());
        QVERIFY(!w.form->findChild<QMenu*>(QStringLiteral("MnuFile"))->menuAction()->isVisible());
        for (const char* hidden : {"MnuLibraryOption", "mnuCat", "MnuResourceOptions"})
            QVERIFY(!w.form->findChild<QMenu*>(QString::fromLatin1(hidden))->menuAction()->isVisible());
        QVERIFY(!action(w, QStringLiteral("mnuSave"))->isVisible());
        QVERIFY(action(w, QStringLiteral("mnuRecent"))->isChecked());
    }
};

QTEST_MAIN(TestLibrary)
#include "tst_library.moc"
