#include "AppTestHelpers.h"
#include "TestSupport.h"
#include "WindowChecks.h"
#include "app/MDIBaseForm.h"
#include "app/frmOptions.h"
#include "store/BackupSettings.h"
#include "store/UserLevels.h"
#include "users/UserAuthenticator.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>

#include <sys/stat.h>

namespace {

const QByteArray StartupBytes = "QuickLogin,No\r\nStartView,Client\r\n";

// An options dialog for the user "ann", whose password is "old", at the given level. A
// Backup.ini is written first when `backups` is not empty.
struct Dialog
{
    explicit Dialog(const QByteArray& settings = StartupBytes, int level = UserLevels::Ordinary,
                    const QByteArray& backups = QByteArray())
    {
        ShellTest::writeAll(folder.file(QStringLiteral("Settings.ini")), settings);
        if (!backups.isEmpty())
            ShellTest::writeAll(folder.file(QStringLiteral("Backup.ini")), backups);
        id = ShellTest::addUser(QStringLiteral("ann"), ShellTest::hashed(QStringLiteral("old")));
        options.setSecId(id);
        options.UserLevel = level;
        options.show();
    }

    template <typename T = QWidget>
    T* control(const char* name)
    {
        return options.findChild<T*>(QString::fromLatin1(name));
    }
    void click(const char* name) { WindowChecks::clickVisible(control<QPushButton>(name)); }
    void type(const QString& oldPassword, const QString& newPassword, const QString& retyped)
    {
        WindowChecks::typeVisible(control<QLineEdit>("txtOldPassword"), oldPassword);
        WindowChecks::typeVisible(control<QLineEdit>("txtNewPassword"), newPassword);
        WindowChecks::typeVisible(control<QLineEdit>("txtNewPasswordRetyped"), retyped);
    }
    QTabBar* tabs() { return control<QTabBar>("tbsOptions"); }
    void clickTab(int index) { WindowChecks::clickVisible(tabs(), tabs()->tabRect(index).center()); }
    // The state of the backup page's controls as a person sees them.
    QString backupControls()
    {
        return QStringLiteral("%1|%2|%3")
            .arg(control<QCheckBox>("chkAutoBackup")->isChecked() ? QStringLiteral("auto") : QStringLiteral("manual"),
                 control<QLineEdit>("txtBackupFolder")->text(), control<QSpinBox>("spnBackupKeep")->text());
    }
    QString boxes()
    {
        return control<QLineEdit>("txtOldPassword")->text() + control<QLineEdit>("txtNewPassword")->text() +
               control<QLineEdit>("txtNewPasswordRetyped")->text();
    }

    TestAppFolder folder;
    QString id;
    frmOptions options;
};

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void loadReadsSettings_data();
    void loadReadsSettings();
    void saveStartup_data();
    void saveStartup();
    void rejectedPasswordChanges_data();
    void rejectedPasswordChanges();
    void passwordChange_data();
    void passwordChange();
    void escapeClosesTheChildWindow_data();
    void escapeClosesTheChildWindow();
    void backupTab_data();
    void backupTab();
    void backupPageByLevel_data();
    void backupPageByLevel();
    void backupSettingsSavedAndLoadedBack_data();
    void backupSettingsSavedAndLoadedBack();
    void backupSaveFailureReported();
    void browseChoosesTheBackupFolder_data();
    void browseChoosesTheBackupFolder();
    void mainWindowGivesTheUserLevel_data();
    void mainWindowGivesTheUserLevel();
};

void TestOptions::loadReadsSettings_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<bool>("quick");
    QTest::addColumn<bool>("byClient");

    QTest::newRow("defaults") << QByteArray("QuickLogin,No\r\nStartView,Client\r\n") << false << true;
    QTest::newRow("quick, company") << QByteArray("QuickLogin,Yes\r\nStartView,Company\r\n") << true << false;
    QTest::newRow("lower-case client") << QByteArray("QuickLogin,No\r\nStartView,client\r\n") << false << false;
}

void TestOptions::loadReadsSettings()
{
    QFETCH(QByteArray, settings);
    QFETCH(bool, quick);
    QFETCH(bool, byClient);
    Dialog d(settings);
    QCOMPARE(d.control<QCheckBox>("Check1")->isChecked(), quick);
    QCOMPARE(d.control<QRadioButton>("Option1_1")->isChecked(), byClient);
    QCOMPARE(d.control<QRadioButton>("Option1_0")->isChecked(), !byClient);
    // The quick-login identity has no password to change.
    for (const char* name :
         {"cmdOK", "cmdApply", "cmdCancel", "txtOldPassword", "txtNewPassword", "txtNewPasswordRetyped"})
        QVERIFY2(d.control(name)->isEnabled() != quick, name);
}

