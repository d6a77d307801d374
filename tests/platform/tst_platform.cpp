#include "platform/FileDialog.h"
#include "platform/FileOpener.h"
#include "platform/InputBox.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/QtFileDialog.h"
#include "platform/QtFileOpener.h"
#include "platform/QtInputBox.h"
#include "platform/QtMessageBox.h"
#include "platform/QtTextPrinter.h"
#include "platform/RecordingFileOpener.h"
#include "platform/RecordingTextPrinter.h"
#include "platform/ScriptedFileDialog.h"
#include "platform/ScriptedInputBox.h"
#include "platform/ScriptedMessageBox.h"
#include "platform/TextPrinter.h"

#include <QtTest>

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void installedMessageBoxIsUsed();
    void askAnswers_data();
    void askAnswers();
    void nullRestoresQtImplementations();
    void fileDialogAnswersFromQueue();
    void folderDialogAnswersFromTheSameQueue();
    void inputBoxAnswersFromQueue();
    void recordersKeepCalls();
};

void TestPlatform::cleanup()
{
    Platform::install(std::unique_ptr<MessageBox>());
    Platform::install(std::unique_ptr<InputBox>());
    Platform::install(std::unique_ptr<FileDialog>());
    Platform::install(std::unique_ptr<FileOpener>());
    Platform::install(std::unique_ptr<TextPrinter>());
}

void TestPlatform::installedMessageBoxIsUsed()
{
    auto owned = std::make_unique<ScriptedMessageBox>();
    ScriptedMessageBox* box = owned.get();
    Platform::install(std::move(owned));
    QCOMPARE(&MessageBox::instance(), box);
    QCOMPARE(&Platform::messageBox(), box);

    MessageBox::inform(nullptr, QStringLiteral("Saved"), QStringLiteral("The record was saved."),
                       MessageBox::Information);
    QCOMPARE(box->shown().size(), 1);
    QCOMPARE(box->last().title, QStringLiteral("Saved"));
    QCOMPARE(box->last().text, QStringLiteral("The record was saved."));
    QCOMPARE(box->last().icon, MessageBox::Information);
    QCOMPARE(box->last().buttons, MessageBox::OkOnly);

    MessageBox::ask(nullptr, QStringLiteral("Delete"), QStringLiteral("Delete the record?"));
    QCOMPARE(box->shown().size(), 2);
    QCOMPARE(box->last().icon, MessageBox::Question);
    QCOMPARE(box->last().buttons, MessageBox::YesNo);

    box->clear();
    QVERIFY(box->shown().isEmpty());
}

void TestPlatform::askAnswers_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("queued"); // NoButton: nothing queued
    QTest::addColumn<int>("expected");

    QTest::newRow("queued No") << int(MessageBox::YesNo) << int(MessageBox::No) << int(MessageBox::No);
    QTest::newRow("queued Cancel") << int(MessageBox::YesNoCancel) << int(MessageBox::Cancel)
                                   << int(MessageBox::Cancel);
    QTest::newRow("default OkOnly") << int(MessageBox::OkOnly) << int(MessageBox::NoButton) << int(MessageBox::Ok);
    QTest::newRow("default OkCancel") << int(MessageBox::OkCancel) << int(MessageBox::NoButton) << int(MessageBox::Ok);
    QTest::newRow("default YesNo") << int(MessageBox::YesNo) << int(MessageBox::NoButton) << int(MessageBox::Yes);
    QTest::newRow("default YesNoCancel") << int(MessageBox::YesNoCancel) << int(MessageBox::NoButton)
                                         << int(MessageBox::Yes);
    QTest::newRow("default Cancel only") << int(MessageBox::Cancel) << int(MessageBox::NoButton)
                                         << int(MessageBox::Cancel);
}

void TestPlatform::askAnswers()
{
    QFETCH(int, buttons);
    QFETCH(int, queued);
    QFETCH(int, expected);

    auto box = std::make_unique<ScriptedMessageBox>();
    if (queued != MessageBox::NoButton)
        box->setNextAnswer(static_cast<MessageBox::Button>(queued));
    Platform::install(std::move(box));

    const MessageBox::Button answer = MessageBox::ask(nullptr, QStringLiteral("Question"), QStringLiteral("Sure?"),
                                                      static_cast<MessageBox::Buttons>(buttons));
    QCOMPARE(int(answer), expected);
    // The queue is used up: the next question gets the default answer.
    if (queued != MessageBox::NoButton)
        QVERIFY(MessageBox::ask(nullptr, QString(), QString(), MessageBox::YesNo) == MessageBox::Yes);
}

void TestPlatform::nullRestoresQtImplementations()
{
    Platform::install(std::make_unique<ScriptedMessageBox>());
    Platform::install(std::make_unique<ScriptedInputBox>());
    Platform::install(std::make_unique<ScriptedFileDialog>());
    Platform::install(std::make_unique<RecordingFileOpener>());
    Platform::install(std::make_unique<RecordingTextPrinter>());
    QVERIFY(dynamic_cast<ScriptedMessageBox*>(&MessageBox::instance()));
    QVERIFY(dynamic_cast<ScriptedInputBox*>(&InputBox::instance()));
    QVERIFY(dynamic_cast<ScriptedFileDialog*>(&FileDialog::instance()));
    QVERIFY(dynamic_cast<RecordingFileOpener*>(&FileOpener::instance()));
    QVERIFY(dynamic_cast<RecordingTextPrinter*>(&TextPrinter::instance()));

    cleanup();
    QVERIFY(dynamic_cast<QtMessageBox*>(&MessageBox::instance()));
    QVERIFY(dynamic_cast<QtInputBox*>(&InputBox::instance()));
    QVERIFY(dynamic_cast<QtFileDialog*>(&FileDialog::instance()));
    QVERIFY(dynamic_cast<QtFileOpener*>(&FileOpener::instance()));
    QVERIFY(dynamic_cast<QtTextPrinter*>(&TextPrinter::instance()));
}

