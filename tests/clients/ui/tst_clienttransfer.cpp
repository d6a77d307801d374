#include "ExplorerTestHelpers.h"
#include "WindowChecks.h"

#include "clients/ui/frmImportClients.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Statement.h"
#include "store/UserLevels.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>

using namespace ExplorerTest;

namespace {

QString writeFile(const TestAppFolder& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = QDir(folder.path()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

// Last names, then "|" and the given column, of the active clients in the order of their ids.
QStringList storedClients(const QString& column = QStringLiteral("First Name"))
{
    CLsDataBaseConnection connection;
    Statement rows = connection.database().prepare(
        QStringLiteral("SELECT \"Last Name\", \"%1\" FROM \"Personal Information\" WHERE Active = 1 "
                       "ORDER BY PersonalInformationId")
            .arg(column));
    QStringList clients;
    while (rows.step())
        clients.append(rows.value(0).toString() + QLatin1Char('|') + rows.value(1).toString());
    return clients;
}

void showExplorer(FrmDataBaseExplorer& explorer, int level = UserLevels::Ordinary)
{
    explorer.UserLevel = level;
    explorer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&explorer));
}

QAction* item(FrmDataBaseExplorer& explorer, const char* name)
{
    return explorer.findChild<QAction*>(QString::fromLatin1(name));
}

// The preview the import command opened.
frmImportClients* preview(FrmDataBaseExplorer& explorer)
{
    return explorer.findChild<frmImportClients*>(QStringLiteral("frmImportClients"));
}

} // namespace

class TestClientTransfer : public QObject
{
    Q_OBJECT

private slots:
    void importThroughPreview();
    void badFilesAreRefused_data();
    void badFilesAreRefused();
    void cancelStoresNothing();
    void exportChosenClients_data();
    void exportChosenClients();
};

void TestClientTransfer::importThroughPreview()
{
    TestAppFolder folder;
    addClient(QStringLiteral("Old"), {}, QStringLiteral("Mayer"), {});
    const QString path = writeFile(folder, QStringLiteral("kunden.csv"),
                                   QByteArray("\xEF\xBB\xBFVorname;Nachname;Firma;Telefon\r\n"
                                              "Zo\xC3\xAB;M\xC3\xBCller;\"Acme; Ltd\";0301234\r\n"
                                              ";;;\r\n"
                                              "Bob;Miller;;0405678\r\n"));
    FrmDataBaseExplorer explorer;
    showExplorer(explorer);
    QCOMPARE(node(explorer, QStringLiteral("M"))->text(0), QStringLiteral("M     (1)"));
    clickGroup(explorer, QStringLiteral("M"));

    folder.files->setNextFileName(path);
    WindowChecks::triggerVisible(item(explorer, "mnuImportClients"));
    frmImportClients* dialog = preview(explorer);
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(WindowChecks::accessibilityProblems(dialog), QStringList());

    // The German column names are understood; the phone goes to the work number instead.
    auto* lastName = dialog->findChild<QComboBox*>(QStringLiteral("cboField1"));
    QVERIFY(lastName);
    QCOMPARE(lastName->currentText(), QStringLiteral("Last Name"));
    QCOMPARE(dialog->findChild<QComboBox*>(QStringLiteral("cboField2"))->currentText(), QStringLiteral("Company"));
    auto* phone = dialog->findChild<QComboBox*>(QStringLiteral("cboField3"));
    phone->setCurrentIndex(phone->findText(QStringLiteral("Work Phone Number")));

    auto* rows = dialog->findChild<QTableWidget*>(QStringLiteral("grdPreview"));
    QCOMPARE(rows->rowCount(), 2);
    const QStringList headers = [rows] {
        QStringList texts;
        for (int c = 0; c < rows->columnCount(); ++c)
            texts.append(rows->horizontalHeaderItem(c)->text());
        return texts;
    }();
    QVERIFY2(headers.contains(QStringLiteral("Work Phone Number")), qPrintable(headers.join(QLatin1Char(','))));
    QCOMPARE(rows->item(0, 0)->text(), QStringLiteral("2"));
    QCOMPARE(rows->item(0, static_cast<int>(headers.indexOf(QStringLiteral("Company"))))->text(),
             QStringLiteral("Acme; Ltd"));
    auto* skipped = dialog->findChild<QListWidget*>(QStringLiteral("lstSkipped"));
    QCOMPARE(skipped->count(), 1);
    QVERIFY2(skipped->item(0)->text().startsWith(QStringLiteral("Line 3: ")), qPrintable(skipped->item(0)->text()));

    WindowChecks::clickVisible(dialog->findChild<QPushButton*>(QStringLiteral("cmdImport")));
    QTRY_VERIFY(!preview(explorer));
    QCOMPARE(folder.messages->last().text,
             QStringLiteral("2 clients imported from %1.").arg(QDir::toNativeSeparators(path)));
    QCOMPARE(
        storedClients(QStringLiteral("Work Phone Number")),
        (QStringList{QStringLiteral("Mayer|"), QStringLiteral("Müller|0301234"), QStringLiteral("Miller|0405678")}));
    // The groups count the new clients, and the group shown lists them.
    QCOMPARE(node(explorer, QStringLiteral("M"))->text(0), QStringLiteral("M     (3)"));
    QTRY_COMPARE(column(explorer, 3).size(), 3);
}

