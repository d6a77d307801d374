#pragma once

// A fresh application folder with a database created by the program's own code, and the
// platform's test doubles installed, for one test. Restores the Qt seams when it ends.

#include "platform/Platform.h"
#include "platform/RecordingFileOpener.h"
#include "platform/RecordingTextPrinter.h"
#include "platform/ScriptedFileDialog.h"
#include "platform/ScriptedInputBox.h"
#include "platform/ScriptedMessageBox.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/DatabaseSchema.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestAppFolder
{
public:
    explicit TestAppFolder(bool createDatabase = true)
    {
        ApplicationFolder::setPath(m_dir.path());
        if (createDatabase)
            DatabaseSchema::ensure(CLsDataBaseConnection::databasePath());
        auto box = std::make_unique<ScriptedMessageBox>();
        messages = box.get();
        Platform::install(std::move(box));
        auto input = std::make_unique<ScriptedInputBox>();
        inputs = input.get();
        Platform::install(std::move(input));
        auto dialog = std::make_unique<ScriptedFileDialog>();
        files = dialog.get();
        Platform::install(std::move(dialog));
        auto opener = std::make_unique<RecordingFileOpener>();
        opened = opener.get();
        Platform::install(std::move(opener));
        auto printer = std::make_unique<RecordingTextPrinter>();
        printed = printer.get();
        Platform::install(std::move(printer));
    }

    ~TestAppFolder()
    {
        Platform::install(std::unique_ptr<MessageBox>());
        Platform::install(std::unique_ptr<InputBox>());
        Platform::install(std::unique_ptr<FileDialog>());
        Platform::install(std::unique_ptr<FileOpener>());
        Platform::install(std::unique_ptr<TextPrinter>());
    }

    TestAppFolder(const TestAppFolder&) = delete;
    TestAppFolder& operator=(const TestAppFolder&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

    ScriptedMessageBox* messages = nullptr;
    ScriptedInputBox* inputs = nullptr;
    ScriptedFileDialog* files = nullptr;
    RecordingFileOpener* opened = nullptr;
    RecordingTextPrinter* printed = nullptr;

private:
    QTemporaryDir m_dir;
};