void TestPlatform::fileDialogAnswersFromQueue()
{
    auto owned = std::make_unique<ScriptedFileDialog>();
    ScriptedFileDialog* dialog = owned.get();
    Platform::install(std::move(owned));
    const QString docs = QStringLiteral("Documents (*.doc *.txt);;All Files (*)");
    const QString all = QStringLiteral("All Files (*)");

    dialog->setNextFileName(QStringLiteral("/tmp/a.doc"));
    dialog->setNextFileNames({QStringLiteral("/tmp/b.txt"), QStringLiteral("/tmp/c.txt")});
    dialog->setNextFileName(QStringLiteral("/tmp/saved.doc"));

    FileDialog& fd = FileDialog::instance();
    QCOMPARE(fd.getOpenFileName(nullptr, QString(), QString(), docs), QStringLiteral("/tmp/a.doc"));
    QCOMPARE(fd.getOpenFileNames(nullptr, QString(), QString(), all),
             QStringList({QStringLiteral("/tmp/b.txt"), QStringLiteral("/tmp/c.txt")}));
    QCOMPARE(fd.getSaveFileName(nullptr, QString(), QStringLiteral("/tmp/x.doc"), docs),
             QStringLiteral("/tmp/saved.doc"));

    // Empty queue: every dialog is cancelled.
    QCOMPARE(fd.getOpenFileName(nullptr, QString(), QString(), all), QString());
    QCOMPARE(fd.getOpenFileNames(nullptr, QString(), QString(), all), QStringList());
    QCOMPARE(fd.getSaveFileName(nullptr, QString(), QStringLiteral("/tmp/y.doc"), docs), QString());

    QCOMPARE(dialog->filters(), QStringList({docs, all, docs, all, all, docs}));
    QCOMPARE(dialog->suggested(), QStringList({QStringLiteral("/tmp/x.doc"), QStringLiteral("/tmp/y.doc")}));
}

void TestPlatform::folderDialogAnswersFromTheSameQueue()
{
    auto owned = std::make_unique<ScriptedFileDialog>();
    ScriptedFileDialog* dialog = owned.get();
    Platform::install(std::move(owned));
    dialog->setNextFolder(QStringLiteral("/srv/copies"));
    dialog->setNextFileName(QStringLiteral("/tmp/a.doc"));

    FileDialog& fd = FileDialog::instance();
    QCOMPARE(fd.getExistingDirectory(nullptr, QString(), QStringLiteral("/home")), QStringLiteral("/srv/copies"));
    QCOMPARE(fd.getOpenFileName(nullptr, QString(), QString(), QString()), QStringLiteral("/tmp/a.doc"));
    QCOMPARE(fd.getExistingDirectory(nullptr, QString(), QStringLiteral("/srv")), QString()); // cancelled

    QCOMPARE(dialog->startFolders(), QStringList({QStringLiteral("/home"), QStringLiteral("/srv")}));
    QCOMPARE(dialog->suggested(), QStringList());
}

void TestPlatform::inputBoxAnswersFromQueue()
{
    auto owned = std::make_unique<ScriptedInputBox>();
    ScriptedInputBox* input = owned.get();
    Platform::install(std::move(owned));
    input->setNextAnswer(QStringLiteral("Smith"));
    input->setNextAnswer(std::nullopt);

    QCOMPARE(InputBox::instance().getText(nullptr, QString(), QStringLiteral("Last name:")),
             std::optional<QString>(QStringLiteral("Smith")));
    QVERIFY(!InputBox::instance().getText(nullptr, QString(), QStringLiteral("First name:")).has_value());
    QVERIFY(!InputBox::instance().getText(nullptr, QString(), QStringLiteral("City:")).has_value());
    QCOMPARE(input->prompts(),
             QStringList({QStringLiteral("Last name:"), QStringLiteral("First name:"), QStringLiteral("City:")}));
}

void TestPlatform::recordersKeepCalls()
{
    auto opener = std::make_unique<RecordingFileOpener>();
    RecordingFileOpener* openerPtr = opener.get();
    Platform::install(std::move(opener));
    auto printer = std::make_unique<RecordingTextPrinter>();
    RecordingTextPrinter* printerPtr = printer.get();
    Platform::install(std::move(printer));

    QVERIFY(FileOpener::instance().open(QStringLiteral("/tmp/a.doc")));
    openerPtr->setResult(false);
    QVERIFY(!FileOpener::instance().open(QStringLiteral("/tmp/b.doc")));
    QCOMPARE(openerPtr->opened(), QStringList({QStringLiteral("/tmp/a.doc"), QStringLiteral("/tmp/b.doc")}));

    const QStringList lines{QStringLiteral("Title"), QString(), QStringLiteral("Notes:")};
    QVERIFY(TextPrinter::instance().printLines(nullptr, lines));
    QCOMPARE(printerPtr->jobs().size(), 1);
    QCOMPARE(printerPtr->jobs().first(), lines);
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