void TestOptions::saveStartup_data()
{
    QTest::addColumn<bool>("quick");
    QTest::addColumn<QByteArray>("option");
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("apply: quick, company") << true << QByteArray("Option1_0") << QByteArray("Command2")
                                           << QByteArray("QuickLogin,Yes\r\nStartView,Company\r\n");
    QTest::newRow("save/exit: no, client") << false << QByteArray("Option1_1") << QByteArray("Command1")
                                           << QByteArray("QuickLogin,No\r\nStartView,Client\r\n");
}

void TestOptions::saveStartup()
{
    QFETCH(bool, quick);
    QFETCH(QByteArray, option);
    QFETCH(QByteArray, button);
    QFETCH(QByteArray, written);
    Dialog d("QuickLogin,Yes\r\nStartView,client\r\n");
    d.control<QCheckBox>("Check1")->setChecked(quick);
    WindowChecks::clickVisible(d.control<QRadioButton>(option.constData()), QPoint(8, 8));

    d.click(button.constData());

    QCOMPARE(ShellTest::readAll(d.folder.file(QStringLiteral("Settings.ini"))), written);
    QCOMPARE(d.options.isVisible(), button == "Command2"); // "Save/Exit Startup" closes
}

void TestOptions::rejectedPasswordChanges_data()
{
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("retyped");
    QTest::addColumn<QString>("message");

    QTest::newRow("no old password") << QString() << QString() << QStringLiteral("x")
                                     << QStringLiteral("You must supply your old password");
    QTest::newRow("new equals old") << QStringLiteral("old") << QStringLiteral("old") << QStringLiteral("other")
                                    << QStringLiteral("The new password cannot match the old password");
    QTest::newRow("retyped differs") << QStringLiteral("old") << QStringLiteral("new") << QStringLiteral("New")
                                     << QStringLiteral("Passwords do not match");
    QTest::newRow("wrong old password") << QStringLiteral("Old") << QStringLiteral("new") << QStringLiteral("new")
                                        << QStringLiteral("The old password is incorrect");
}