void TestClientTransfer::badFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("says");
    QTest::newRow("ragged CSV") << QByteArray("First Name,Last Name\nAnn,Kent\nBob,Knox,extra\n")
                                << QStringLiteral("Line 3");
    QTest::newRow("card without its end")
        << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nN:Kent;Ann;;;\r\n\r\nBEGIN:VCARD\r\nVERSION:4.0\r\nEND:VCARD\r\n")
        << QStringLiteral("line 1");
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 20)
                            << QStringLiteral("not a text file");
}

void TestClientTransfer::badFilesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, says);
    TestAppFolder folder;
    FrmDataBaseExplorer explorer;
    showExplorer(explorer);
    folder.files->setNextFileName(writeFile(folder, QStringLiteral("clients.txt"), bytes));
    WindowChecks::triggerVisible(item(explorer, "mnuImportClients"));
    QVERIFY(!preview(explorer));
    QCOMPARE(folder.messages->last().icon, MessageBox::Warning);
    QVERIFY2(folder.messages->last().text.contains(says), qPrintable(folder.messages->last().text));
    QCOMPARE(storedClients(), QStringList());
}

void TestClientTransfer::cancelStoresNothing()
{
    TestAppFolder folder;
    QByteArray csv("Last Name,First Name\n");
    for (int i = 0; i < 3000; ++i)
        csv += QStringLiteral("Kent%1,Ann\n").arg(i).toUtf8();
    FrmDataBaseExplorer explorer;
    showExplorer(explorer);
    folder.files->setNextFileName(writeFile(folder, QStringLiteral("many.csv"), csv));
    WindowChecks::triggerVisible(item(explorer, "mnuImportClients"));
    frmImportClients* dialog = preview(explorer);
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));

    int reports = 0;
    frmImportClients::setProgressHook([&reports](QProgressDialog* progress) {
        if (++reports == 2)
            progress->cancel();
    });
    WindowChecks::clickVisible(dialog->findChild<QPushButton*>(QStringLiteral("cmdImport")));
    frmImportClients::setProgressHook({});
    QVERIFY(reports >= 2);
    QCOMPARE(folder.messages->last().text, QStringLiteral("The import was cancelled. No client was stored."));
    QCOMPARE(storedClients(), QStringList());
    // The preview stays, so that the import can be started again.
    QVERIFY(dialog->isVisible());
}

