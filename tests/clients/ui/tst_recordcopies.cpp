#include "FileSizeLimit.h"
#include "TestSupport.h"

#include "clients/ui/DisplayExtendedInformation.h"
#include "store/Database.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTabBar>
#include <QTreeWidget>
#include <csignal>
#include <cstring>
#include <memory>
#include <sys/resource.h>

namespace {

constexpr rlim_t Limit = 64 << 10;
const QByteArray Contents(200 << 10, 'x'); // larger than the limit

Database database()
{
    return Database(CLsDataBaseConnection::databasePath());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A client with the attachment "doc.bin" and the library document "doc.bin" assigned to it.
qint64 addClientWithDocuments()
{
    const Database db = database();
    db.execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"First Name\") VALUES ('Ann')"));
    const qint64 client = db.lastInsertRowId();
    db.execute(QStringLiteral("INSERT INTO Attachments (PersonalInformationId, AttachmentsName, AttachmentVersion, "
                              "Attachments) VALUES (?, 'doc.bin', 1, ?)"),
               {client, Contents});
    db.execute(QStringLiteral("INSERT INTO Resources (ObjectIndex, DocumentName, Document) VALUES (0, 'doc.bin', ?)"),
               {Contents});
    db.execute(QStringLiteral("INSERT INTO ReferenceInfo (DocumentId, PersonalInformationId) VALUES (?, ?)"),
               {db.lastInsertRowId(), client});
    return client;
}

std::unique_ptr<DisplayExtendedInformation> openOn(qint64 client, const QString& tab)
{
    auto window = std::make_unique<DisplayExtendedInformation>();
    window->PersonalInformationId = client;
    window->PersonalName = QStringLiteral("Ann");
    window->load();
    window->show();
    auto* strip = window->findChild<QTabBar*>(QStringLiteral("TabStrip1"));
    for (int i = 0; i < strip->count(); ++i) {
        if (strip->tabText(i) == tab)
            strip->setCurrentIndex(i);
    }
    return window;
}

} // namespace

// Copies of a client's documents from the record window's list that cannot be written.
class TestRecordCopies : public QObject
{
    Q_OBJECT

private slots:
    void failedCopyNamesTheFileAndTheReason_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("target"); // relative to the app folder; empty: the copy in Temp
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<int>("reason"); // errno
        QTest::newRow("view attachment, disk full") << "Attachments"
                                                    << "MnuView" << QString() << true << EFBIG;
        QTest::newRow("save attachment as, disk full") << "Attachments"
                                                       << "MnuSaveAs"
                                                       << "saved.bin" << true << EFBIG;
        QTest::newRow("save attachment as, missing folder") << "Attachments"
                                                            << "MnuSaveAs"
                                                            << "gone/saved.bin" << false << ENOENT;
        QTest::newRow("view resource, disk full") << "Resources"
                                                  << "mnuResourceVIew" << QString() << true << EFBIG;
    }

    void failedCopyNamesTheFileAndTheReason()
    {
        QFETCH(QString, tab);
        QFETCH(QString, action);
        QFETCH(QString, target);
        QFETCH(bool, diskFull);
        QFETCH(int, reason);
        TestAppFolder app;
        auto window = openOn(addClientWithDocuments(), tab);
        auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
        QVERIFY(list->isVisible() && !list->size().isEmpty());
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("doc.bin"));
        list->setCurrentItem(list->topLevelItem(0));
        auto* command = window->findChild<QAction*>(action);
        QVERIFY(command && command->isEnabled());
        const QString path = target.isEmpty() ? QDir(ApplicationFolder::tempPath()).filePath(QStringLiteral("doc.bin"))
                                              : app.file(target);
        if (!target.isEmpty())
            app.files->setNextFileName(path);

        {
            std::unique_ptr<FileSizeLimit> full;
            if (diskFull)
                full = std::make_unique<FileSizeLimit>(Limit);
            command->trigger();
        }

        QCOMPARE(app.messages->shown().size(), 1);
        const ScriptedMessageBox::Shown& shown = app.messages->last();
        QCOMPARE(shown.title, QStringLiteral("Orvanta"));
        QCOMPARE(shown.icon, MessageBox::Critical);
        QVERIFY2(shown.text.contains(QDir::toNativeSeparators(path)), qPrintable(shown.text));
        QVERIFY2(shown.text.contains(QString::fromLocal8Bit(std::strerror(reason))), qPrintable(shown.text));
        QVERIFY(app.opened->opened().isEmpty());

        // Where it can be written, the same command makes the copy and says nothing.
        if (!diskFull)
            return;
        if (!target.isEmpty())
            app.files->setNextFileName(path);
        command->trigger();
        QCOMPARE(app.messages->shown().size(), 1);
        QCOMPARE(readFile(path), Contents);
    }
};

QTEST_MAIN(TestRecordCopies)
#include "tst_recordcopies.moc"