void TestOptions::rejectedPasswordChanges()
{
    QFETCH(QString, oldPassword);
    QFETCH(QString, newPassword);
    QFETCH(QString, retyped);
    QFETCH(QString, message);
    Dialog d;
    const QString storedBefore = ShellTest::storedPassword(d.id);
    d.type(oldPassword, newPassword, retyped);

    d.click("cmdApply");

    QCOMPARE(d.folder.messages->shown().size(), 1);
    QCOMPARE(d.folder.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(d.folder.messages->last().text, message);
    QCOMPARE(d.boxes(), QString());
    QCOMPARE(ShellTest::storedPassword(d.id), storedBefore);
}

void TestOptions::passwordChange_data()
{
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QByteArray>("button");

    QTest::newRow("apply") << QStringLiteral("n3w'pass") << QByteArray("cmdApply");
    QTest::newRow("save/exit, empty new password") << QString() << QByteArray("cmdOK");
}

void TestOptions::passwordChange()
{
    QFETCH(QString, newPassword);
    QFETCH(QByteArray, button);
    Dialog d;
    d.type(QStringLiteral("old"), newPassword, newPassword);

    d.click(button.constData());

    QCOMPARE(d.folder.messages->last().text, QStringLiteral("Your password has been changed"));
    QCOMPARE(d.boxes(), QStringLiteral("old") + newPassword + newPassword); // kept
    QCOMPARE(d.options.isVisible(), button == "cmdApply");
    QVERIFY(PasswordHash::isHash(ShellTest::storedPassword(d.id)));
    QVERIFY(UserAuthenticator::authenticate(QStringLiteral("ann"), newPassword).has_value());
    QVERIFY(!UserAuthenticator::authenticate(QStringLiteral("ann"), QStringLiteral("old")).has_value());
}

void TestOptions::escapeClosesTheChildWindow_data()
{
    QTest::addColumn<QString>("focus");
    QTest::newRow("password page") << QStringLiteral("txtOldPassword");
    QTest::newRow("backups page") << QStringLiteral("spnBackupKeep");
}

void TestOptions::escapeClosesTheChildWindow()
{
    QFETCH(QString, focus);
    TestAppFolder folder;
    MDIBaseForm main;
    main.UserLevel = 99; // no explorer opens beside it
    main.show();
    main.openOptions();
    QPointer<QMdiSubWindow> child = main.mdiArea()->subWindowList().value(0);
    QVERIFY(child && qobject_cast<frmOptions*>(child->widget()));
    if (focus == QLatin1String("spnBackupKeep")) {
        auto* tabs = child->widget()->findChild<QTabBar*>(QStringLiteral("tbsOptions"));
        WindowChecks::clickVisible(tabs, tabs->tabRect(1).center());
    }
    QWidget* control = child->widget()->findChild<QWidget*>(focus);
    QTRY_VERIFY(control->isVisible() && !control->size().isEmpty());

    QTest::keyClick(control, Qt::Key_Escape);

    QTRY_VERIFY(child.isNull());
}

void TestOptions::backupTab_data()
{
    QTest::addColumn<bool>("byKeyboard"); // Ctrl+Tab, else a click on the tab

    QTest::newRow("click") << false;
    QTest::newRow("Ctrl+Tab") << true;
}

void TestOptions::backupTab()
{
    QFETCH(bool, byKeyboard);
    Dialog d(StartupBytes, UserLevels::Administrator);
    QTabBar* tabs = d.tabs();
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(1), QStringLiteral("Backups"));
    QCOMPARE(tabs->tabData(1).toString(), QStringLiteral("BackupGroup"));
    QCOMPARE(tabs->tabToolTip(1), QStringLiteral("Set Options for Group 2"));
    QWidget* passwordPage = d.control("picOptions_0");
    QWidget* backupPage = d.control("picOptions_1");
    const QPoint shown(Twips::toPixelsX(210), Twips::toPixelsY(2460));
    const int hiddenLeft = Twips::toPixelsX(-20000);
    QCOMPARE(passwordPage->pos(), shown);
    QVERIFY(!backupPage->isVisible() && !backupPage->isEnabled());

    if (byKeyboard) {
        d.options.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d.options));
        d.control("txtOldPassword")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    } else {
        d.clickTab(1);
    }

    QCOMPARE(tabs->currentIndex(), 1);
    QCOMPARE(backupPage->pos(), shown);
    QVERIFY(backupPage->isVisible() && backupPage->isEnabled());
    QCOMPARE(passwordPage->x(), hiddenLeft);
    QVERIFY(!passwordPage->isVisible() && !passwordPage->isEnabled());
    QCOMPARE(WindowChecks::reachProblem(d.control("chkAutoBackup")), QString());
    QCOMPARE(WindowChecks::layoutProblems(&d.options), QStringList());

    // And back: from the last tab to the first.
    if (byKeyboard) {
        d.control("txtBackupFolder")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    } else {
        d.clickTab(0);
    }
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(passwordPage->pos(), shown);
    QCOMPARE(backupPage->x(), hiddenLeft);
    QVERIFY(!backupPage->isVisible() && !backupPage->isEnabled());
    QCOMPARE(WindowChecks::reachProblem(d.control("txtOldPassword")), QString());
}

void TestOptions::backupPageByLevel_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("mayChange");

    QTest::newRow("administrator") << UserLevels::Administrator << true;
    QTest::newRow("ordinary user") << UserLevels::Ordinary << false;
    QTest::newRow("built-in account") << UserLevels::BuiltIn << false;
    QTest::newRow("level not given") << 0 << false;
}