void TestClientTransfer::exportChosenClients_data()
{
    QTest::addColumn<QString>("menuItem");
    QTest::addColumn<bool>("selectTwo");
    QTest::addColumn<QStringList>("expected");
    const QStringList listed{QStringLiteral("Kent"), QStringLiteral("Kirk"), QStringLiteral("Knox")};
    QTest::newRow("CSV of the listed clients") << "mnuExportCsv" << false << listed;
    QTest::newRow("CSV of the selected clients")
        << "mnuExportCsv" << true << QStringList{QStringLiteral("Kent"), QStringLiteral("Knox")};
    QTest::newRow("vCard of the selected clients")
        << "mnuExportVCard" << true << QStringList{QStringLiteral("Kent"), QStringLiteral("Knox")};
}

void TestClientTransfer::exportChosenClients()
{
    QFETCH(QString, menuItem);
    QFETCH(bool, selectTwo);
    QFETCH(QStringList, expected);
    TestAppFolder folder;
    addClient(QStringLiteral("Ann"), {}, QStringLiteral("Kent"), QStringLiteral("Acme, \"East\""));
    addClient(QStringLiteral("Bea"), {}, QStringLiteral("Kirk"), {});
    addClient(QStringLiteral("Cal"), {}, QStringLiteral("Knox"), {});
    addClient(QStringLiteral("Dan"), {}, QStringLiteral("Lamb"), {});

    {
        // The user manager has no clients to give out.
        FrmDataBaseExplorer users;
        showExplorer(users, UserLevels::BuiltIn);
        QVERIFY(!item(users, "mnuImportClients")->isVisible());
        QVERIFY(!item(users, "mnuExportCsv")->isVisible());
    }

    FrmDataBaseExplorer explorer;
    showExplorer(explorer);
    clickGroup(explorer, QStringLiteral("K"));
    QTRY_COMPARE(column(explorer, 3),
                 (QStringList{QStringLiteral("Kent"), QStringLiteral("Kirk"), QStringLiteral("Knox")}));
    if (selectTwo) {
        QTreeView* view = list(explorer);
        WindowChecks::clickVisible(view->viewport(), view->visualRect(view->model()->index(0, 0)).center());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          view->visualRect(view->model()->index(2, 0)).center());
        QCOMPARE(view->selectionModel()->selectedRows().size(), 2);
    }

    const QString path = QDir(folder.path()).filePath(QStringLiteral("out"));
    folder.files->setNextFileName(path);
    WindowChecks::triggerVisible(item(explorer, qPrintable(menuItem)));
    const bool csv = menuItem == QLatin1String("mnuExportCsv");
    const QString written = path + (csv ? QStringLiteral(".csv") : QStringLiteral(".vcf"));
    QFile file(written);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(folder.messages->last().text));
    const QString text = QString::fromUtf8(file.readAll());
    QCOMPARE(folder.messages->last().text,
             QStringLiteral("%1 clients written to %2.").arg(expected.size()).arg(QDir::toNativeSeparators(written)));
    for (const QString& name :
         {QStringLiteral("Kent"), QStringLiteral("Kirk"), QStringLiteral("Knox"), QStringLiteral("Lamb")})
        QCOMPARE(text.contains(name), expected.contains(name));
    if (csv)
        QVERIFY2(text.contains(QStringLiteral("\"Acme, \"\"East\"\"\"")), qPrintable(text));
    else
        QCOMPARE(text.count(QStringLiteral("BEGIN:VCARD")), expected.size());

    // The same name typed again: the file with the extension added is not replaced unasked.
    folder.files->setNextFileName(path);
    folder.messages->setNextAnswer(MessageBox::No);
    const qsizetype boxes = folder.messages->shown().size();
    WindowChecks::triggerVisible(item(explorer, qPrintable(menuItem)));
    QCOMPARE(folder.messages->shown().size(), boxes + 1);
    QVERIFY2(folder.messages->last().text.endsWith(QStringLiteral("Do you want to replace it?")),
             qPrintable(folder.messages->last().text));
}

QTEST_MAIN(TestClientTransfer)
#include "tst_clienttransfer.moc"