void TestOptions::backupPageByLevel()
{
    QFETCH(int, level);
    QFETCH(bool, mayChange);
    Dialog d(StartupBytes, level, "Automatic=true\nFolder=/srv/copies\nKeep=14\n");
    d.clickTab(1);

    // Everyone sees the saved settings.
    QCOMPARE(d.backupControls(), QStringLiteral("auto|/srv/copies|14 backups"));
    for (const char* name : {"chkAutoBackup", "txtBackupFolder", "cmdBackupFolder", "spnBackupKeep", "cmdSaveBackup"}) {
        QWidget* control = d.control(name);
        QVERIFY2(control && control->isVisible() && control->width() > 0 && control->height() > 0, name);
        QVERIFY2(control->isEnabled() == mayChange, name);
    }
    auto* notice = d.control<QLabel>("lblBackupAdministrators");
    QCOMPARE(notice->isVisible(), !mayChange);
    if (!mayChange) {
        QCOMPARE(WindowChecks::accessibleName(notice),
                 QStringLiteral("Only administrators can change the backup settings."));
        QCOMPARE(ShellTest::readAll(d.folder.file(QStringLiteral("Backup.ini"))),
                 QByteArray("Automatic=true\nFolder=/srv/copies\nKeep=14\n"));
    }
    // Labels name their inputs, for the keyboard and for a screen reader; captions are whole.
    QCOMPARE(d.control<QLabel>("lblBackupFolder")->buddy(), d.control("txtBackupFolder"));
    QCOMPARE(d.control<QLabel>("lblBackupKeep")->buddy(), d.control("spnBackupKeep"));
    QCOMPARE(WindowChecks::accessibleName(d.control("txtBackupFolder")), QStringLiteral("Backup folder"));
    QCOMPARE(WindowChecks::accessibleName(d.control("spnBackupKeep")), QStringLiteral("Keep the newest"));
    QCOMPARE(WindowChecks::accessibleName(d.control("chkAutoBackup")),
             QStringLiteral("Back up automatically when Orvanta closes (at most once a day)"));
    QCOMPARE(d.control<QCheckBox>("chkAutoBackup")->text().replace(QLatin1Char('\n'), QLatin1Char(' ')),
             QStringLiteral("Back up &automatically when Orvanta closes (at most once a day)"));
    for (const char* name : {"chkAutoBackup", "lblBackupFolder", "cmdBackupFolder", "lblBackupKeep",
                             "lblBackupAdministrators", "cmdSaveBackup"}) {
        QWidget* control = d.control(name);
        const QSize needed = control->sizeHint();
        QVERIFY2(needed.width() <= control->width() && needed.height() <= control->height(), name);
    }
    QCOMPARE(WindowChecks::layoutProblems(&d.options), QStringList());
    QCOMPARE(WindowChecks::accessibilityProblems(&d.options), QStringList());
    // The keyboard goes through the page in reading order.
    QCOMPARE(d.control("chkAutoBackup")->nextInFocusChain(), d.control("txtBackupFolder"));
    QWidget* afterFolder = d.control("txtBackupFolder")->nextInFocusChain();
    QCOMPARE(afterFolder, d.control("cmdBackupFolder"));
    QCOMPARE(afterFolder->nextInFocusChain(), d.control("spnBackupKeep"));
}

void TestOptions::backupSettingsSavedAndLoadedBack_data()
{
    QTest::addColumn<QByteArray>("before"); // Backup.ini before; empty for none
    QTest::addColumn<bool>("automatic");
    QTest::addColumn<QString>("folder"); // typed over the folder box
    QTest::addColumn<QString>("keep");   // typed over the number
    QTest::addColumn<QString>("shownAfter");

    QTest::newRow("no file, all changed")
        << QByteArray() << true << QStringLiteral("/srv/orvanta copies") << QStringLiteral("30")
        << QStringLiteral("auto|/srv/orvanta copies|30 backups");
    QTest::newRow("automatic turned off, relative folder")
        << QByteArray("Automatic=true\nFolder=/srv/copies\nKeep=14\n") << false << QStringLiteral("Nightly")
        << QStringLiteral("1") << QStringLiteral("manual|Nightly|1 backups");
    QTest::newRow("blank folder saved as the default")
        << QByteArray("Folder=Elsewhere\n") << true << QStringLiteral("   ") << QStringLiteral("999")
        << QStringLiteral("auto|Backups|999 backups");
    QTest::newRow("more than can be kept") << QByteArray() << true << QStringLiteral("Copies") << QStringLiteral("5000")
                                           << QStringLiteral("auto|Copies|500 backups");
}

void TestOptions::backupSettingsSavedAndLoadedBack()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, automatic);
    QFETCH(QString, folder);
    QFETCH(QString, keep);
    QFETCH(QString, shownAfter);
    Dialog d(StartupBytes, UserLevels::Administrator, before);
    d.clickTab(1);
    auto* check = d.control<QCheckBox>("chkAutoBackup");
    if (check->isChecked() != automatic)
        WindowChecks::clickVisible(check, QPoint(8, check->height() / 2));
    auto* folderBox = d.control<QLineEdit>("txtBackupFolder");
    folderBox->selectAll();
    WindowChecks::typeVisible(folderBox, folder);
    auto* keepBox = d.control<QSpinBox>("spnBackupKeep");
    keepBox->selectAll();
    WindowChecks::typeVisible(keepBox, keep);

    d.click("cmdSaveBackup");

    QCOMPARE(d.folder.messages->shown().size(), 0);
    QCOMPARE(d.backupControls(), shownAfter);
    const BackupSettings saved = BackupSettings::load();
    QCOMPARE(saved.automatic, automatic);
    QCOMPARE(saved.folder, d.control<QLineEdit>("txtBackupFolder")->text());
    QCOMPARE(saved.keep, keepBox->value());
    QCOMPARE(ShellTest::readAll(d.folder.file(QStringLiteral("Settings.ini"))), StartupBytes);
    struct stat info
    {
    };
    QCOMPARE(::stat(QFile::encodeName(BackupSettings::filePath()).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
    QVERIFY(d.options.isVisible());

    // A dialog opened afterwards shows what was saved.
    frmOptions again;
    again.UserLevel = UserLevels::Administrator;
    again.show();
    QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("txtBackupFolder"))->text(), saved.folder);
    QCOMPARE(again.findChild<QSpinBox*>(QStringLiteral("spnBackupKeep"))->text(), shownAfter.section('|', 2));
    QCOMPARE(again.findChild<QCheckBox*>(QStringLiteral("chkAutoBackup"))->isChecked(), automatic);
}

void TestOptions::backupSaveFailureReported()
{
    Dialog d(StartupBytes, UserLevels::Administrator);
    QVERIFY(QDir().mkpath(d.folder.file(QStringLiteral("Backup.ini")))); // cannot be replaced by a file
    d.clickTab(1);
    WindowChecks::clickVisible(d.control("chkAutoBackup"), QPoint(8, 8));

    d.click("cmdSaveBackup");

    QCOMPARE(d.folder.messages->shown().size(), 1);
    QCOMPARE(d.folder.messages->last().title, QStringLiteral("Orvanta"));
    QVERIFY2(d.folder.messages->last().text.startsWith(QStringLiteral("The backup settings could not be saved.\n")),
             qPrintable(d.folder.messages->last().text));
    QCOMPARE(d.folder.messages->last().icon, MessageBox::Critical);
    QVERIFY(QFileInfo(d.folder.file(QStringLiteral("Backup.ini"))).isDir());
    QCOMPARE(ShellTest::readAll(d.folder.file(QStringLiteral("Settings.ini"))), StartupBytes);
    QVERIFY(d.control<QCheckBox>("chkAutoBackup")->isChecked()); // kept for another try
}

void TestOptions::browseChoosesTheBackupFolder_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("answer");   // empty: the dialog is cancelled
    QTest::addColumn<QString>("startsIn"); // relative to the application folder, or absolute
    QTest::addColumn<QString>("shown");

    QTest::newRow("chosen") << QByteArray() << QStringLiteral("/srv/copies") << QStringLiteral("Backups")
                            << QStringLiteral("/srv/copies");
    QTest::newRow("cancelled") << QByteArray("Folder=../Kept\n") << QString() << QStringLiteral("../Kept")
                               << QStringLiteral("../Kept");
    QTest::newRow("from an absolute folder") << QByteArray("Folder=/var/backups/\n") << QStringLiteral("/mnt/usb")
                                             << QStringLiteral("/var/backups") << QStringLiteral("/mnt/usb");
}

void TestOptions::browseChoosesTheBackupFolder()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, answer);
    QFETCH(QString, startsIn);
    QFETCH(QString, shown);
    Dialog d(StartupBytes, UserLevels::Administrator, before);
    d.clickTab(1);
    if (!answer.isEmpty())
        d.folder.files->setNextFolder(answer);

    d.click("cmdBackupFolder");

    QCOMPARE(d.control<QLineEdit>("txtBackupFolder")->text(), shown);
    QCOMPARE(d.folder.files->startFolders(),
             QStringList{QDir::cleanPath(QDir(d.folder.path()).absoluteFilePath(startsIn))});
    // Chosen is not saved yet.
    QCOMPARE(ShellTest::readAll(d.folder.file(QStringLiteral("Backup.ini"))), before);
}

void TestOptions::mainWindowGivesTheUserLevel_data()
{
    QTest::addColumn<int>("level");

    QTest::newRow("administrator") << UserLevels::Administrator;
    QTest::newRow("built-in account") << UserLevels::BuiltIn;
}

void TestOptions::mainWindowGivesTheUserLevel()
{
    QFETCH(int, level);
    TestAppFolder folder;
    MDIBaseForm main;
    main.UserLevel = level;
    main.show();
    main.openOptions();
    frmOptions* options = nullptr;
    for (QMdiSubWindow* child : main.mdiArea()->subWindowList()) {
        if (auto* found = qobject_cast<frmOptions*>(child->widget()))
            options = found;
    }
    QVERIFY(options);
    options->findChild<QTabBar*>(QStringLiteral("tbsOptions"))->setCurrentIndex(1);

    QCOMPARE(options->UserLevel, level);
    QCOMPARE(options->findChild<QWidget*>(QStringLiteral("cmdSaveBackup"))->isEnabled(),
             level == UserLevels::Administrator);
}

QTEST_MAIN(TestOptions)
#include "tst_frmOptions.moc"
